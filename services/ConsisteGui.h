#pragma once

#include "Consiste.h"

class QAbstractItemView;
class QColor;
class QPainter;
class QPixmap;
class QRect;
class QWidget;

// The routines of Consiste that work on widgets.
namespace Consiste {

// The column of a grid that shows a field (by name, case-insensitive); -1 when none.
// The grid's model is a DataSetModel, or a proxy over one.
int IndiceCol(const QAbstractItemView *grid, const QString &fieldName);

// Draws a picture centred in rect, pixels of the transparent colour left out; for item
// delegates that put a picture into a cell.
void InsereImagem(QPainter *painter, const QRect &rect, const QPixmap &pixmap, const QColor &transparent);

// Enables or disables every child widget of a container (the container itself keeps its
// state).
void SetChildEnabled(QWidget *container, bool enabled);

} // namespace Consiste
