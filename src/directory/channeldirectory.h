#pragma once

#include "directory/channelentries.h"
#include "quickselect/filter.h"

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

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

    // Shows these entries, in this order.
    void setRows(QList<int> rows, RowText shown);
    const QList<int> &rows() const { return m_rows; }
    RowText shown() const { return m_shown; }
    // Counts every change of the rows.
    quint64 rowChanges() const { return m_rowChanges; }

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
    static QVariant toolTip(const EntryExtras &extras);

    ChannelEntries m_entries;
    QList<int> m_rows;
    RowText m_shown = RowText::Short;
    quint64 m_rowChanges = 0;
    ChannelFilter m_filter;
};
