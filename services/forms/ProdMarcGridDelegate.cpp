#include "ProdMarcGridDelegate.h"

#include "DBGrid.h"

#include <QApplication>
#include <QPalette>

namespace {

bool isFlagSet(const QVariant &value)
{
    return value.toString().trimmed().compare(QLatin1String("S"), Qt::CaseInsensitive) == 0;
}

} // namespace

ProdMarcGridDelegate::ProdMarcGridDelegate(DBGrid *grid)
    : DBGridDelegate(grid)
{
}

void ProdMarcGridDelegate::setPictures(const QPixmap &priceAltered, const QPixmap &inPriceList,
                                       const QColor &transparent)
{
    m_priceAltered = priceAltered;
    m_inPriceList = inPriceList;
    m_transparent = transparent;
    grid()->viewport()->update();
}

QColor ProdMarcGridDelegate::changedPriceColour()
{
    return QColor(255, 255, 0);
}

QColor ProdMarcGridDelegate::zeroPriceColour()
{
    // Qt has no palette role for a window's inactive caption; this is the colour desktop
    // themes give it by default, light enough for black text.
    return QColor(191, 205, 219);
}

void ProdMarcGridDelegate::decorateCell(DBGridCell &cell) const
{
    if (cell.fieldName.compare(QLatin1String("VRPRECUNIITM"), Qt::CaseInsensitive) == 0)
        decoratePrice(cell);
    else if (cell.fieldName.compare(QLatin1String("IDPRECALT"), Qt::CaseInsensitive) == 0)
        decorateAlteration(cell);
}

void ProdMarcGridDelegate::decoratePrice(DBGridCell &cell) const
{
    // A selected price keeps the grid's selection look.
    if (cell.selected)
        return;
    const QColor info = grid()->color().isValid() ? grid()->color()
                                                  : QApplication::palette().color(QPalette::ToolTipBase);
    cell.background = info;
    if (isFlagSet(cell.fieldValue(QStringLiteral("IDITMCOTPREC"))))
        cell.background = changedPriceColour();
    if (cell.value.toDouble() == 0)
        cell.background = zeroPriceColour();
    cell.foreground = Qt::black;
    cell.alignment = Qt::AlignRight | Qt::AlignVCenter;
    cell.margin = 2;
}

void ProdMarcGridDelegate::decorateAlteration(DBGridCell &cell) const
{
    cell.clear();
    if (isFlagSet(cell.value))
        cell.addPicture(m_priceAltered, QPoint(2, 0), m_transparent);
    if (isFlagSet(cell.fieldValue(QStringLiteral("IDITMLISPREC"))))
        cell.addPicture(m_inPriceList, QPoint(m_priceAltered.width() + 2, 0), m_transparent);
}
