#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QStringView>

#include <algorithm>

// Bytes written straight into one growing array, for files of tens of
// megabytes: no text is built first and converted afterwards.
class ByteOutput
{
public:
    // Room for `expected` bytes at first; more when they do not suffice.
    explicit ByteOutput(qsizetype expected) { m_bytes.resize(qMax<qsizetype>(expected, 64)); }

    // Makes room for n more bytes and gives where they go; the caller writes
    // at most n and then hands the end to wrote().
    char *room(qsizetype n)
    {
        if (m_bytes.size() - m_size < n)
            m_bytes.resize(qMax(m_bytes.size() * 2, m_size + n));
        return m_bytes.data() + m_size;
    }
    void wrote(const char *end) { m_size = end - m_bytes.constData(); }

    void append(char c) { *room(1) = c, ++m_size; }
    void append(QLatin1String text)
    {
        char *at = room(text.size());
        std::copy(text.begin(), text.end(), at);
        m_size += text.size();
    }
    // As UTF-8; line breaks (CR, LF) as blanks, and double quotes left out
    // when asked. A lone surrogate, which no text read from a file holds,
    // comes out as "?". Says whether the text held a double quote.
    struct Seen
    {
        bool doubleQuote = false;
    };
    Seen appendUtf8(QStringView text, bool dropDoubleQuotes = false);

    qsizetype size() const { return m_size; }
    // Overwrites the byte at `at`, or drops every byte from `at` on.
    void set(qsizetype at, char c) { m_bytes[at] = c; }
    void truncate(qsizetype at) { m_size = at; }

    QByteArray take()
    {
        m_bytes.truncate(m_size);
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    qsizetype m_size = 0;
};
