#pragma once

#include "DataPacket.h"

#include <QDate>
#include <QString>
#include <QVariant>

class NetConnection;

// The filter of the quotation list as GetColetaPr takes it: lists as the list search
// writes them ("_code_code_"), marks "T" for "all", dates invalid for an open side.
struct ColetaPrFilter
{
    QString branch;        // central branch
    QString buyers;
    QString allBuyers;
    QDate firstDate;
    QDate lastDate;
    QString allDates;
    QString suppliers;
    QString allSuppliers;
    QString regions;
    QString allRegions;
};

struct GetColetaPrReply
{
    DataPacket packet;     // the quotation list (layout "Coletapr")
    ColetaPrFilter filter; // the by-reference arguments after the call
};

// The scope of Verif_Lista: a blank code stands for "all".
struct VerifListaReply
{
    bool inPriceList = false;
    QString region;        // the region argument after the call
};

// SetItemCole: the changes of a quotation (header delta of the list, item delta of the
// product/brand grid) with the scope and audit texts that go with them.
struct SetItemColeArgs
{
    QVariant headerDelta;  // a delta packet or null
    QVariant itemDelta;    // a delta packet or null
    QDate collectionDate;
    bool allRegions = false;
    QString branch;        // logged branch
    QString operatorCode;  // logged operator
    bool allSuppliers = false;
    QString allRegionsText;
    QString oneRegionText;
    QString allSuppliersText;
    QString oneSupplierText;
    bool consultation = false; // workspace started on a packet
    QString purchase;
    QString buyer;
    QDate firstDate;
    QDate lastDate;
};

struct SetItemColeReply
{
    QVariant result;
    QVariant headerDelta;  // the by-reference deltas after the call
    QVariant itemDelta;
};

// The typed client of the server object "Sup05200.rdmGridCotaPrec": one function per
// method of the protocol contract, arguments by name, on a connection it is given (it does
// not own it).  Failures raise what NetConnection raises; a packet reply goes through
// Consiste::CheckResultServ, so a refused or empty answer ends the operation as the forms
// expect.
class GridCotaPrecClient
{
public:
    explicit GridCotaPrecClient(NetConnection &connection) : m_connection(connection) {}

    NetConnection &connection() const { return m_connection; }

    // The suppliers taking part in a quotation.
    DataPacket getFornCotados(const QString &branch, const QString &number);
    // The quotation list for a filter.
    GetColetaPrReply getColetaPr(const ColetaPrFilter &filter);
    // The validity period the filter dialog starts with.
    DataPacket getDadosFiltro(const QString &centralBranch, const QString &operatorCode);
    // Whether items of the quotation within the scope belong to a price list.
    VerifListaReply verifLista(const QString &branch, const QString &number, const QString &region,
                               const QString &supplier, const QString &product, const QString &brand);
    // Deletes a quotation: "" when deleted, else the refusal text.
    QString delColetaPr(const QString &branch, const QString &number, const QString &operatorCode);
    // Stores the changes of a quotation.
    SetItemColeReply setItemCole(const SetItemColeArgs &args);

private:
    NetConnection &m_connection;
};
