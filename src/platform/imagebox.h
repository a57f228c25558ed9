#pragma once

#include <QLabel>

// A picture control that raises Click when the user clicks it.
class ImageBox : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
