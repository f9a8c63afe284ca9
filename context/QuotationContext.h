#pragma once

#include "GridCotaPrecClient.h"
#include "SuprimentosClient.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <memory>

class ClientDataSet;
class NetConnection;
class TADOIBQuery;

// What the workspace and every dialog of the package work on, without widgets: the two
// server connections and their typed clients, the quotation list and the suppliers quoted
// in its current quotation, the procurement parameters, the central purchasing branch and
// the filter in force.  The workspace owns it and hands it to each dialog it creates; a
// dialog that changes something the workspace shows calls notifyChanged(), and the
// workspace re-evaluates its enabling rule on changed().
class QuotationContext : public QObject
{
    Q_OBJECT

public:
    explicit QuotationContext(QObject *parent = nullptr);
    ~QuotationContext() override;

    // --- connections ----------------------------------------------------------------------
    // "Sup05200.rdmGridCotaPrec" (every quotation method) and "Sup.rdmSuprimentos"
    // (procurement parameters); both take host and port from the session on connect.
    NetConnection *netGridCotaPrec() const { return m_netGridCotaPrec; }
    NetConnection *netSuprimentos() const { return m_netSuprimentos; }
    GridCotaPrecClient &gridCotaPrec() { return m_gridCotaPrec; }
    SuprimentosClient &suprimentos() { return m_suprimentos; }
    // Password confirmations that authorise a quotation write travel on the quotation
    // connection: the server remembers them in that connection's session.
    SuprimentosClient &confirmations() { return m_confirmations; }
    void open();   // connects both; raises NetError
    void close();

    // --- shared datasets -----------------------------------------------------------------
    ClientDataSet *quotations() const { return m_cdsColetapr; }      // the quotation list
    ClientDataSet *suppliersQuoted() const { return m_cdsFornCotados; }
    ClientDataSet *parameters() const { return m_cdsParaSupri; }     // procurement parameters

    // A procurement parameter flag, upper case; "" while the parameters are not loaded.
    QString parameter(const QString &name) const;
    // Reads the procurement parameters of the central branch (GetParaSupri).
    void loadParameters();

    // --- central purchasing branch -------------------------------------------------------
    // The central purchasing branch of the logged branch, read once (the logged branch
    // itself when it buys for itself); and its name.
    QString centralBranch();
    QString centralBranchName();
    TADOIBQuery *qryCentCmp() const { return m_qryCentCmp; }

    // --- the current quotation -----------------------------------------------------------
    bool hasQuotation() const;
    QString currentBranch() const;
    QString currentNumber() const;
    QDate currentCollectionDate() const;   // DTCOLEPREC

    // --- the filter in force ---------------------------------------------------------------
    const ColetaPrFilter &filter() const { return m_filter; }
    // Loads the quotation list for a filter (GetColetaPr); the by-reference values the
    // server sends back become the filter in force.  Tells changed().
    void loadQuotations(const ColetaPrFilter &filter);

    // Started on a packet of quotations rather than through the filter.
    bool consultation() const { return m_consultation; }
    void setConsultation(bool on) { m_consultation = on; }

    // Something the workspace shows has changed: it recomputes its enabling rule.
    void notifyChanged();

signals:
    void changed();

private:
    NetConnection *m_netGridCotaPrec = nullptr;
    NetConnection *m_netSuprimentos = nullptr;
    GridCotaPrecClient m_gridCotaPrec;
    SuprimentosClient m_suprimentos;
    SuprimentosClient m_confirmations;
    ClientDataSet *m_cdsColetapr = nullptr;
    ClientDataSet *m_cdsFornCotados = nullptr;
    ClientDataSet *m_cdsParaSupri = nullptr;
    TADOIBQuery *m_qryCentCmp = nullptr;
    ColetaPrFilter m_filter;
    bool m_consultation = false;
};
