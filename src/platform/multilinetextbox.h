#pragma once

#include <QPlainTextEdit>

// A multi-line text box whose Text is kept exactly as set, line breaks
// included (the editor itself turns CR LF into its own paragraph breaks).
class MultiLineTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    QString Text() const { return m_text; }
    void setText(const QString &text)
    {
        m_text = text;
        setPlainText(text);
    }

private:
    QString m_text;
};
