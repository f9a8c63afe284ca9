#include "DecisionGrid.h"

#include "DecisionCubeModel.h"
#include "DecisionGridDelegate.h"
#include "DecisionHeaderView.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// The corner over the row headers and the column header rows: the caption cell(s).
class CaptionCorner : public QWidget
{
public:
    CaptionCorner(DecisionGrid *grid, DecisionHeaderView *columnHeader)
        : QWidget(grid), m_grid(grid), m_columnHeader(columnHeader)
    {
        setObjectName(QStringLiteral("captionCorner"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const int n = m_columnHeader->levels();
        for (int level = 0; level < n; ++level) {
            QRect band = rect();
            band.setTop(level * height() / n);
            band.setBottom((level + 1) * height() / n - 1);
            m_grid->gridDelegate()->paintCell(&painter, band, m_grid->gridDelegate()->describeCell(-1, level - n, false));
        }
    }

private:
    DecisionGrid *m_grid;
    DecisionHeaderView *m_columnHeader;
};

} // namespace

DecisionGrid::DecisionGrid(QWidget *parent)
    : QTableView(parent)
{
    m_delegate = new DecisionGridDelegate(this);
    setItemDelegate(m_delegate);
    m_columnHeader = new DecisionHeaderView(Qt::Horizontal, this);
    m_rowHeader = new DecisionHeaderView(Qt::Vertical, this);
    setHorizontalHeader(m_columnHeader);
    setVerticalHeader(m_rowHeader);
    m_columnHeader->setSectionResizeMode(QHeaderView::Interactive);
    m_columnHeader->setDefaultSectionSize(130);
    m_rowHeader->setSectionResizeMode(QHeaderView::Fixed);
    m_rowHeader->setFixedWidth(335);
    setRowHeight(17);
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_dataColor = palette().color(QPalette::ToolTipBase);
    m_rowHeaderFont = font();
    m_corner = new CaptionCorner(this, m_columnHeader);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit cellActivated(index.column(), index.row());
    });
}

void DecisionGrid::setCubeModel(DecisionCubeModel *model)
{
    m_model = model;
    setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_columnHeader->setFixedHeight(m_rowHeight * m_columnHeader->levels());
        updateGeometries();
        m_corner->update();
    });
}

void DecisionGrid::setDrawCellHandler(DrawCellHandler handler)
{
    m_drawCell = std::move(handler);
    repaintAll();
}

void DecisionGrid::setCaption(const QString &caption)
{
    m_caption = caption;
    m_corner->update();
}

void DecisionGrid::setDataColor(const QColor &color)
{
    m_dataColor = color;
    viewport()->update();
}

void DecisionGrid::setRowHeaderFont(const QFont &font)
{
    m_rowHeaderFont = font;
    m_rowHeader->viewport()->update();
}

void DecisionGrid::setRowHeaderWidth(int width)
{
    m_rowHeader->setFixedWidth(width);
}

void DecisionGrid::setRowHeight(int height)
{
    m_rowHeight = height;
    m_rowHeader->setDefaultSectionSize(height);
    m_rowHeader->setMinimumSectionSize(qMin(height, m_rowHeader->minimumSectionSize()));
    m_columnHeader->setBandSize(height);
    m_columnHeader->setFixedHeight(height * m_columnHeader->levels());
}

int DecisionGrid::fixedRows() const
{
    return m_model ? qMax(1, m_model->cube().columnDimensionCount()) : 1;
}

int DecisionGrid::fixedColumns() const
{
    return m_model ? qMax(1, m_model->cube().rowDimensionCount()) : 1;
}

int DecisionGrid::rowCount() const
{
    return (m_model ? m_model->rowCount() : 0) + fixedRows();
}

int DecisionGrid::columnCount() const
{
    return (m_model ? m_model->columnCount() : 0) + fixedColumns();
}

QString DecisionGrid::cellValue(int column, int row) const
{
    if (!m_model)
        return {};
    if (column < 0 && row < 0)
        return row == -1 && column == -1 ? m_caption : QString();
    if (column < 0) {
        const int dim = m_model->cube().rowDimensionCount() + column;
        return dim < 0 ? QString() : m_model->shownHeaderValue(Qt::Vertical, dim, row);
    }
    if (row < 0) {
        const int dim = m_model->cube().columnDimensionCount() + row;
        return dim < 0 ? QString() : m_model->shownHeaderValue(Qt::Horizontal, dim, column);
    }
    return m_model->data(m_model->index(row, column)).toString();
}

void DecisionGrid::gotoCell(int column, int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0)
        return;
    const QModelIndex index = m_model->index(row, qBound(0, column, m_model->columnCount() - 1));
    setCurrentIndex(index);
    scrollTo(index);
}

int DecisionGrid::currentColumn() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

int DecisionGrid::currentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void DecisionGrid::repaintAll()
{
    viewport()->update();
    m_columnHeader->viewport()->update();
    m_rowHeader->viewport()->update();
    m_corner->update();
}

void DecisionGrid::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        emit cellActivated(currentIndex().column(), currentIndex().row());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DecisionGrid::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        emit keyReleased(event->key());
    QTableView::keyReleaseEvent(event);
}

void DecisionGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    // The headers show the selection through the hook too.
    m_rowHeader->viewport()->update();
    if (current.isValid())
        emit currentCellChanged(current.column(), current.row());
}

void DecisionGrid::updateGeometries()
{
    QTableView::updateGeometries();
    if (m_corner) {
        const int frame = frameWidth();
        m_corner->setGeometry(frame, frame, verticalHeader()->width(), horizontalHeader()->height());
        m_corner->raise();
    }
}
