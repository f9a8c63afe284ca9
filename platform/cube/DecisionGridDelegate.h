#pragma once

#include "DecisionDrawCell.h"

#include <QStyledItemDelegate>

class DecisionGrid;

// Paints the cells of a DecisionGrid.  Every cell, header cells included, goes through
// describeCell(): the default look, then the grid's drawing hook; paint() only draws what
// it answers, so a test can ask what a cell would show.  Counts the data cells it paints,
// to show that a view paints only what is visible.
class DecisionGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DecisionGridDelegate(DecisionGrid *grid);

    DecisionDrawCell describeCell(int column, int row, bool selected) const;
    // Draws a described cell into rect (data and header cells alike).
    void paintCell(QPainter *painter, const QRect &rect, const DecisionDrawCell &cell) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    int paintCount() const { return m_paintCount; }
    void resetPaintCount() { m_paintCount = 0; }

private:
    DecisionGrid *m_grid;
    mutable int m_paintCount = 0;
};
