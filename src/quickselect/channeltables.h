#pragma once

#include <QStringList>

// The four tables of one directory. The working tables describe the rows now
// shown in the directory's list box (row r = index r); the master copies hold
// the complete directory. Every table holds exactly its entries: the entry
// count is the size of the master tables, with no upper bound.
struct ChannelTables
{
    QStringList Url;
    QStringList Line;
    QStringList UrlAll;
    QStringList LineAll;

    int entryCount() const { return int(UrlAll.size()); }
    // Copies the working tables into the master copies.
    void copyToMaster()
    {
        UrlAll = Url;
        LineAll = Line;
    }
};
