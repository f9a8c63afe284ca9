#pragma once

#include "TfrmRotiGeral.h"

#include <QString>
#include <QStringList>

#include <memory>

class ClientDataSet;
class DataSource;
class DBMemo;
class QuotationContext;
struct QuotationItemKey;

namespace Ui {
class TfrmGridObsItmCol;
}

// The item observation "Observação" (screen code SUP05219): shows and edits the free text
// kept with one quotation item (branch, quotation, region, supplier, product, brand).  The
// text is read from the server when the dialog opens (GetObsItmCol) and stored on confirm
// (SetObsItmCol) together with the text it was read as, so that an observation another
// buyer stored in between is never overwritten silently: the server refuses and the text
// typed stays in the dialog.
class TfrmGridObsItmCol : public TfrmRotiGeral
{
    Q_OBJECT

public:
    // key: CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, in this order.
    TfrmGridObsItmCol(QuotationContext &context, const QStringList &key, QWidget *parent = nullptr);
    ~TfrmGridObsItmCol() override;

    DBMemo *dbmObsItm = nullptr;
    ClientDataSet *cdsObsItmCol = nullptr;   // DSOBSITMCOL (1000)
    DataSource *dtsObsItmCol = nullptr;

    const QStringList &key() const { return m_key; }
    // Reads the item's observation from the server (GetObsItmCol).
    void load();
    // Stores the text shown; closes the dialog once the server took it.
    void sbtConfirmarClick() override;

    // The memo's typing limit.
    static constexpr int kMaxLength = 300;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString observation() const;
    QuotationItemKey itemKey() const;

    std::unique_ptr<Ui::TfrmGridObsItmCol> m_ui;
    QuotationContext &m_context;
    QStringList m_key;
    QString m_loaded;   // the observation as the server sent it
};

// Opens the observation of one item: loads it from the server (a failure raises before
// anything is shown) and shows the dialog modally.  owner is the window it belongs to when
// the host has no main window.
void CriaObsItmCol(QuotationContext &context, const QString &CDFILIAL, const QString &NRCOLEPRECO,
                   const QString &CDREGIAO, const QString &CDFORNECED, const QString &CDPRODUTO,
                   const QString &CDMARCA, QWidget *owner = nullptr);
