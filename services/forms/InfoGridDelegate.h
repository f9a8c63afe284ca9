#pragma once

#include "DBGridDelegate.h"

#include <QColor>
#include <QHash>
#include <QPixmap>

// The look of the browsing grids of the products page (regions, suppliers): every cell on
// the grid's info-background colour in black, left-aligned, the selected cell in the
// highlight colours.  A flag column shows a picture where its value is 'S' and nothing
// otherwise (the supplier marked as quoted).
class InfoGridDelegate : public DBGridDelegate
{
    Q_OBJECT

public:
    explicit InfoGridDelegate(DBGrid *grid);

    // The column of fieldName shows picture (pixels of the transparent colour left out)
    // instead of its text when the value is 'S'.
    void setFlagPicture(const QString &fieldName, const QPixmap &picture, const QColor &transparent);

protected:
    void decorateCell(DBGridCell &cell) const override;

private:
    struct Flag
    {
        QPixmap picture;
        QColor transparent;
    };
    QHash<QString, Flag> m_flags; // by upper-case field name
};
