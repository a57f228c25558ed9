#pragma once

#include <QString>
#include <QStringList>

// Where the program reads its guide from, and the choice made with
// 节目指南来源… that is kept between runs.

// The file in the data folder that keeps the chosen source (one UTF-8 line).
inline constexpr const char *GuideSourceFileName = "jiemuzhinan.ini";

// The guide a playlist names: its url-tvg (or x-tvg-url) may list several
// addresses separated by commas; the first is taken.
QString playlistGuideSource(const QString &urlTvg);

// The source to read: the one chosen with 节目指南来源…, else the guide of
// the first playlist that names one, else the service's own guide
// (<host1>/guide.xml); empty when there is none of these.
QString chooseGuideSource(const QString &chosen, const QStringList &playlistGuides, const QString &serviceHost);

// The chosen source kept in `dataFolder`; empty when none was chosen, the
// file is unreadable or not text, or nothing is kept in this run.
QString loadGuideSourceChoice(const QString &dataFolder);
// Keeps the choice (empty: back to the playlist's or the service's guide).
// False when it could not be written; nothing is written without a data folder.
bool saveGuideSourceChoice(const QString &dataFolder, const QString &source);
