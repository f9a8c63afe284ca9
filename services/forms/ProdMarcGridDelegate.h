#pragma once

#include "DBGridDelegate.h"

#include <QColor>
#include <QPixmap>

// The look of the product/brand grid of the products page:
//   * the unit price (VRPRECUNIITM), unless selected, on the grid's info-background
//     colour; yellow when the price was changed while editing (IDITMCOTPREC 'S'); the
//     inactive-caption colour when there is no price yet (0 or empty), which wins over
//     yellow.  Black text, right-aligned, in the field's display format;
//   * the alteration column (IDPRECALT) shows pictures only: the altered-price picture
//     when IDPRECALT is 'S', and to its right the price-list picture when the item
//     belongs to a price list (IDITMLISPREC 'S').
// Every other cell keeps the grid's default look.
class ProdMarcGridDelegate : public DBGridDelegate
{
    Q_OBJECT

public:
    explicit ProdMarcGridDelegate(DBGrid *grid);

    void setPictures(const QPixmap &priceAltered, const QPixmap &inPriceList, const QColor &transparent);

    // The background of a price changed while editing.
    static QColor changedPriceColour();
    // The background of a price of zero: the system's inactive-caption colour.
    static QColor zeroPriceColour();

protected:
    void decorateCell(DBGridCell &cell) const override;

private:
    void decoratePrice(DBGridCell &cell) const;
    void decorateAlteration(DBGridCell &cell) const;

    QPixmap m_priceAltered;
    QPixmap m_inPriceList;
    QColor m_transparent;
};
