#pragma once

#include "guide.h"

#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QString>

class QLineEdit;
class QListWidget;
class QTimer;

// The line over the player (object name "guideLine"): what runs now and
// what comes next, shown for five seconds in the player's top left corner.
// A label, so its text is what screen readers announce.
class GuideLine : public QLabel
{
    Q_OBJECT
public:
    static constexpr int ShownMs = 5000;

    // A child of the player; it follows the player's size.
    explicit GuideLine(QWidget *player);

    // Shows the text for ShownMs; an empty text hides the line.
    void showLine(const QString &text);
    // Hides the line when it runs out (object name "guideLineTimer").
    QTimer *hideTimer() const { return m_hide; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QTimer *m_hide;
};

// 节目单 (object name "guideSchedule"): today's and tomorrow's programmes of
// one entry, under a row per day, the one running now marked "正在播出",
// selected and in sight. The rows are the items of a list ("scheduleList"),
// so each is read out as it is shown. Made hidden; it deletes itself once
// closed.
class GuideScheduleDialog : public QDialog
{
    Q_OBJECT
public:
    GuideScheduleDialog(const QString &entryName, const GuideSchedule &schedule, QDate today, QWidget *parent);

    QListWidget *list() const { return m_list; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QListWidget *m_list;
};

// 节目指南来源… (object name "guideSourceDialog"): a guide address or file
// ("guideSourceBox"), a button to pick the file ("browseButton"), and
// 确定 / 取消. Left empty, the playlist's guide or the service's is read.
// 确定 is enabled for an empty box, an http, https or file address, and the
// path of an existing file. Made hidden; it deletes itself once closed.
class GuideSourceDialog : public QDialog
{
    Q_OBJECT
public:
    GuideSourceDialog(const QString &current, QWidget *parent);

    QString source() const;
    static bool acceptable(const QString &text);

private:
    void browse();

    QLineEdit *m_source;
};
