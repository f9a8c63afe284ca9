#pragma once

#include <QHeaderView>

class DecisionGrid;

// A header of a DecisionGrid: each section is split into one band per dimension of its
// orientation (stacked for columns, side by side for rows), each band painted as the
// grid's cell at its coordinates.
class DecisionHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    DecisionHeaderView(Qt::Orientation orientation, DecisionGrid *grid);

    int levels() const;
    void setBandSize(int size) { m_bandSize = size; updateGeometry(); }
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    DecisionGrid *m_grid;
    int m_bandSize = 17;
};
