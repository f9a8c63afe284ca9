#include "DBGridCell.h"

#include "ClientDataSet.h"

QVariant DBGridCell::fieldValue(const QString &name) const
{
    if (!dataSet || row < 0)
        return {};
    const Field *f = dataSet->findField(name);
    return f ? dataSet->valueAt(row, f->index()) : QVariant();
}

void DBGridCell::addPicture(const QPixmap &pixmap, QPoint offset, const QColor &transparentColor)
{
    pictures.append(Picture{pixmap, offset, transparentColor});
}

void DBGridCell::clear()
{
    drawText = false;
    pictures.clear();
}
