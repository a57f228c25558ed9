#pragma once

#include <QWidget>

// The side of the player view that plays streams.
class StreamSide : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Plays the address (with an optional "|" header list), replacing what played.
    virtual void play(const QString &address) = 0;
    // Stops what plays; nothing runs on in the background afterwards.
    virtual void stop() = 0;
};
