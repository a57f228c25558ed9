#include "channeldirectory.h"

#include <numeric>

ChannelDirectory::ChannelDirectory(QObject *parent)
    : QAbstractListModel(parent)
{
}

namespace {

// Whether `after` is `before` with some rows taken out.
bool onlyLeave(const QList<int> &before, const QList<int> &after)
{
    qsizetype k = 0;
    for (qsizetype r = 0; r < before.size() && k < after.size(); ++r) {
        if (before.at(r) == after.at(k))
            ++k;
    }
    return k == after.size();
}

} // namespace

void ChannelDirectory::setEntries(ChannelEntries entries)
{
    QList<int> all(entries.count());
    std::iota(all.begin(), all.end(), 0);
    beginResetModel();
    m_entries = std::move(entries);
    m_rowsSet = std::move(all);
    m_rows = narrowed(m_rowsSet);
    m_shown = RowText::Short;
    ++m_rowChanges;
    endResetModel();
    // The search text is ready; the character counts are taken now, so that
    // the first key after a new directory finds everything prepared.
    m_filter.prepare(m_entries.lines());
    Q_EMIT entriesReplaced();
}

void ChannelDirectory::setRows(QList<int> rows, RowText shown)
{
    beginResetModel();
    m_rowsSet = std::move(rows);
    m_rows = narrowed(m_rowsSet);
    m_shown = shown;
    ++m_rowChanges;
    endResetModel();
}

void ChannelDirectory::decorationsChanged()
{
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1), {Qt::DecorationRole});
}

void ChannelDirectory::setNarrowing(Narrowing narrowing)
{
    beginResetModel();
    m_narrowing = std::move(narrowing);
    m_rows = narrowed(m_rowsSet);
    endResetModel();
}

// Rows that only leave go a run at a time, so that the list keeps its place
// and its selection; when any row comes, the rows are shown afresh.
void ChannelDirectory::narrowAgain()
{
    const QList<int> kept = narrowed(m_rowsSet);
    if (!onlyLeave(m_rows, kept)) {
        beginResetModel();
        m_rows = kept;
        endResetModel();
        return;
    }
    qsizetype k = 0;
    for (qsizetype r = 0; r < m_rows.size();) {
        if (k < kept.size() && m_rows.at(r) == kept.at(k)) {
            ++r;
            ++k;
            continue;
        }
        qsizetype end = r + 1;
        while (end < m_rows.size() && (k >= kept.size() || m_rows.at(end) != kept.at(k)))
            ++end;
        beginRemoveRows(QModelIndex(), int(r), int(end - 1));
        m_rows.remove(r, end - r);
        endRemoveRows();
    }
}

QList<int> ChannelDirectory::matches(const QString &text)
{
    return m_filter.apply(m_entries.lines(), text);
}

QString ChannelDirectory::urlAt(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return QString();
    return m_entries.url(m_rows.at(row)).toString();
}

QStringList ChannelDirectory::Url() const
{
    QStringList urls;
    urls.reserve(m_rows.size());
    for (const int i : m_rows)
        urls.append(m_entries.url(i).toString());
    return urls;
}

QStringList ChannelDirectory::Line() const
{
    QStringList lines;
    lines.reserve(m_rows.size());
    for (const int i : m_rows)
        lines.append(m_entries.line(i).toString());
    return lines;
}

QStringList ChannelDirectory::UrlAll() const
{
    QStringList urls;
    urls.reserve(m_entries.count());
    for (int i = 0; i < m_entries.count(); ++i)
        urls.append(m_entries.url(i).toString());
    return urls;
}

QStringList ChannelDirectory::LineAll() const
{
    QStringList lines;
    lines.reserve(m_entries.count());
    for (int i = 0; i < m_entries.count(); ++i)
        lines.append(m_entries.line(i).toString());
    return lines;
}

int ChannelDirectory::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

// Display texts are made for the rows the list box asks for, the visible ones.
QVariant ChannelDirectory::data(const QModelIndex &index, int role) const
{
    if (index.parent().isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return QVariant();
    const int entry = m_rows.at(index.row());
    if (role == Qt::DisplayRole)
        return (m_shown == RowText::EntryLine ? m_entries.line(entry) : m_entries.rowText(entry)).toString();
    if (role == Qt::DecorationRole && m_decoration)
        return m_decoration(entry);
    if (role == Qt::ToolTipRole)
        return toolTip(m_entries.extras(entry));
    return QVariant();
}

// The group and the logo of an entry that a playlist brought; no tip for an
// entry without either.
QVariant ChannelDirectory::toolTip(const EntryExtras &extras)
{
    QStringList lines;
    if (!extras.group.isEmpty())
        lines << QStringLiteral("分组：") + extras.group.toString();
    if (!extras.logo.isEmpty())
        lines << QStringLiteral("台标：") + extras.logo.toString();
    return lines.isEmpty() ? QVariant() : QVariant(lines.join(u'\n'));
}
