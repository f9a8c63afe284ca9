#include "ConsisteGui.h"

#include "DataSetModel.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QBitmap>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace Consiste {

int IndiceCol(const QAbstractItemView *grid, const QString &fieldName)
{
    if (!grid || !grid->model())
        return -1;
    const QAbstractItemModel *model = grid->model();
    if (const auto *dsModel = qobject_cast<const DataSetModel *>(model)) {
        const int column = dsModel->columnForField(fieldName);
        if (column >= 0)
            return column;
    }
    if (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(model)) {
        if (const auto *dsModel = qobject_cast<const DataSetModel *>(proxy->sourceModel())) {
            const int sourceColumn = dsModel->columnForField(fieldName);
            if (sourceColumn < 0)
                return -1;
            const QModelIndex mapped = proxy->mapFromSource(dsModel->index(0, sourceColumn));
            if (mapped.isValid())
                return mapped.column();
        }
    }
    // Any other model: ask the field name of each column's first cell.
    if (model->rowCount() > 0) {
        for (int c = 0; c < model->columnCount(); ++c) {
            const QString name = model->index(0, c).data(DataSetModel::FieldNameRole).toString();
            if (name.compare(fieldName, Qt::CaseInsensitive) == 0)
                return c;
        }
    }
    return -1;
}

void InsereImagem(QPainter *painter, const QRect &rect, const QPixmap &pixmap, const QColor &transparent)
{
    if (!painter || pixmap.isNull())
        return;
    QPixmap picture = pixmap;
    picture.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
    QSize size = picture.size();
    if (size.width() > rect.width() || size.height() > rect.height())
        size.scale(rect.size(), Qt::KeepAspectRatio);
    const QRect target(rect.x() + (rect.width() - size.width()) / 2,
                       rect.y() + (rect.height() - size.height()) / 2, size.width(), size.height());
    painter->drawPixmap(target, picture);
}

void SetChildEnabled(QWidget *container, bool enabled)
{
    if (!container)
        return;
    const auto children = container->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->setEnabled(enabled);
}

} // namespace Consiste
