#pragma once

#include <QOpenGLWidget>

class MpvPlayer;
struct mpv_render_context;

// Shows the player's picture through the engine's OpenGL render API. The
// render context lives as long as both the core and this widget's GL context:
// it is freed before the core goes and whenever Qt replaces the GL context
// (when the widget moves to another window, for full screen), and made again
// with the next context.
class MpvRenderWidget : public QOpenGLWidget
{
    Q_OBJECT
public:
    explicit MpvRenderWidget(MpvPlayer *player, QWidget *parent = nullptr);
    ~MpvRenderWidget() override;

    bool isRendering() const { return m_render != nullptr; }

Q_SIGNALS:
    // The engine cannot draw into this widget's GL context.
    void renderingUnavailable();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void createRenderContext();
    void freeRenderContext();
    void onContextAboutToBeDestroyed();

    MpvPlayer *m_player;
    mpv_render_context *m_render = nullptr;
};
