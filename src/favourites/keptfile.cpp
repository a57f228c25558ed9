#include "keptfile.h"

#include "platform/atomicfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QByteArray headerLine(const QByteArray &kind)
{
    return "chengyu-tv " + kind + ' ' + QByteArray::number(KeptFileVersion);
}

bool needsEscape(char c)
{
    return c == '\\' || c == '\t' || c == '\n' || c == '\r';
}

void appendEscaped(QByteArray &out, const QByteArray &field)
{
    if (std::none_of(field.cbegin(), field.cend(), needsEscape)) {
        out += field; // the usual case, copied whole
        return;
    }
    for (const char c : field) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

// The field's text, or false for a backslash not followed by one of the
// four escapes.
bool unescape(QByteArrayView field, QByteArray &out)
{
    out.clear();
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == field.size())
            return false;
        switch (field[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return false;
        }
    }
    return true;
}

bool parseRecord(QByteArrayView line, QStringList &fields)
{
    if (!line.isValidUtf8())
        return false;
    QByteArray bytes;
    qsizetype from = 0;
    for (;;) {
        const qsizetype tab = line.indexOf('\t', from);
        const qsizetype end = tab < 0 ? line.size() : tab;
        if (!unescape(line.sliced(from, end - from), bytes))
            return false;
        fields.append(QString::fromUtf8(bytes));
        if (tab < 0)
            return true;
        from = tab + 1;
    }
}

} // namespace

QByteArray formatKeptFile(const QByteArray &kind, const QList<QStringList> &records)
{
    QByteArray out = headerLine(kind) + '\n';
    for (const QStringList &record : records) {
        for (qsizetype i = 0; i < record.size(); ++i) {
            if (i > 0)
                out += '\t';
            appendEscaped(out, record.at(i).toUtf8());
        }
        out += '\n';
    }
    return out;
}

KeptRecords parseKeptFile(const QByteArray &content, const QByteArray &kind)
{
    QByteArrayView rest(content);
    if (rest.startsWith("\xEF\xBB\xBF")) // a byte order mark left by an editor
        rest = rest.sliced(3);
    KeptRecords result;
    bool first = true;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        if (end < 0) { // a cut last line is never taken for a record
            result.whole = false;
            break;
        }
        QByteArrayView line = rest.first(end);
        rest = rest.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (first) {
            first = false;
            if (line != headerLine(kind))
                return {{}, false};
            continue;
        }
        if (line.isEmpty())
            continue;
        QStringList fields;
        if (parseRecord(line, fields))
            result.records.append(fields);
        else
            result.whole = false;
    }
    if (first && !content.isEmpty())
        result.whole = false; // no header line at all
    return result;
}

KeptFile::KeptFile(QString path, QByteArray kind) : m_path(std::move(path)), m_kind(std::move(kind)) {}

QList<QStringList> KeptFile::read()
{
    m_state = State::Clean;
    if (m_path.isEmpty())
        return {};
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink())
        return {};
    // A folder, pipe or device of that name is not ours to read or replace.
    if (!info.isFile()) {
        m_state = State::LeaveAlone;
        return {};
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_state = State::KeepCopyFirst;
        return {};
    }
    QByteArray content = file.read(KeptFileReadLimit + 1);
    const bool cut = content.size() > KeptFileReadLimit;
    if (cut)
        content.truncate(KeptFileReadLimit);
    KeptRecords parsed = parseKeptFile(content, m_kind);
    if (cut || !parsed.whole)
        m_state = State::KeepCopyFirst;
    return std::move(parsed.records);
}

void KeptFile::markDamaged()
{
    if (m_state == State::Clean)
        m_state = State::KeepCopyFirst;
}

bool KeptFile::keepCopy() const
{
    if (!QFileInfo::exists(m_path))
        return true; // gone meanwhile: nothing left to keep
    for (int n = 1; n <= 9; ++n) {
        const QString copy = m_path + QStringLiteral(".bad") + (n > 1 ? QString::number(n) : QString());
        if (!QFileInfo::exists(copy) && !QFileInfo(copy).isSymLink())
            return QFile::copy(m_path, copy);
    }
    return false;
}

bool KeptFile::write(const QList<QStringList> &records)
{
    if (m_path.isEmpty() || m_state == State::LeaveAlone)
        return false;
    if (m_state == State::KeepCopyFirst) {
        if (!keepCopy()) {
            m_state = State::LeaveAlone;
            return false;
        }
        m_state = State::Clean;
    }
    return writeFileAtomically(m_path, formatKeptFile(m_kind, records));
}
