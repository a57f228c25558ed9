#pragma once

#include <QLabel>
#include <QWidget>

class QTimer;

// The state of the stream in one line ("正在连接…", "播放失败：连接超时").
// A label, so its text is what screen readers announce.
class StateLine : public QLabel
{
    Q_OBJECT
public:
    explicit StateLine(QWidget *parent = nullptr);

    // Shows the text; with `fade` the line goes again after a few seconds.
    void showState(const QString &text, bool fade);

private:
    QTimer *m_fade;
};

// The volume, shown briefly after it changed ("音量 60%", "静音").
class VolumeOsd : public QLabel
{
    Q_OBJECT
public:
    explicit VolumeOsd(QWidget *parent = nullptr);

    void showVolume(int volume, bool muted);

private:
    QTimer *m_hide;
};

// What a radio station shows instead of a picture: its name and the title
// now playing, over a calm drawn background.
class RadioCard : public QWidget
{
    Q_OBJECT
public:
    explicit RadioCard(QWidget *parent = nullptr);

    void setStation(const QString &name, const QString &nowPlaying);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_station;
    QLabel *m_title;
};
