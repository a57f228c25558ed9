#pragma once

#include "mpvplayer.h"
#include "streamside.h"

class MpvRenderWidget;
class RadioCard;
class StateLine;
class VolumeOsd;

// Plays streams through libmpv: the picture, or for radio the station card,
// with the state line and the volume shown over it.
// Controls while the view has the keyboard focus (a click gives it):
// F11 or a double-click toggles full screen, Esc leaves it, Up and Down
// change the volume, M mutes; the mouse wheel over the view changes the
// volume as well. Other keys are left to the window.
class StreamPlayerView : public StreamSide
{
    Q_OBJECT
public:
    // settingsFile: where the volume is kept between runs (empty: nowhere).
    explicit StreamPlayerView(const MpvOptions &options = {}, const QString &settingsFile = QString(),
                              QWidget *parent = nullptr);
    ~StreamPlayerView() override;

    void play(const QString &address) override;
    void stop() override;

    MpvPlayer *player() const { return m_player; }
    bool isFullScreenView() const { return m_fullScreen; }
    void setFullScreenView(bool on);

    static constexpr int VolumeStep = 5;

Q_SIGNALS:
    // Full screen was left: the owner places the view again.
    void fullScreenLeft();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void changeVolume(int delta);
    void toggleMute();
    void showStatus();
    void showStation();
    void placeOverlays();
    void showVideoSurface();

    MpvOptions m_options;
    MpvPlayer *m_player;
    QString m_settingsFile;
    MpvRenderWidget *m_video = nullptr;
    RadioCard *m_card;
    StateLine *m_state;
    VolumeOsd *m_volume;
    bool m_fullScreen = false;
};
