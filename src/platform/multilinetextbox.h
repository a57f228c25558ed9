#pragma once

#include <QPlainTextEdit>

// A multi-line text box whose Text is kept exactly as set, line breaks
// included (the editor itself turns CR LF into its own paragraph breaks).
// While the box is hidden its editor stays empty: laying out a list text of
// hundreds of thousands of lines would take a second and tens of megabytes
// for a box nobody sees. The editor gets the text when the box is shown.
class MultiLineTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    QString Text() const { return m_text; }
    void setText(const QString &text)
    {
        m_text = text;
        m_shown = false;
        if (isVisible())
            showText();
        else
            clear();
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        showText();
        QPlainTextEdit::showEvent(event);
    }

private:
    void showText()
    {
        if (m_shown)
            return;
        m_shown = true;
        setPlainText(m_text);
    }

    QString m_text;
    bool m_shown = true; // the editor shows m_text
};
