#include "linetable.h"

#include <algorithm>
#include <atomic>

LineTable::LineTable(const LineTable &other)
    : m_text(other.m_text)
    , m_serial(other.serial())
    , m_starts(other.m_starts)
{
}

LineTable &LineTable::operator=(const LineTable &other)
{
    m_text = other.m_text;
    m_serial = other.serial();
    m_starts = other.m_starts;
    return *this;
}

void LineTable::append(std::initializer_list<QStringView> pieces)
{
    if (m_starts.empty())
        m_starts.push_back(0);
    // One resize and plain copies: appending piece by piece costs more than
    // the copying at hundreds of thousands of lines.
    qsizetype length = 1;
    for (const QStringView piece : pieces)
        length += piece.size();
    qsizetype at = m_text.size();
    m_text.resize(at + length);
    QChar *out = m_text.data();
    for (const QStringView piece : pieces) {
        std::copy(piece.begin(), piece.end(), out + at);
        at += piece.size();
    }
    out[at] = QChar(Separator);
    m_starts.push_back(m_text.size());
    changed();
}

void LineTable::squeeze()
{
    m_text.squeeze();
    m_starts.shrink_to_fit();
}

quint64 LineTable::serial() const
{
    static std::atomic<quint64> last{0};
    if (m_serial == 0)
        m_serial = ++last;
    return m_serial;
}

void LineTable::reserve(qsizetype characters, qsizetype lines)
{
    m_text.reserve(characters);
    m_starts.reserve(size_t(lines) + 1);
}
