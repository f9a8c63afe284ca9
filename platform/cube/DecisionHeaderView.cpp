#include "DecisionHeaderView.h"

#include "DecisionCubeModel.h"
#include "DecisionGrid.h"
#include "DecisionGridDelegate.h"

#include <QPainter>

DecisionHeaderView::DecisionHeaderView(Qt::Orientation orientation, DecisionGrid *grid)
    : QHeaderView(orientation, grid)
    , m_grid(grid)
{
    setSectionsClickable(false);
    setHighlightSections(false);
}

int DecisionHeaderView::levels() const
{
    const DecisionCubeModel *model = m_grid->cubeModel();
    if (!model)
        return 1;
    const int n = orientation() == Qt::Horizontal ? model->cube().columnDimensionCount()
                                                  : model->cube().rowDimensionCount();
    return qMax(1, n);
}

QSize DecisionHeaderView::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (orientation() == Qt::Horizontal)
        size.setHeight(m_bandSize * levels());
    return size;
}

void DecisionHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const int n = levels();
    for (int level = 0; level < n; ++level) {
        QRect band = rect;
        DecisionDrawCell cell;
        if (orientation() == Qt::Horizontal) {
            band.setTop(rect.top() + level * rect.height() / n);
            band.setBottom(rect.top() + (level + 1) * rect.height() / n - 1);
            cell = m_grid->gridDelegate()->describeCell(logicalIndex, level - n, false);
        } else {
            band.setLeft(rect.left() + level * rect.width() / n);
            band.setRight(rect.left() + (level + 1) * rect.width() / n - 1);
            cell = m_grid->gridDelegate()->describeCell(level - n, logicalIndex, false);
        }
        m_grid->gridDelegate()->paintCell(painter, band, cell);
    }
}
