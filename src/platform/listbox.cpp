#include "listbox.h"

#include <QKeyEvent>

namespace {
constexpr int kRowsPerPass = 10000;
}

ListBox::ListBox(QWidget *parent)
    : QListView(parent)
{
    setUniformItemSizes(true);
    // Lists up to kRowsPerPass rows are laid out at once; a longer one lays
    // out the rest in later passes of the event loop, so that replacing
    // hundreds of thousands of rows never holds up the next keystroke.
    setLayoutMode(QListView::Batched);
    setBatchSize(kRowsPerPass);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    connect(this, &QListView::clicked, this, [this] { Q_EMIT Click(); });
}

int ListBox::ListCount() const { return model() ? model()->rowCount() : 0; }

int ListBox::ListIndex() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() && selectionModel()->isSelected(index) ? index.row() : -1;
}

void ListBox::setListIndex(int row)
{
    if (row < 0 || row >= ListCount()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(model()->index(row, 0));
}

QString ListBox::List(int row) const
{
    if (row < 0 || row >= ListCount())
        return {};
    return model()->index(row, 0).data().toString();
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex().isValid() && currentIndex() != before)
        Q_EMIT Click();
}
