#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QStringList>

// The display text of every row a list box shows, first row first.
inline QStringList listRows(const QAbstractItemView *view)
{
    QStringList rows;
    const QAbstractItemModel *model = view->model();
    for (int r = 0; model && r < model->rowCount(); ++r)
        rows.append(model->index(r, 0).data().toString());
    return rows;
}
