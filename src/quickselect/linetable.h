#pragma once

#include <QString>
#include <QStringView>

#include <QtGlobal>

#include <initializer_list>
#include <vector>

// Many short texts kept in one string, each followed by a line feed, so that
// hundreds of thousands of them cost one allocation and can be searched as
// one text. Text i is a view into that string.
class LineTable
{
public:
    static constexpr char16_t Separator = u'\n';

    LineTable() = default;
    // A copy holds the same texts under the same serial.
    LineTable(const LineTable &other);
    LineTable &operator=(const LineTable &other);
    LineTable(LineTable &&) = default;
    LineTable &operator=(LineTable &&) = default;

    // Appends one text made of the pieces in turn.
    void append(std::initializer_list<QStringView> pieces);
    // Frees the room kept for further texts.
    void squeeze();
    void reserve(qsizetype characters, qsizetype lines);

    int count() const { return m_starts.empty() ? 0 : int(m_starts.size()) - 1; } // empty once moved from
    QStringView at(int i) const { return QStringView(m_text).sliced(m_starts[i], length(i)); }
    qsizetype length(int i) const { return m_starts[size_t(i) + 1] - 1 - m_starts[i]; }
    // Where text i starts in the joined text.
    qsizetype start(int i) const { return m_starts[i]; }
    // Every text followed by a line feed.
    const QString &text() const { return m_text; }
    // Names the content: tables with equal serials hold the same texts. A
    // change gives the table a serial no table had before.
    quint64 serial() const;

private:
    void changed() { m_serial = 0; }

    QString m_text;
    mutable quint64 m_serial = 0; // 0: not named since the last change
    std::vector<qsizetype> m_starts{0}; // text i is m_text[m_starts[i], m_starts[i + 1] - 1)
};
