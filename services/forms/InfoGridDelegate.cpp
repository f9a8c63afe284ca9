#include "InfoGridDelegate.h"

#include "DBGrid.h"

InfoGridDelegate::InfoGridDelegate(DBGrid *grid)
    : DBGridDelegate(grid)
{
}

void InfoGridDelegate::setFlagPicture(const QString &fieldName, const QPixmap &picture, const QColor &transparent)
{
    m_flags.insert(fieldName.toUpper(), Flag{picture, transparent});
    grid()->viewport()->update();
}

void InfoGridDelegate::decorateCell(DBGridCell &cell) const
{
    if (!cell.selected)
        cell.foreground = Qt::black;
    cell.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    cell.margin = 2;
    const auto flag = m_flags.constFind(cell.fieldName.toUpper());
    if (flag == m_flags.constEnd())
        return;
    cell.clear();
    if (cell.value.toString().trimmed().compare(QLatin1String("S"), Qt::CaseInsensitive) == 0)
        cell.addPicture(flag->picture, QPoint(2, 0), flag->transparent);
}
