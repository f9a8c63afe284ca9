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

// IncluirCotacao: everything the inclusion page sends to create a quotation.  Lists as
// the list search writes them; product bounds already filled as the server expects.
struct IncluirCotacaoArgs
{
    QString centralBranch;
    QString branch;        // logged branch
    QString buyer;
    QDate collectionDate;
    QString firstWeek;     // two digits
    QString lastWeek;
    QDate firstDate;
    QDate lastDate;
    QString firstProduct;  // by reference from here on, as marked
    QString lastProduct;
    QString regions;
    QString suppliers;
    QString brands;
    QString verifications;
    bool allProducts = true;
    bool loadLastPrice = false;
    bool loadObservation = true;
    QString observation;
    QString priceListFlag; // "S" / "N", by reference
    QString operatorCode;  // logged operator
    QString noDataText;
    QString noLastQuotationText;
    QString purchase;
};

struct IncluirCotacaoReply
{
    QString status;        // "2..." refusal, "3..." error, else the new quotation
    IncluirCotacaoArgs sent; // the arguments, with the by-reference ones as they came back
};

// GetDetalhes: why an inclusion with these arguments was refused.
struct GetDetalhesArgs
{
    QString centralBranch;
    QString buyer;
    QString firstProduct;
    QString lastProduct;   // followed by ten "Z"
    QString allProducts;   // "T" when no range
    QDate firstDate;
    QDate lastDate;
    QString regions;
    QString allRegions;
    QString suppliers;
    QString allSuppliers;
    QDate collectionDate;
    QString brands;
    bool productsToBuy = false;
    bool loadLastPrice = false;
    bool allBrands = true;
    QString branch;        // logged branch
    // The texts of the rules, in the order the server names them.
    QString NProd_Cmp, N_Acomprar, N_FornProdCmp, N_ProdComprador, N_MarcProd, N_QualifMarcProd,
        N_QfoProdForn, N_RefoReg_Inc, Pr_NFilCor, Pr_NFilReg, Produto_Inativo, Valid_Venc;
};

// GetConsCotAn: whether a copy would meet a quotation in progress on the new validity.
struct ConsCotAnArgs
{
    QString branch;
    QDate firstDate;       // source period (mode "1") or the current quotation's validity
    QDate lastDate;
    QString operatorCode;  // logged operator
    QString allBuyers;     // "T" every buyer, else empty (by reference)
    QString mode;          // "1" by period, "2" the current quotation (by reference)
    QString number;        // the current quotation
    QString regions;       // region list of the copy (by reference)
    QDate newFirstDate;
    QDate newLastDate;
};

// DuplicaCotacao: everything the copy dialog sends.  Lists as the list search writes them.
struct DuplicaCotacaoArgs
{
    QString branch;
    QString firstWeek;     // two digits
    QString lastWeek;
    QDate firstDate;       // the new validity
    QDate lastDate;
    QString number;        // the current quotation (current mode)
    QDate periodFirst;     // the source period (period mode)
    QDate periodLast;
    QDate collectionDate;
    double readjustment = 0; // percent
    QString buyers;        // by reference
    bool byPeriod = false;
    bool buyerListChosen = false;
    QString processingBranch; // logged branch
    QString operatorCode;  // logged operator
    bool regionListChosen = false;
    QString regions;       // by reference
    QString olSuppliers;   // by reference; empty for every supplier
    QString noDataText;
};

// GetCotacao: the quotations of a validity the validity change may move.
struct GetCotacaoArgs
{
    QString branch;        // central branch
    QDate firstDate;
    QDate lastDate;
    QString buyers;        // by reference from here on
    QString allBuyers;     // "T" or empty
    QString suppliers;
    QString allSuppliers;  // "T" or empty
};

// AlteraValidade: the quotations to move and where to.
struct AlteraValidadeArgs
{
    QDate oldFirstDate;
    QDate oldLastDate;
    QDate newFirstDate;
    QDate newLastDate;
    QString suppliers;     // by reference from here on
    QString buyers;
    QString quotations;
    QString allSuppliers;  // "T" or a blank
    QString allBuyers;     // "T" or a blank
    QString allQuotations; // "T" or a blank
    QString branch;        // central branch
};

// ReajustePreco: the readjustment of one region's and supplier's prices of a quotation,
// optionally limited to a product range.
struct ReajustePrecoArgs
{
    QVariant percentage;   // a double; null (an empty edit) is answered "Reaj_Deve"
    QString centralBranch;
    QString shownNumber;   // the quotation number as the dialog shows it
    QString firstProduct;  // tree code, empty for no range
    QString lastProduct;   // tree code followed by "Z" up to 20 characters
    QString allProducts;   // "T" when both product edits are empty (by reference)
    QString branch;        // the quotation's key
    QString number;
    QString supplier;
    QString region;
    QDate collectionDate;
    QString prefix;        // justification prefix of the audit records (by reference)
    QString operatorCode;  // logged operator
};

struct ReajustePrecoReply
{
    QString status;        // "ok", "Prod_Inv", "Reaj_Deve" or an error text
    QString allProducts;   // the by-reference values after the call
    QString prefix;
};

// The key of one quotation item, in the order the observation calls send it.
struct QuotationItemKey
{
    QString branch;
    QString number;
    QString region;
    QString supplier;
    QString product;
    QString brand;
};

// --- quotation maintenance ----------------------------------------------------------------

// Vd_ProdForn: whether a supplier is registered and qualified for none of the products.
struct VdProdFornArgs
{
    QString branch;
    QString supplier;      // CDFORNECED
    QDate collectionDate;
    DataPacket products;   // one row per product, field CDPRODUTO
};

// IncFornecedor: adds a supplier's items to a quotation.
struct IncFornecedorArgs
{
    QString branch;
    QString number;
    QString supplier;      // CDFORNECED of the supplier added
    QString operatorCode;  // logged operator
    bool allServedRegions = true; // false: only the price-source region
    QString sourceSupplier; // supplier whose prices are copied, empty for none
    QString sourceRegion;   // region whose prices are copied, empty for none
};

// ExclForn: removes a supplier from one region or every region of a quotation.
struct ExclFornArgs
{
    QString branch;
    QString number;
    QString supplier;
    QString region;        // ignored when allRegions
    bool allRegions = false;
};

// IncRegiao: adds a region to a quotation for the given suppliers.
struct IncRegiaoArgs
{
    DataPacket suppliers;  // one row per supplier, field CDFORNECED
    QString region;
    QString centralBranch; // purchasing centre's branch
    QString number;
    QString sourceRegion;  // region whose prices are copied, empty for none
    QString operatorCode;  // logged operator
    QDate collectionDate;
};

// ExclProd: removes a product's items; each scope is one code or all.
struct ExclProdArgs
{
    QString branch;
    QString number;
    QString product;       // CDPRODUTO
    bool allRegions = false;
    QString region;        // ignored when allRegions
    bool allSuppliers = false;
    QString supplier;      // ignored when allSuppliers
    bool allBrands = false;
    QString brand;         // ignored when allBrands
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
    // Creates a quotation; the status text and the by-reference values after the call.
    IncluirCotacaoReply incluirCotacao(const IncluirCotacaoArgs &args);
    // The detailed reasons of a refused inclusion (empty when none).
    QString getDetalhes(const GetDetalhesArgs &args);
    // The purchases a new quotation may be linked to.
    DataPacket getCompra();
    // One brand (code given, all empty) or every brand (code empty, all "T").
    DataPacket getPesqMarca(const QString &brand, const QString &all);
    // Whether items are left without a price: "" none, "1" no item has a price, "2" some
    // have price zero, any other text an error message (read without the result check).
    QString getVerPrZero(const QString &branch, const QString &number);
    // Deletes the quotation's zero-priced items.
    void deleteItemCole(const QString &centralBranch, const QString &number);
    // The quotation's regions (layout "GridRegiao").
    DataPacket getGridRegiao(const QString &branch, const QString &number);
    // The suppliers of one region of the quotation (layout "GridFornecedor").
    DataPacket getGridFornecedor(const QString &branch, const QString &number, const QString &region);
    // One supplier's items in one region (layout "GridProdMarc").
    DataPacket getGridProdMarc(const QString &branch, const QString &number, const QString &region,
                               const QString &supplier);
    // Each supplier of the quotation once (layout "DistForns").
    DataPacket getDistForns(const QString &branch, const QString &number);
    // The supplier's items in every region of the quotation (layout "ItensForn").
    DataPacket getItensForn(const QString &branch, const QString &number, const QString &supplier);
    // The inconsistencies of the items (layout "ErrosCota"); empty when all are valid.
    // items holds VRPRECUNIITM, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA per row.
    DataPacket validaDados(const DataPacket &items, const QString &branch, const QString &centralBranch,
                           const QDate &collectionDate);

    // --- quotation copy ---------------------------------------------------------------
    // The active OL suppliers (layout "PesqFornOL").
    DataPacket getPesqFornOL();
    // The last validity of the branch's quotations (layout "DadDuplica"), maybe no row.
    DataPacket getDadDuplica(const QString &branch);
    // The buyers whose quotations the operator may copy (layout "Comprador").
    DataPacket getComprador(const QString &operatorCode);
    // The regions of a quotation (layout "RegiaoCorr").
    DataPacket getRegiaoCorr(const QString &branch, const QString &number);
    // True when a copy would meet a buyer's quotation in progress on the new validity.
    bool getConsCotAn(const ConsCotAnArgs &args);
    // Copies quotations: "X" all copied, "XS" + the lines "NRCOLEPRECO|reason" of those
    // not copied, any other text an error to show.  Read without the result check.
    QString duplicaCotacao(const DuplicaCotacaoArgs &args);

    // --- validity change ----------------------------------------------------------------
    // The quotations of a validity (layout "Cotacao").
    DataPacket getCotacao(const GetCotacaoArgs &args);
    // Moves quotations to a new validity; a refusal ends the operation with its text.
    void alteraValidade(const AlteraValidadeArgs &args);

    // --- consultation sheet -------------------------------------------------------------
    // The quotation's regions behind the row "XXX" named allRegionsName (layout "ServRegiao").
    DataPacket getServRegiao(const QString &branch, const QString &number, const QString &allRegionsName);
    // One record per item of the region, or of every region for "NULL" (layout "StringList").
    DataPacket getStringList(const QString &branch, const QString &number, const QString &region);
    // The history of one item (layout "Historico", one record).
    DataPacket getHistorico(const QString &centralBranch, const QString &number, const QString &region,
                            const QString &supplier, const QString &product, const QString &brand);

    // --- quotation tools ----------------------------------------------------------------
    // Recomputes the quantities to buy: "" on success, else the error text (read without
    // the result check).
    QString cargAcomprar(const QString &centralBranch, const QString &number);
    // Updates the payment terms of the quotation's items (layout "FormPgtoCota").
    DataPacket atualizaFormPgto(const QString &branch, const QString &number);
    // A product's prices across the quotation's regions and suppliers, for the negotiation
    // and simulation module (layout "SimulacaoItem").
    DataPacket getSimulacaoItem(const QString &branch, const QString &number, const QString &supplier,
                                const QString &product, const QString &brand, const QString &region);
    // An item's rows in the quotation and its price history, for the spreadsheet
    // information module (layout "PlanilhaItem").
    DataPacket getPlanilhaItem(const QString &branch, const QString &number, const QString &supplier,
                               const QString &product, const QString &brand, const QString &region);
    // Readjusts prices; the status text is read without the result check.
    ReajustePrecoReply reajustePreco(const ReajustePrecoArgs &args);
    // Loads the best prices of a validity period: "" on success, else the error text
    // (read without the result check).
    QString cargMelhorsPrs(const QString &branch, const QString &number, const QDate &firstDate,
                           const QDate &lastDate);
    // The item's observation (layout "ObsItmCol", one row).
    DataPacket getObsItmCol(const QuotationItemKey &key);
    // Stores the item's observation.  oldText is the observation as it was read: when the
    // stored one differs (another buyer changed it), nothing is written and the refusal
    // ends the operation with its text.
    void setObsItmCol(const QuotationItemKey &key, const QString &text, const QString &oldText);

    // --- quotation maintenance ------------------------------------------------------------
    // "S" when the supplier is registered and qualified for none of the products, else "N";
    // read without raising (empty when the answer is not understood).
    QString vdProdForn(const VdProdFornArgs &args);
    // Adds a supplier: the three-position status (regions, product qualification, product
    // registration; "1" nothing added for that reason, "2" some products left out).  A
    // refusal ends the operation with its text.
    QString incFornecedor(const IncFornecedorArgs &args);
    // Removes a supplier; a refusal ends the operation with its text.
    void exclForn(const ExclFornArgs &args);
    // Each supplier of the quotation once (layout "DistForns").
    DataPacket getCotForns(const QString &branch, const QString &number);
    // "S" when none of the suppliers serves the region, "" when accepted, any other text an
    // error to show.  Read without the result check.
    QString vdRefoReg(const QString &region, const DataPacket &suppliers);
    // Adds a region: the status as incFornecedor.  A refusal ends the operation.
    QString incRegiao(const IncRegiaoArgs &args);
    // Removes a region for one supplier (blank: all); a refusal ends the operation.
    void exclRegiao(const QString &branch, const QString &number, const QString &region, const QString &supplier);
    // Removes a product's items in the scopes; a refusal ends the operation.
    void exclProd(const ExclProdArgs &args);

private:
    NetConnection &m_connection;
};
