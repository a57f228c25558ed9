#pragma once

#include <QListView>
#include <QString>

// A list box: rows of text, a selected row index and a Click event raised when
// the user picks a row with the mouse (also the row already selected) or moves
// the selection with the keyboard. It is a view over a list model, so that
// hundreds of thousands of rows are set in one step and only the rows in
// sight are ever asked for their text.
class ListBox : public QListView
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    int ListCount() const;
    int ListIndex() const; // -1 when no row is selected
    void setListIndex(int row);
    QString List(int row) const; // empty outside 0 .. ListCount() - 1

Q_SIGNALS:
    void Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
