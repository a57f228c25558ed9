#pragma once

#include "platform/listbox.h"

#include <QAbstractItemModel>

// A list box over a model, shown at the size of the window's TV list, so a
// timed change pays for laying out the rows in sight as the program does.
struct ShownList
{
    explicit ShownList(QAbstractItemModel &model)
    {
        list.setModel(&model);
        list.resize(130, 500);
        list.show();
    }
    ListBox list;
};
