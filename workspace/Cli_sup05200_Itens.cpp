// Editing the product/brand rows of the products page: who may start an edit, the rows
// this form inserts (a product, a brand, several brands at once), the checks before a row
// is posted with the change markers and the description of the change, the searches of
// the grid's columns, deletion, copying a justification, and the include, change,
// confirm and cancel commands as they act on this page.  Every change stays in the change
// log of cdsGridProdMarc until it is confirmed.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "Pesquisa.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TADOIBQuery.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QListWidget>
#include <QMenu>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QToolButton>

#include <utility>

namespace {

const QString kCdArvProd = QStringLiteral("CDARVPROD");
const QString kCdProduto = QStringLiteral("CDPRODUTO");
const QString kCdMarca = QStringLiteral("CDMARCA");
const QString kNmMarca = QStringLiteral("NMMARCA");
const QString kPrice = QStringLiteral("VRPRECUNIITM");
const QString kJustification = QStringLiteral("DSJUSTOPER");
const QString kAltered = QStringLiteral("ALTERADO");
const QString kYes = QStringLiteral("S");

bool isEditing(const ClientDataSet *ds)
{
    return ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert;
}

bool isFlagSet(const Field *field)
{
    return field->asString().trimmed().compare(kYes, Qt::CaseInsensitive) == 0;
}

QString selectedFieldName(const DBGrid *grid)
{
    const Field *field = grid->selectedField();
    return field ? field->fieldName().toUpper() : QString();
}

// Moves the grid to a column of the current row unless the grid is on it already (while a
// column is being left, the grid itself goes back to it when the check refuses).
void focusColumnOf(DBGrid *grid, const QString &fieldName)
{
    if (grid->isVisible() && grid->isEnabled())
        grid->setFocus();
    if (selectedFieldName(grid) != fieldName)
        grid->setSelectedField(fieldName);
}

} // namespace

// --- starting an edit or an insertion ------------------------------------------------------------

void TfrmGridCotaPrec::cdsGridProdMarcBeforeEdit()
{
    vd_OperSistema();
    vd_ProdComprador();
    vd_Fornecedor();
    cdsVd_ChavePrim->copyDataFrom(*cdsGridProdMarc);
}

void TfrmGridCotaPrec::cdsGridProdMarcBeforeInsert()
{
    // The grid, its keys and the navigator never insert: only this form's commands do.
    if (!PermiteInclusao)
        Consiste::SilentAbort();
    vd_OperSistema();
    cdsVd_ChavePrim->copyDataFrom(*cdsGridProdMarc);
    ProdMarcInclusao = cdsGridProdMarc->isEmpty()
                           ? QVariant()
                           : QVariant(QVariantList{cdsGridProdMarc->fieldByName(kCdArvProd)->asString(),
                                                   cdsGridProdMarc->fieldByName(kCdMarca)->asString()});
}

void TfrmGridCotaPrec::cdsGridProdMarcAfterInsert()
{
    Field *price = cdsGridProdMarc->fieldByName(kPrice);
    if (ProdMarcInclusao.typeId() == QMetaType::QVariantList) {
        const QVariantList previous = ProdMarcInclusao.toList();
        cdsGridProdMarc->fieldByName(kCdArvProd)->setValue(previous.value(0));
        cdsGridProdMarc->fieldByName(kCdMarca)->setValue(previous.value(1));
        price->setAsFloat(0);
        Vd_GridProduto(false);
        Vd_Marca(false);
    }
    price->setAsFloat(0);
    cdsGridProdMarc->fieldByName(QStringLiteral("CDFILIAL"))
        ->setValue(cdsColetapr->fieldByName(QStringLiteral("CDFILIAL"))->asString());
    cdsGridProdMarc->fieldByName(QStringLiteral("NRCOLEPRECO"))
        ->setValue(cdsColetapr->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString());
    const QStringList item = currentItemKey();
    cdsGridProdMarc->fieldByName(QStringLiteral("CDREGIAO"))->setValue(item.at(0));
    cdsGridProdMarc->fieldByName(QStringLiteral("CDFORNECED"))->setValue(item.at(1));
    cdsGridProdMarc->fieldByName(kAltered)->setValue(QStringLiteral("N"));
}

void TfrmGridCotaPrec::insertProdMarcRow()
{
    QScopedValueRollback<bool> allowed(PermiteInclusao, true);
    cdsGridProdMarc->insert();
}

void TfrmGridCotaPrec::mnuInsProdClick()
{
    if (currentPage() != Page::Prod || cdsGridProdMarc->state() != DataSetState::Browse)
        return;
    dbgGridProdMarc->setFocus();
    insertProdMarcRow();
    // The new row keeps the brand of the row it was inserted from.
    cdsGridProdMarc->fieldByName(kCdArvProd)->clear();
    dbgGridProdMarc->setSelectedField(kCdArvProd);
}

void TfrmGridCotaPrec::mnuInsMarcaClick()
{
    if (currentPage() != Page::Prod || cdsGridProdMarc->state() != DataSetState::Browse)
        return;
    dbgGridProdMarc->setFocus();
    insertProdMarcRow();
    // The new row keeps the product of the row it was inserted from.
    cdsGridProdMarc->fieldByName(kCdMarca)->clear();
    dbgGridProdMarc->setSelectedField(kCdMarca);
}

void TfrmGridCotaPrec::dtsGridProdMarcStateChange()
{
    const int product = dbgGridProdMarc->columnIndex(kCdArvProd);
    dbgGridProdMarc->setColumnButtonStyle(product, dtsGridProdMarc->state() == DataSetState::Insert
                                                        ? ColumnButtonStyle::Ellipsis
                                                        : ColumnButtonStyle::None);
}

// --- the checks of a row -----------------------------------------------------------------------

void TfrmGridCotaPrec::Vd_GridProduto(bool required)
{
    auto focusProduct = qScopeGuard([this] { focusColumnOf(dbgGridProdMarc, kCdArvProd); });
    Field *tree = cdsGridProdMarc->fieldByName(kCdArvProd);
    if (Consiste::EmptyString(tree->asString())) {
        if (required)
            Consiste::MensErro(msg(QStringLiteral("N_ProdInf")));
        focusProduct.dismiss();
        return;
    }
    qryGridProduto->Close();
    qryGridProduto->ParamByName(QStringLiteral("P_IDUTLPROCMP")).setAsString(paraSupri(QStringLiteral("IDUTLPROCMP")));
    qryGridProduto->ParamByName(QStringLiteral("P_CDARVPROD")).setAsString(tree->asString().trimmed());
    qryGridProduto->ParamByName(QStringLiteral("P_TCDPRODUTO")).setAsString(QString());
    qryGridProduto->Open();
    if (qryGridProduto->IsEmpty())
        Consiste::MensErro(msg(QStringLiteral("ProdNCad")));
    for (const char *name : {"CDPRODUTO", "NMPRODUTO", "SGUNIDADE"})
        cdsGridProdMarc->fieldByName(QLatin1String(name))
            ->setValue(qryGridProduto->FieldByName(QLatin1String(name))->asString());
    focusProduct.dismiss();
}

void TfrmGridCotaPrec::Vd_Marca(bool required)
{
    auto focusBrand = qScopeGuard([this] { focusColumnOf(dbgGridProdMarc, kCdMarca); });
    Field *brand = cdsGridProdMarc->fieldByName(kCdMarca);
    const bool empty = Consiste::EmptyString(brand->asString());
    brand->setValue(Consiste::Ajusta(brand->asString(), 5));
    if (empty) {
        if (required)
            Consiste::MensErro(msg(QStringLiteral("Marc_N_Inf")));
        focusBrand.dismiss();
        return;
    }
    DataPacket brands;
    {
        ShowAviGuard avi(window(), ShowAviKind::Receiving);
        brands = m_context->gridCotaPrec().getPesqMarca(brand->asString(), QString());
    }
    cdsPesqMarca->setData(brands);
    if (cdsPesqMarca->isEmpty())
        Consiste::MensErro(msg(QStringLiteral("MarcNCad")));
    cdsGridProdMarc->fieldByName(kNmMarca)->setValue(cdsPesqMarca->fieldByName(kNmMarca)->asString());
    focusBrand.dismiss();
}

void TfrmGridCotaPrec::Vd_ChavePrim()
{
    // Only a new row: an existing row changed to an existing pair is the server's to judge.
    if (!cdsVd_ChavePrim->active() || cdsGridProdMarc->state() != DataSetState::Insert)
        return;
    const QVariantList pair{cdsGridProdMarc->fieldByName(kCdProduto)->asString(),
                            cdsGridProdMarc->fieldByName(kCdMarca)->asString()};
    if (!cdsVd_ChavePrim->locate(QStringLiteral("CDPRODUTO;CDMARCA"), pair, LocateOption::CaseInsensitive))
        return;
    focusColumnOf(dbgGridProdMarc, kCdArvProd);
    Consiste::MensErro(msg(QStringLiteral("ProdMarc_Ja_Cad")));
}

void TfrmGridCotaPrec::cdsGridProdMarcBeforePost()
{
    // A tag of 99 lets one post through without the checks.
    if (cdsGridProdMarc->tag() == 99) {
        cdsGridProdMarc->setTag(0);
        return;
    }
    Vd_GridProduto(true);
    Vd_Marca(true);
    Vd_ChavePrim();
    Field *price = cdsGridProdMarc->fieldByName(kPrice);
    if (!price->isNull() && price->asFloat() < 0) {
        focusColumnOf(dbgGridProdMarc, kPrice);
        Consiste::MensErro(msg(QStringLiteral("Preco<Zero")));
    }
    if (price->isNull())
        price->setAsFloat(0);
    ValidaDados();

    // What changed since the row was stored: the price (of an existing row), and the brand.
    // A change over a stored price above zero needs a justification and is described.
    QString change;
    const bool editing = cdsGridProdMarc->state() == DataSetState::Edit;
    const QVariant storedPrice = price->oldValue();
    const bool priced = storedPrice.isValid() && storedPrice.toDouble() > 0;
    Field *brand = cdsGridProdMarc->fieldByName(kCdMarca);
    Field *altered = cdsGridProdMarc->fieldByName(kAltered);
    if (editing && oldText(price) != currentText(price)) {
        Field *changedWhileEditing = cdsGridProdMarc->fieldByName(QStringLiteral("IDITMCOTPREC"));
        if (!isFlagSet(changedWhileEditing))
            changedWhileEditing->setValue(kYes);
        if (priced) {
            altered->setValue(kYes);
            change += msg(QStringLiteral("PrecoUnitario")) + oldText(price) + msg(QStringLiteral("para"))
                      + currentText(price) + QStringLiteral(" /");
            change = change.left(500);
        }
    }
    if (editing && priced && oldText(brand) != currentText(brand)) {
        altered->setValue(kYes);
        change += msg(QStringLiteral("AltMarca")) + oldText(brand) + msg(QStringLiteral("para")) + currentText(brand)
                  + QStringLiteral(" /");
        change = change.left(500);
    }
    Field *description = cdsGridProdMarc->fieldByName(QStringLiteral("DSALTERITMCOT"));
    if (change.isEmpty()) {
        // A post without such changes clears the description; an empty one stays as loaded.
        if (!description->asString().isEmpty())
            description->clear();
    } else if (description->asString() != change) {
        description->setValue(change);
    }
    cdsGridProdMarc->setTag(0);
}

void TfrmGridCotaPrec::cdsGridProdMarcAfterPost()
{
    // A quotation keyed in the grid is no longer one loaded from a list.
    markQuotationKeyed();
}

void TfrmGridCotaPrec::cdsGridProdMarcAfterDelete()
{
    // The deletion travels with the other changes at confirmation.
    CacheGridProdMarc.reset();
}

// --- the columns of the grid --------------------------------------------------------------------

void TfrmGridCotaPrec::dbgGridProdMarcColExit()
{
    if (!isEditing(cdsGridProdMarc))
        return;
    const QString leaving = selectedFieldName(dbgGridProdMarc);
    if (leaving == kCdArvProd)
        Vd_GridProduto(false);
    else if (leaving == kCdMarca)
        Vd_Marca(false);
}

void TfrmGridCotaPrec::dbgGridProdMarcColEnter()
{
    applyJustificationRule();
}

void TfrmGridCotaPrec::dbgGridProdMarcEditButtonClick()
{
    if (!itemEditingAllowed() || !cdsGridProdMarc->active())
        return;
    const QString column = selectedFieldName(dbgGridProdMarc);
    if (column == kCdArvProd) {
        // The product is chosen only for a new row (the column's button shows then).
        if (cdsGridProdMarc->state() != DataSetState::Insert)
            return;
        qryGridProduto->Close();
        qryGridProduto->ParamByName(QStringLiteral("P_IDUTLPROCMP")).setAsString(paraSupri(QStringLiteral("IDUTLPROCMP")));
        qryGridProduto->ParamByName(QStringLiteral("P_CDARVPROD")).setAsString(QString());
        qryGridProduto->ParamByName(QStringLiteral("P_TCDPRODUTO")).setAsString(QStringLiteral("T"));
        qryGridProduto->Open();
        if (Pesquisa::Pesquisar(dtsGridProduto, msg(QStringLiteral("PesqProd")), false, true).isEmpty())
            return;
        // The tree code first: a new code clears what belonged to the old one.
        for (const char *name : {"CDARVPROD", "CDPRODUTO", "NMPRODUTO", "SGUNIDADE"})
            cdsGridProdMarc->fieldByName(QLatin1String(name))
                ->setValue(qryGridProduto->FieldByName(QLatin1String(name))->asString());
        return;
    }
    if (column == kCdMarca) {
        if (cdsGridProdMarc->state() == DataSetState::Browse)
            cdsGridProdMarc->edit();
        DataPacket brands;
        {
            ShowAviGuard avi(window(), ShowAviKind::Receiving);
            brands = m_context->gridCotaPrec().getPesqMarca(QString(), QStringLiteral("T"));
        }
        cdsPesqMarca->setData(brands);
        if (cdsGridProdMarc->state() != DataSetState::Insert) {
            if (Pesquisa::Pesquisar(dtsPesqMarca__, msg(QStringLiteral("PesqMarca")), false, true).isEmpty())
                return;
            cdsGridProdMarc->fieldByName(kCdMarca)->setValue(cdsPesqMarca->fieldByName(kCdMarca)->asString());
            cdsGridProdMarc->fieldByName(kNmMarca)->setValue(cdsPesqMarca->fieldByName(kNmMarca)->asString());
            return;
        }
        // Inserting: one row per brand chosen, all of the same product and price; the first
        // brand goes into the row being inserted.
        QString list;
        if (!Pesqlista::PesquisaLista(dtsPesqMarca__, kCdMarca, msg(QStringLiteral("PesqMarca")), false, list))
            return;
        const QStringList codes = Pesqlista::keysOfList(list);
        const QString product = cdsGridProdMarc->fieldByName(kCdArvProd)->asString();
        const QVariant price = cdsGridProdMarc->fieldByName(kPrice)->value();
        for (const QString &code : codes) {
            if (cdsGridProdMarc->state() == DataSetState::Browse)
                insertProdMarcRow();
            cdsGridProdMarc->fieldByName(kCdArvProd)->setValue(product);
            cdsGridProdMarc->fieldByName(kCdMarca)->setValue(code);
            cdsGridProdMarc->fieldByName(kPrice)->setValue(price);
            cdsGridProdMarc->post();
        }
        return;
    }
    if (column == kJustification) {
        qryPesqJust->Close();
        qryPesqJust->Open();
        if (Pesquisa::Pesquisar(dtsPesqJust, msg(QStringLiteral("PesqJust")), false, true).isEmpty())
            return;
        if (cdsGridProdMarc->state() == DataSetState::Browse)
            cdsGridProdMarc->edit();
        cdsGridProdMarc->fieldByName(kJustification)
            ->setValue(qryPesqJust->FieldByName(QStringLiteral("DSJUSTSOL"))->asString());
    }
}

void TfrmGridCotaPrec::dbgGridProdMarcDblClick()
{
    if (selectedFieldName(dbgGridProdMarc) != QLatin1String("IDPRECALT") || !cdsGridProdMarc->active()
        || cdsGridProdMarc->isEmpty())
        return;
    const QString list = cdsGridProdMarc->fieldByName(QStringLiteral("NRSEQPRELIST"))->asString().trimmed();
    if (list.isEmpty())
        return;
    ui()->showMessage(msg(QStringLiteral("Num_Lista")).arg(list), MsgDlg::mtInformation, MsgDlg::mbOK);
}

// --- copying a justification ----------------------------------------------------------------------

void TfrmGridCotaPrec::sbtCopyClick()
{
    if (!cdsGridProdMarc->active() || cdsGridProdMarc->isEmpty())
        return;
    const QString justification = cdsGridProdMarc->fieldByName(kJustification)->asString();
    // The question names the justification: a table entry for this question only.
    const QString question = QStringLiteral("msgCopy");
    msgPadrao->Add(question, msg(QStringLiteral("msgCopyJust")) + justification + msg(QStringLiteral("msgPara")));
    auto removeQuestion = qScopeGuard([this, question] { msgPadrao->Delete(question); });
    const int answer = msgPadrao->ShowMsgAlert(question, MsgDlg::mtConfirmation,
                                               {QStringLiteral("msgCopyAll"), QStringLiteral("msgCopyInf"),
                                                QStringLiteral("Canc_Copy")},
                                               1);
    if (answer != MsgDlg::mrCaption1 && answer != MsgDlg::mrCaption2)
        return;
    const bool onlyMissing = answer == MsgDlg::mrCaption2;

    // The copy is no keying: the rows take the text without the checks and markers.
    ClientDataSet *ds = cdsGridProdMarc;
    const ClientDataSet::Event beforePost = std::exchange(ds->beforePost, nullptr);
    const ClientDataSet::Event afterPost = std::exchange(ds->afterPost, nullptr);
    const ClientDataSet::Event beforeEdit = std::exchange(ds->beforeEdit, nullptr);
    QScopedValueRollback<bool> keepPosition(RegistraPosicao, false);
    const int current = ds->recNo();
    ds->disableControls();
    auto restore = qScopeGuard([=, this] {
        if (isEditing(ds))
            ds->cancel();
        ds->enableControls();
        ds->setRecNo(current);
        ds->beforePost = beforePost;
        ds->afterPost = afterPost;
        ds->beforeEdit = beforeEdit;
    });
    const Field *alteredField = ds->fieldByName(kAltered);
    const Field *justField = ds->fieldByName(kJustification);
    for (int row = 0; row < ds->recordCount(); ++row) {
        const bool altered = ds->valueAt(row, alteredField->index()).toString().trimmed().compare(kYes, Qt::CaseInsensitive) == 0;
        const bool missing = Consiste::EmptyString(ds->valueAt(row, justField->index()).toString());
        if (!altered || (onlyMissing && !missing))
            continue;
        ds->setRecNo(row + 1);
        ds->edit();
        ds->fieldByName(kJustification)->setValue(justification);
        ds->post();
    }
}

// --- the page's commands -----------------------------------------------------------------------

void TfrmGridCotaPrec::Valida_Itens()
{
    if (paraSupri(QStringLiteral("IDAUDALTCOT")) != kYes)
        return;
    cdsGridProdMarc->disableControls();
    auto focusJustification = qScopeGuard([this] {
        cdsGridProdMarc->enableControls();
        focusColumnOf(dbgGridProdMarc, kJustification);
    });
    const Field *alteredField = cdsGridProdMarc->fieldByName(kAltered);
    const Field *justField = cdsGridProdMarc->fieldByName(kJustification);
    for (int row = 0; row < cdsGridProdMarc->recordCount(); ++row) {
        const bool altered = cdsGridProdMarc->valueAt(row, alteredField->index()).toString().trimmed().compare(
                                 kYes, Qt::CaseInsensitive)
                             == 0;
        if (!altered || !Consiste::EmptyString(cdsGridProdMarc->valueAt(row, justField->index()).toString()))
            continue;
        // The row without its justification becomes the current one.
        cdsGridProdMarc->setRecNo(row + 1);
        Consiste::MensErro(msg(QStringLiteral("Just_DINF")));
    }
}

void TfrmGridCotaPrec::confirmProducts()
{
    if (isEditing(cdsGridProdMarc))
        cdsGridProdMarc->post();
    Valida_Itens();
    if (cdsGridRegiao->recordCount() < 2 || paraSupri(QStringLiteral("IDPERMREPLICREG")) != kYes) {
        mnuConfRegSelClick();
        return;
    }
    if (msgPadrao->ShowMsg(QStringLiteral("Atu_Reg"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
        == MsgDlg::mrYes)
        mnuConfTodasRegClick();
    else
        mnuConfRegSelClick();
}

void TfrmGridCotaPrec::cancelProducts()
{
    if (msgMensagensPadroes->ShowMsg(QStringLiteral("Canc"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
        != MsgDlg::mrYes)
        return;
    lsbErrosCota->hide();
    if (cdsErrosCota->active())
        cdsErrosCota->close();
    ClientDataSet *current = FonteAtual ? FonteAtual->dataSet() : nullptr;
    if (current && isEditing(current)) {
        if (current == cdsGridProdMarc)
            dbgGridProdMarc->cancelEdit();
        else
            current->cancel();
        return;
    }
    // The header change the items brought (the origin of the quotation) goes with them:
    // the list shows again what the server holds.
    if (cdsColetapr->active() && cdsColetapr->changeCount() > 0)
        cdsColetapr->cancelUpdates();
    if (cdsGridProdMarc->active() && cdsGridProdMarc->changeCount() > 0) {
        cdsGridProdMarc->mergeChangeLog();
        reloadCurrentProdMarc();
    }
}
