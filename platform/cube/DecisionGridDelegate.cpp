#include "DecisionGridDelegate.h"

#include "DecisionCubeModel.h"
#include "DecisionGrid.h"

#include <QApplication>
#include <QPainter>

DecisionGridDelegate::DecisionGridDelegate(DecisionGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

DecisionDrawCell DecisionGridDelegate::describeCell(int column, int row, bool selected) const
{
    DecisionDrawCell cell;
    cell.column = column;
    cell.row = row;
    cell.selected = selected;
    cell.font = m_grid->font();
    const QPalette palette = m_grid->palette();
    if (column >= 0 && row >= 0) {
        cell.kind = DecisionDrawCell::Kind::Data;
        cell.background = m_grid->dataColor();
        cell.foreground = palette.color(QPalette::Text);
    } else {
        cell.kind = column < 0 && row < 0 ? DecisionDrawCell::Kind::Caption
                    : column < 0          ? DecisionDrawCell::Kind::RowHeader
                                          : DecisionDrawCell::Kind::ColumnHeader;
        cell.background = palette.color(QPalette::Button);
        cell.foreground = palette.color(QPalette::ButtonText);
        if (cell.kind == DecisionDrawCell::Kind::RowHeader)
            cell.font = m_grid->rowHeaderFont();
    }
    cell.text = m_grid->cellValue(column, row);
    if (const auto &hook = m_grid->drawCellHandler())
        hook(cell);
    return cell;
}

void DecisionGridDelegate::paintCell(QPainter *painter, const QRect &rect, const DecisionDrawCell &cell) const
{
    painter->save();
    QColor background = cell.background;
    QColor foreground = cell.foreground;
    if (cell.selected) {
        background = m_grid->palette().color(QPalette::Highlight);
        foreground = m_grid->palette().color(QPalette::HighlightedText);
    }
    painter->fillRect(rect, background);
    QFont font = cell.font;
    if (cell.emphasis)
        font.setBold(true);
    painter->setFont(font);
    painter->setPen(foreground);
    const QRect textRect = rect.adjusted(3, 0, -3, 0);
    const Qt::Alignment align = cell.kind == DecisionDrawCell::Kind::Data ? Qt::AlignRight | Qt::AlignVCenter
                                                                           : Qt::AlignLeft | Qt::AlignVCenter;
    painter->drawText(textRect, int(align), painter->fontMetrics().elidedText(cell.text, Qt::ElideNone, textRect.width()));
    if (cell.emphasis) {
        QPen frame(cell.selected ? foreground : QColor(0, 0, 0));
        frame.setWidth(2);
        painter->setPen(frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(1, 1, -2, -2));
    }
    if (cell.kind != DecisionDrawCell::Kind::Data) {
        painter->setPen(m_grid->palette().color(QPalette::Mid));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    painter->restore();
}

void DecisionGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    ++m_paintCount;
    const bool selected = m_grid->currentIndex() == index;
    paintCell(painter, option.rect, describeCell(index.column(), index.row(), selected));
}
