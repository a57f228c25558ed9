#include "mpvrenderwidget.h"

#include "mpvplayer.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <mpv/render_gl.h>

namespace {

void *procAddress(void *, const char *name)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

} // namespace

MpvRenderWidget::MpvRenderWidget(MpvPlayer *player, QWidget *parent)
    : QOpenGLWidget(parent)
    , m_player(player)
{
    setFocusPolicy(Qt::NoFocus);
    connect(player, &MpvPlayer::coreCreated, this, [this] {
        if (!context())
            return; // initializeGL attaches once there is a GL context
        makeCurrent();
        createRenderContext();
        doneCurrent();
    });
    connect(player, &MpvPlayer::coreAboutToBeDestroyed, this, [this] {
        if (!m_render)
            return;
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    });
}

MpvRenderWidget::~MpvRenderWidget()
{
    // The base class destroys the GL context after this class is gone; its
    // aboutToBeDestroyed must not reach this object's slot then.
    if (QOpenGLContext *glContext = context())
        disconnect(glContext, nullptr, this, nullptr);
    if (!m_render)
        return;
    makeCurrent();
    freeRenderContext();
    doneCurrent();
}

void MpvRenderWidget::initializeGL()
{
    // Connected directly: the context is still current while the signal runs.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvRenderWidget::onContextAboutToBeDestroyed,
            Qt::DirectConnection);
    createRenderContext();
}

void MpvRenderWidget::createRenderContext()
{
    if (m_render || !m_player->handle())
        return;
    mpv_opengl_init_params glInit{&procAddress, nullptr};
    int advanced = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&m_render, m_player->handle(), params) < 0) {
        m_render = nullptr;
        Q_EMIT renderingUnavailable();
        return;
    }
    // Called on the engine's threads: only post the repaint to this thread.
    mpv_render_context_set_update_callback(
        m_render,
        [](void *widget) {
            QMetaObject::invokeMethod(static_cast<MpvRenderWidget *>(widget), qOverload<>(&QWidget::update),
                                      Qt::QueuedConnection);
        },
        this);
}

void MpvRenderWidget::freeRenderContext()
{
    if (!m_render)
        return;
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    m_render = nullptr;
}

void MpvRenderWidget::onContextAboutToBeDestroyed()
{
    if (!m_render)
        return;
    makeCurrent();
    freeRenderContext();
    doneCurrent();
}

void MpvRenderWidget::paintGL()
{
    if (!m_render) {
        context()->functions()->glClearColor(0, 0, 0, 1);
        context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render, params);
}
