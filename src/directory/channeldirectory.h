#pragma once

#include "directory/channelentries.h"
#include "quickselect/filter.h"

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

#include <functional>

// One directory (TV or radio): its entries, kept once, and the rows its list
// box shows now, as entry indexes. It is the list box's model.
//
// The working tables are views of it: the working URL and entry line at row
// r are those of entry rows()[r]; the master tables are the entries. So rows
// and working tables never go out of step, and the master tables hold exactly
// the entries of the last load or download.
class ChannelDirectory : public QAbstractListModel
{
    Q_OBJECT
public:
    // What a row shows: the row text ("0000.name", after a load or a
    // download) or the whole entry line (after every quick-select rebuild).
    enum class RowText { Short, EntryLine };

    explicit ChannelDirectory(QObject *parent = nullptr);

    // Replaces every entry; the rows show all of them as row texts.
    void setEntries(ChannelEntries entries);
    const ChannelEntries &entries() const { return m_entries; }

    // Shows these entries, in this order (those of them the narrowing keeps).
    void setRows(QList<int> rows, RowText shown);
    const QList<int> &rows() const { return m_rows; }
    RowText shown() const { return m_shown; }
    // The rows as they were last set, before the narrowing.
    const QList<int> &rowsSet() const { return m_rowsSet; }
    // Counts every time rows are set.
    quint64 rowChanges() const { return m_rowChanges; }

    // What another subsystem adds to the rows: a decoration per entry (a
    // favourite's star), and a narrowing that keeps some of the rows set
    // (only the favourites). Either may be empty: no decoration, every row
    // set is shown.
    using Decoration = std::function<QVariant(int entry)>;
    using Narrowing = std::function<QList<int>(const QList<int> &rows)>;
    void setDecoration(Decoration decoration) { m_decoration = std::move(decoration); }
    // The decoration of any row may have changed.
    void decorationsChanged();
    // Narrows the rows set now, and every rows set later.
    void setNarrowing(Narrowing narrowing);
    // What the narrowing keeps has changed: the rows set are narrowed anew.
    void narrowAgain();

    // The entries whose line holds the quick-select key of `text`, as
    // filterEntries() finds them.
    QList<int> matches(const QString &text);

    // The URL of the entry at row r; empty when there is no row r.
    QString urlAt(int row) const;

    // The tables, as lists.
    QStringList Url() const;
    QStringList Line() const;
    QStringList UrlAll() const;
    QStringList LineAll() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // setEntries() replaced the entries (a load, a download, an import);
    // a change of the rows alone does not count.
    void entriesReplaced();

private:
    QList<int> narrowed(const QList<int> &rows) const { return m_narrowing ? m_narrowing(rows) : rows; }
    static QVariant toolTip(const EntryExtras &extras);

    ChannelEntries m_entries;
    QList<int> m_rowsSet;
    QList<int> m_rows; // m_rowsSet narrowed; shares its data when nothing narrows
    RowText m_shown = RowText::Short;
    quint64 m_rowChanges = 0;
    ChannelFilter m_filter;
    Decoration m_decoration;
    Narrowing m_narrowing;
};
