#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVariant>

class ClientDataSet;
class Field;

// One cell of a data-aware grid as it will be painted.  The grid's delegate fills in the
// cell and its default look, then lets the form's draw handler change it: colours, text,
// alignment, pictures.  Tests ask the delegate for this description instead of reading
// pixels.
struct DBGridCell
{
    // --- the cell ------------------------------------------------------------------------
    int row = -1;              // 0-based row of the dataset in index order
    int column = -1;           // grid column
    QString fieldName;
    Field *field = nullptr;    // the column's field (its value() is the current record's!)
    QVariant value;            // this cell's value
    QString text;              // this cell's display text
    QRect rect;
    bool selected = false;
    bool focused = false;      // the grid's current cell while the grid has the focus
    bool currentRow = false;   // the dataset's current record
    const ClientDataSet *dataSet = nullptr;

    // The value of another field of this cell's row (not of the current record).
    QVariant fieldValue(const QString &name) const;
    QString fieldText(const QString &name) const { return fieldValue(name).toString(); }

    // --- what to paint ---------------------------------------------------------------------
    struct Picture
    {
        QPixmap pixmap;
        QPoint offset;             // from the cell's top-left corner
        QColor transparentColor;   // pixels of this colour are not drawn; invalid: none
    };

    QColor background;
    QColor foreground;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    int margin = 2;            // text distance from the cell's edges
    bool drawText = true;
    bool bold = false;
    bool drawFocusRect = false;
    QList<Picture> pictures;

    // Draws a picture in the cell (the system's InsereImagem): at offset, with a colour
    // taken as transparent.
    void addPicture(const QPixmap &pixmap, QPoint offset = QPoint(2, 0),
                    const QColor &transparentColor = QColor());
    // Clears the cell: no text, no pictures; the background stays.
    void clear();
};
