#include "linetable.h"

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
    for (const QStringView piece : pieces)
        m_text.append(piece);
    m_text.append(QChar(Separator));
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
