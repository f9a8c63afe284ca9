#pragma once

#include "DBGridCell.h"

#include <QStyledItemDelegate>

class DBGrid;

// Paints and edits the cells of a DBGrid.  Painting goes through describeCell(), which
// gives the default look (grid colour, selection, numbers right-aligned), then the look
// a derived delegate gives in decorateCell(), then lets the form's draw handler change
// it; tests ask describeCell() what a cell would show.  A grid whose visual rules belong
// to the grid rather than to a form installs a derived delegate (DBGrid::setGridDelegate).
// Editors: a masked edit (with the field's edit mask, limited to the field's size) or a
// drop-down for a column with a pick list.  The first change in an editor puts the
// dataset in edit; the text is written into the field when the cell is left.
class DBGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DBGridDelegate(DBGrid *grid);

    DBGridCell describeCell(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    // The same for a visible cell by dataset row and grid column.
    DBGridCell describeCell(int row, int gridColumn) const;
    // Whether the cell shows its column's button now, and where.
    bool showsButton(const QModelIndex &index) const;
    QRect buttonRect(const QRect &cellRect) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

protected:
    // A derived delegate's look of a cell, applied over the default one.
    virtual void decorateCell(DBGridCell &cell) const;
    DBGrid *grid() const { return m_grid; }
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void editorChanged(QWidget *editor) const;

    DBGrid *m_grid;
};
