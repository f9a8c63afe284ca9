#pragma once

#include "DataPacket.h"

#include <QString>
#include <QStringList>

class ClientDataSet;

// The products page of the workspace as the maintenance dialogs see it: its three grids
// (regions, the suppliers of the current region, the product/brand rows of the current
// supplier), the quoted suppliers copied for the supplier insertion, the packet caches and
// the reloads.  The workspace implements it and hands it to the dialogs that reshape a
// quotation, which never include the workspace itself.
class ProductsPage
{
public:
    virtual ~ProductsPage();

    virtual ClientDataSet *gridRegiao() const = 0;        // the quotation's regions
    virtual ClientDataSet *gridFornecedor() const = 0;    // the current region's suppliers
    virtual ClientDataSet *gridProdMarc() const = 0;      // the current supplier's rows
    virtual ClientDataSet *fornCotadosAux() const = 0;    // copy of the quoted suppliers

    // Forgets the packets of suppliers and rows read so far: the next load asks the server.
    virtual void resetGridCaches() = 0;
    // Forgets the rows' packets only.
    virtual void resetProdMarcCache() = 0;
    // Reloads the quotation's regions, which reloads the grids below them.
    virtual void GetGridRegiao(const QString &number) = 0;
    // Reloads the suppliers of one region.
    virtual void GetGridFornecedor(const QString &number, const QString &region) = 0;
    // Asks whether items of a price list may be removed ("Del_Itens_Lista"); true for Yes.
    virtual bool confirmPriceListRemoval() = 0;

    // Distinct records of a packet over the named fields, in the order met: a record is
    // kept when no earlier record has the same values in those fields (compared as text,
    // without case).  The fields keep the source's types and sizes and are not required.
    static DataPacket DegRegistros(const QStringList &fieldNames, const DataPacket &data);
};
