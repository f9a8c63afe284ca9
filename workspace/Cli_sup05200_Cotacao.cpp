// The quotation list: who may handle a quotation, changing its buyer, situation,
// observation and price-list flag, storing those changes, deleting, searching, printing
// and reloading the list.
#include "Cli_sup05200.h"

#include "Cli_sup05201.h"
#include "QuotationContext.h"
#include "ClientDataSet.h"
#include "Consiste.h"
#include "NetError.h"
#include "Corvane.h"
#include "DBGrid.h"
#include "DBMemo.h"
#include "DataSource.h"
#include "Lib00700.h"
#include "NetConnection.h"
#include "PageControl.h"
#include "Pesquisa.h"
#include "ShowAvi.h"
#include "TADOIBQuery.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QGuiApplication>
#include <QScopeGuard>

namespace {

const QString kCdOperador = QStringLiteral("CDOPERADOR");
const QString kNmOperador = QStringLiteral("NMOPERADOR");
const QString kSituacao = QStringLiteral("IDSITUCOLETA");
const QString kDisMontLis = QStringLiteral("IDDISMONTLIS");

QString trimmedUpper(const QVariant &value)
{
    return value.toString().trimmed().toUpper();
}

} // namespace

// --- reading the state -----------------------------------------------------------------------

QString TfrmGridCotaPrec::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

QString TfrmGridCotaPrec::paraSupri(const QString &field) const
{
    return m_context->parameter(field);
}

bool TfrmGridCotaPrec::usesSituation() const
{
    return paraSupri(QStringLiteral("IDUTISTATCOT")) == QLatin1String("S");
}

QString TfrmGridCotaPrec::currentSituation() const
{
    if (!cdsColetapr->active() || cdsColetapr->isEmpty())
        return QString();
    return cdsColetapr->fieldByName(kSituacao)->asString().trimmed().toUpper();
}

bool TfrmGridCotaPrec::isOperator(const QString &code) const
{
    return code.trimmed().compare(Corvane::Operador().trimmed(), Qt::CaseInsensitive) == 0;
}

void TfrmGridCotaPrec::focusColumn(const QString &fieldName)
{
    if (currentPage() != Page::Cot)
        return;
    dbgCotacao->setFocus();
    dbgCotacao->setSelectedField(fieldName);
}

// --- the list's reload -------------------------------------------------------------------------

void TfrmGridCotaPrec::AtualizaCotacao(const QString &buyer, const QString &s2, const QString &s3,
                                       const QString &s4, const QString &s5, const QDate &firstDate,
                                       const QDate &lastDate)
{
    // An invalid date travels as null: the period is open on that side.
    ColetaPrFilter filter;
    filter.branch = centralBranch();
    filter.buyers = buyer;
    filter.allBuyers = s2;
    filter.firstDate = firstDate;
    filter.lastDate = lastDate;
    filter.allDates = s5;
    filter.allSuppliers = s4;
    filter.allRegions = s3;
    ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Get_DadosFiltro")));
    m_context->loadQuotations(filter);
}

// --- who may handle a quotation ----------------------------------------------------------------

void TfrmGridCotaPrec::vd_OperSistema()
{
    const QString buyer = cdsColetapr->fieldByName(kCdOperador)->asString();
    qryOperRelacAux->Close();
    qryOperRelacAux->ParamByName(QStringLiteral("P_CDCOMPRADOR")).setAsString(buyer);
    qryOperRelacAux->Open();

    if (qryOperRelacAux->IsEmpty()) {
        qryVerComprador->Close();
        qryVerComprador->ParamByName(QStringLiteral("P_CDOPERADOR")).setAsString(Corvane::Operador());
        qryVerComprador->Open();
        if (qryVerComprador->IsEmpty())
            Consiste::MensErro(msg(QStringLiteral("Oper_NComp")));
        if (paraSupri(QStringLiteral("IDUMPRODCMP")) != QLatin1String("S") && !isOperator(buyer))
            Consiste::MensErro(msg(QStringLiteral("Cot_NComp")));
        return;
    }
    bool related = false;
    for (qryOperRelacAux->First(); !qryOperRelacAux->Eof(); qryOperRelacAux->Next()) {
        if (!isOperator(qryOperRelacAux->FieldByName(kCdOperador)->asString()))
            continue;
        related = true;
        if (trimmedUpper(qryOperRelacAux->FieldByName(QStringLiteral("IDCOTCMPOPER"))->value()) == QLatin1String("N"))
            Consiste::MensErro(msg(QStringLiteral("Oper_Relac_N_Aut")));
        break;
    }
    if (!related)
        Consiste::MensErro(msg(QStringLiteral("Oper_N_Relac")));
}

void TfrmGridCotaPrec::Vd_GereComp(bool required)
{
    if (cdsColetapr->state() != DataSetState::Edit || currentPage() != Page::Cot)
        return;
    Field *code = cdsColetapr->fieldByName(kCdOperador);
    Field *name = cdsColetapr->fieldByName(kNmOperador);
    const QString old = code->oldValue().toString();
    if (code->asString().trimmed() == old.trimmed()) {
        // The same buyer typed again: keep the stored code and its name.
        if (code->asString() != old)
            code->setValue(old);
        if (name->asString().trimmed().isEmpty())
            name->setValue(name->oldValue());
        return;
    }
    const QString padded = Consiste::Ajusta(code->asString(), 12);
    if (Consiste::EmptyString(padded)) {
        if (!required)
            return;
        focusColumn(kCdOperador);
        Consiste::MensErro(msg(QStringLiteral("Comp_N_Inf")));
    }
    qryPesqGereComp->Close();
    qryPesqGereComp->ParamByName(QStringLiteral("P_CDOPERGERE")).setAsString(Corvane::Operador());
    qryPesqGereComp->ParamByName(QStringLiteral("P_CDOPERCOMP")).setAsString(padded);
    qryPesqGereComp->ParamByName(QStringLiteral("P_TCDOPERCOMP")).setAsString(QString());
    qryPesqGereComp->Open();
    if (qryPesqGereComp->IsEmpty()) {
        focusColumn(kCdOperador);
        Consiste::MensErro(msg(QStringLiteral("GereComp_N_Cad")));
    }
    code->setValue(qryPesqGereComp->FieldByName(kCdOperador)->asString());
    name->setValue(qryPesqGereComp->FieldByName(kNmOperador)->asString());
}

void TfrmGridCotaPrec::Vd_SenhaGer()
{
    auto focusSituation = qScopeGuard([this] { focusColumn(kSituacao); });
    qryGerente->Close();
    qryGerente->ParamByName(QStringLiteral("P_CDOPERCOMP"))
        .setAsString(cdsColetapr->fieldByName(kCdOperador)->asString());
    qryGerente->Open();
    if (qryGerente->IsEmpty())
        Consiste::MensErro(msg(QStringLiteral("GerComp_N_Cad")));
    if (qryGerente->RecordCount() > 1) {
        const QString chosen = Pesquisa::Pesquisar(dtsGerente, msg(QStringLiteral("Gerente")), false, true,
                                                   QStringLiteral("CDOPERGERE"));
        if (chosen.isEmpty())
            Consiste::SilentAbort();
    }
    const QString manager = qryGerente->FieldByName(QStringLiteral("CDOPERGERE"))->asString();
    if (!Lib00700::CriaConfSenha(m_context->confirmations(), manager, msg(QStringLiteral("Conf_senh_Ger")), msg(QStringLiteral("stLbl_Ger")))) {
        m_senhaGer = QStringLiteral("N");
        Consiste::SilentAbort();
    }
    m_senhaGer = QStringLiteral("S");
    focusSituation.dismiss();
}

// A change of situation is allowed to the quotation's buyer or to an operator related to
// it and authorised; reopening a concluded quotation also takes a manager's password.
void TfrmGridCotaPrec::checkSituationChange()
{
    Field *situation = cdsColetapr->fieldByName(kSituacao);
    const QString now = trimmedUpper(situation->value());
    const QString before = trimmedUpper(situation->oldValue());
    if (now == before)
        return;
    auto refuse = [this](const QString &text) {
        focusColumn(kSituacao);
        Consiste::MensErro(text);
    };
    const QString buyer = cdsColetapr->fieldByName(kCdOperador)->asString();
    qryOperRelacAux->Close();
    qryOperRelacAux->ParamByName(QStringLiteral("P_CDCOMPRADOR")).setAsString(buyer);
    qryOperRelacAux->Open();
    if (qryOperRelacAux->IsEmpty()) {
        if (!isOperator(buyer))
            refuse(msg(QStringLiteral("Cot_NComp")));
    } else {
        bool related = false;
        for (qryOperRelacAux->First(); !qryOperRelacAux->Eof(); qryOperRelacAux->Next()) {
            if (!isOperator(qryOperRelacAux->FieldByName(kCdOperador)->asString()))
                continue;
            related = true;
            if (trimmedUpper(qryOperRelacAux->FieldByName(QStringLiteral("IDCOTCMPOPER"))->value()) == QLatin1String("N"))
                refuse(msg(QStringLiteral("Oper_Relac_N_Aut")));
            break;
        }
        if (!related)
            refuse(msg(QStringLiteral("Oper_N_Relac")));
    }
    if (before == QLatin1String("C") && now == QLatin1String("A"))
        Vd_SenhaGer();
}

// --- posting and storing -------------------------------------------------------------------------

void TfrmGridCotaPrec::cdsColetaprBeforePost()
{
    // A tag of 99 lets one post through without the checks.
    if (cdsColetapr->tag() == 99) {
        cdsColetapr->setTag(0);
        return;
    }
    m_situationChanged = false;
    Vd_GereComp(true);
    if (currentPage() == Page::Cot && usesSituation())
        checkSituationChange();
    m_situationChanged = true;
}

void TfrmGridCotaPrec::cdsColetaprAfterPost()
{
    if (!m_situationChanged || currentPage() != Page::Cot)
        return;
    m_situationChanged = false;
    sendHeaderDelta();
}

// Sends the pending header changes of the list (SetItemCole).  The change log is merged
// only once the server stored them; a refused change is taken back, so the list never
// shows a value the server does not hold.  One that could not reach the server stays
// pending.
void TfrmGridCotaPrec::sendHeaderDelta()
{
    if (!cdsColetapr->active() || cdsColetapr->changeCount() == 0)
        return;
    auto date = [this](const char *name) { return cdsColetapr->fieldByName(QLatin1String(name))->asDateTime().date(); };
    SetItemColeArgs args;
    args.headerDelta = packetVariant(cdsColetapr->delta());
    args.collectionDate = date("DTCOLEPREC");
    args.branch = Corvane::FiliProc();
    args.operatorCode = Corvane::Operador();
    args.allRegionsText = msg(QStringLiteral("TODASREG"));
    args.oneRegionText = msg(QStringLiteral("UMAREG"));
    args.allSuppliersText = msg(QStringLiteral("TODOSFORN"));
    args.oneSupplierText = msg(QStringLiteral("UMFORN"));
    args.consultation = m_context->consultation();
    args.purchase = cdsColetapr->fieldByName(QStringLiteral("NRCOMPRA"))->asString();
    args.buyer = cdsColetapr->fieldByName(kCdOperador)->asString();
    args.firstDate = date("DTINIVALCOL");
    args.lastDate = date("DTFINVALCOL");
    try {
        ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("Grava_Cotacao")));
        const SetItemColeReply reply = m_context->gridCotaPrec().setItemCole(args);
        Consiste::CheckResultServ(reply.result, true);
    } catch (const NetError &e) {
        // A lost connection refused nothing: the change stays pending and goes with the
        // next store.
        if (!e.connectionFailed())
            cdsColetapr->cancelUpdates();
        throw;
    } catch (...) {
        cdsColetapr->cancelUpdates();
        throw;
    }
    cdsColetapr->mergeChangeLog();
}

// --- commands --------------------------------------------------------------------------------

void TfrmGridCotaPrec::sbtIncluirClick()
{
    TfrmPadraoGrid::sbtIncluirClick();
    if (currentPage() == Page::Prod) {
        vd_OperSistema();
        pmnIncluir->popup(sbtIncluir->mapToGlobal(QPoint(0, sbtIncluir->height())));
        return;
    }
    if (currentPage() != Page::Cot)
        return;
    if ((!cdsColetapr->active() || cdsColetapr->isEmpty()) && !pgcPadrao->isPageEnabled(tshCotacao)) {
        pgcPadrao->setPageEnabled(tshCotacao, true);
        mnuCotacao->setEnabled(true);
    }
    CriaInclusaoCotacao();
}

void TfrmGridCotaPrec::sbtAlterarClick()
{
    TfrmPadraoGrid::sbtAlterarClick();
    if (currentPage() == Page::Prod) {
        vd_OperSistema();
        if (FonteAtual != dtsGridProdMarc || !cdsGridProdMarc->active())
            return;
        dbgGridProdMarc->setFocus();
        dbgGridProdMarc->setSelectedField(QStringLiteral("CDMARCA"));
        cdsGridProdMarc->edit();
        return;
    }
    if (currentPage() != Page::Cot || !cdsColetapr->active() || cdsColetapr->isEmpty())
        return;
    vd_OperSistema();
    focusColumn(kCdOperador);
    cdsColetapr->edit();
    dbgCotacaoColEnter();
}

void TfrmGridCotaPrec::sbtExcluirClick()
{
    TfrmPadraoGrid::sbtExcluirClick();
    if (currentPage() == Page::Prod) {
        vd_OperSistema();
        pmnExcluir->popup(sbtExcluir->mapToGlobal(QPoint(0, sbtExcluir->height())));
        return;
    }
    if (currentPage() != Page::Cot || dtsPadrao->state() != DataSetState::Browse || cdsColetapr->isEmpty())
        return;
    if (msgMensagensPadroes->ShowMsg(QStringLiteral("Excl"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
        != MsgDlg::mrYes)
        return;
    vd_OperSistema();
    repaint();
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    cdsColetapr->deleteRecord();
}

void TfrmGridCotaPrec::cdsColetaprBeforeDelete()
{
    const QString branch = cdsColetapr->fieldByName(QStringLiteral("CDFILIAL"))->asString();
    const QString number = cdsColetapr->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString();
    bool inPriceList = false;
    {
        ShowAviGuard avi(window(), ShowAviKind::Receiving);
        const QString all = QStringLiteral(" ");
        inPriceList = m_context->gridCotaPrec().verifLista(branch, number, all, all, all, all).inPriceList;
    }
    if (inPriceList
        && msgPadrao->ShowMsg(QStringLiteral("Del_Cota_Lista"), MsgDlg::mtWarning, MsgDlg::mbYes | MsgDlg::mbNo)
               != MsgDlg::mrYes)
        Consiste::SilentAbort();

    QString refusal;
    {
        ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("Excl_Cotacao")));
        refusal = m_context->gridCotaPrec().delColetaPr(branch, number, Corvane::Operador());
    }
    if (!refusal.isEmpty())
        Consiste::MensErro(refusal);
}

void TfrmGridCotaPrec::cdsColetaprAfterDelete()
{
    cdsColetapr->mergeChangeLog();
}

void TfrmGridCotaPrec::sbtProcurarClick()
{
    TfrmPadraoGrid::sbtProcurarClick();
    if (FonteAtual && FonteAtual->dataSet() && FonteAtual->dataSet()->active())
        Pesquisa::Procura(FonteAtual->dataSet());
}

void TfrmGridCotaPrec::sbtImprimirClick()
{
    TfrmPadraoGrid::sbtImprimirClick();
    if (!cdsColetapr->active() || cdsColetapr->isEmpty())
        return;
    Corvane::LoadBPL(QStringLiteral("SUP07000"),
                     {cdsColetapr->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString()});
}

void TfrmGridCotaPrec::sbtConfirmarClick()
{
    TfrmPadraoGrid::sbtConfirmarClick();
    if (currentPage() == Page::Inc) {
        Confirmar_InclusaoCotacao();
        return;
    }
    if (currentPage() == Page::Prod) {
        confirmProducts();
        Habilita();
        return;
    }
    if (currentPage() != Page::Cot || !cdsColetapr->active())
        return;
    if (cdsColetapr->state() == DataSetState::Edit)
        cdsColetapr->post();
    sendHeaderDelta();
    Habilita();
}

void TfrmGridCotaPrec::sbtCancelarClick()
{
    TfrmPadraoGrid::sbtCancelarClick();
    switch (currentPage()) {
    case Page::Cot: {
        const DataSetState state = cdsColetapr->state();
        if ((state == DataSetState::Edit || state == DataSetState::Insert)
            && msgMensagensPadroes->ShowMsg(QStringLiteral("Canc"), MsgDlg::mtConfirmation,
                                            MsgDlg::mbYes | MsgDlg::mbNo) == MsgDlg::mrYes)
            cdsColetapr->cancel();
        break;
    }
    case Page::Inc:
        // Leaving the new quotation, once the user agrees: back to the list.
        if (msgMensagensPadroes->ShowMsg(QStringLiteral("Canc"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
            != MsgDlg::mrYes)
            return;
        Cancelar_InclusaoCotacao();
        if (currentPage() == Page::Cot && dbgCotacao->isVisible())
            dbgCotacao->setFocus();
        break;
    case Page::Prod:
        cancelProducts();
        break;
    }
    Habilita();
}

void TfrmGridCotaPrec::sbtFiltroClick()
{
    CriaFiltroGridCotacao(*m_context, this);
    update();
    dtsPadraoStateChange();
}

// --- the quotation grid ----------------------------------------------------------------------

void TfrmGridCotaPrec::dbgCotacaoColEnter()
{
    const Field *field = dbgCotacao->selectedField();
    if (!field)
        return;
    const QString name = field->fieldName();
    const bool listEditing = cdsColetapr->state() == DataSetState::Edit;
    const bool editAllowed = mnuAlterar->isEnabled() || listEditing;
    bool editable = false;
    if (name == kSituacao)
        editable = cdsColetapr->active() && !cdsColetapr->isEmpty();
    else if (name == kCdOperador)
        editable = editAllowed;
    dbgCotacao->setOption(DBGrid::Editing, editable);
}

void TfrmGridCotaPrec::dbgCotacaoColExit()
{
    const Field *field = dbgCotacao->selectedField();
    if (!field || field->fieldName() != kCdOperador)
        return;
    Vd_GereComp(false);
    if (cdsColetapr->state() != DataSetState::Edit)
        return;
    Field *name = cdsColetapr->fieldByName(kNmOperador);
    const QString code = cdsColetapr->fieldByName(kCdOperador)->asString();
    if (!name->asString().trimmed().isEmpty() || Consiste::EmptyString(code))
        return;
    qryPesqGereComp->Close();
    qryPesqGereComp->ParamByName(QStringLiteral("P_CDOPERGERE")).setAsString(Corvane::Operador());
    qryPesqGereComp->ParamByName(QStringLiteral("P_CDOPERCOMP")).setAsString(Consiste::Ajusta(code, 12));
    qryPesqGereComp->ParamByName(QStringLiteral("P_TCDOPERCOMP")).setAsString(QString());
    qryPesqGereComp->Open();
    if (qryPesqGereComp->IsEmpty())
        return;
    cdsColetapr->fieldByName(kCdOperador)->setValue(qryPesqGereComp->FieldByName(kCdOperador)->asString());
    name->setValue(qryPesqGereComp->FieldByName(kNmOperador)->asString());
}

void TfrmGridCotaPrec::dbgCotacaoEditButtonClick()
{
    const Field *field = dbgCotacao->selectedField();
    if (!field || field->fieldName() != kCdOperador || !cdsColetapr->active() || cdsColetapr->isEmpty())
        return;
    const bool listEditing = cdsColetapr->state() == DataSetState::Edit;
    if (!listEditing && !mnuAlterar->isEnabled())
        return;
    qryPesqGereComp->Close();
    qryPesqGereComp->ParamByName(QStringLiteral("P_CDOPERGERE")).setAsString(Corvane::Operador());
    qryPesqGereComp->ParamByName(QStringLiteral("P_CDOPERCOMP")).setAsString(QString());
    qryPesqGereComp->ParamByName(QStringLiteral("P_TCDOPERCOMP")).setAsString(QStringLiteral("T"));
    qryPesqGereComp->Open();
    const QString chosen = Pesquisa::Pesquisar(
        dtsPesqGereComp, msg(QStringLiteral("Comprador")) + QLatin1Char('|') + msg(QStringLiteral("GereComp_N_Existe")),
        false, true, kCdOperador);
    if (chosen.isEmpty())
        return;
    if (!listEditing) {
        vd_OperSistema();
        cdsColetapr->edit();
    }
    cdsColetapr->fieldByName(kCdOperador)->setValue(qryPesqGereComp->FieldByName(kCdOperador)->asString());
    cdsColetapr->fieldByName(kNmOperador)->setValue(qryPesqGereComp->FieldByName(kNmOperador)->asString());
}

void TfrmGridCotaPrec::dbgCotacaoKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_PageDown && shift.testFlag(Qt::AltModifier)) {
        dbgForns->setFocus();
        key = 0;
        return;
    }
    const Field *field = dbgCotacao->selectedField();
    if (!field || !cdsColetapr->active() || cdsColetapr->isEmpty())
        return;
    const QString name = field->fieldName();
    if (name == kDisMontLis && key == Qt::Key_Space) {
        key = 0;
        dbgCotacaoCellClick(dbgCotacao->selectedIndex());
        return;
    }
    if (name != kSituacao || !dbgCotacao->hasOption(DBGrid::Editing) || shift & (Qt::ControlModifier | Qt::AltModifier))
        return;
    Field *situation = cdsColetapr->fieldByName(kSituacao);
    if (key == Qt::Key_A || key == Qt::Key_C) {
        if (cdsColetapr->state() == DataSetState::Browse)
            cdsColetapr->edit();
        situation->setValue(key == Qt::Key_A ? QStringLiteral("A") : QStringLiteral("C"));
        key = 0;
    } else if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && cdsColetapr->state() == DataSetState::Edit) {
        situation->clear();
        key = 0;
    }
}

void TfrmGridCotaPrec::dbgFornsKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_PageUp && shift.testFlag(Qt::AltModifier)) {
        dbgCotacao->setFocus();
        key = 0;
    } else if (key == Qt::Key_Delete && shift.testFlag(Qt::ControlModifier)) {
        key = 0;
    }
}

bool TfrmGridCotaPrec::priceListFlagAllowed() const
{
    const QString statusUse = paraSupri(QStringLiteral("IDUTISTATCOT"));
    return statusUse == QLatin1String("N") || (statusUse == QLatin1String("S") && currentSituation() == QLatin1String("A"));
}

void TfrmGridCotaPrec::dbgCotacaoCellClick(int column)
{
    const Field *field = dbgCotacao->columnField(column);
    if (!field || field->fieldName() != kDisMontLis || !cdsColetapr->active() || cdsColetapr->isEmpty())
        return;
    if (!priceListFlagAllowed())
        return; // the column stays read-only
    togglePriceListFlag();
}

void TfrmGridCotaPrec::togglePriceListFlag()
{
    const bool startedEdit = cdsColetapr->state() == DataSetState::Browse;
    if (startedEdit)
        cdsColetapr->edit();
    try {
        Field *flag = cdsColetapr->fieldByName(kDisMontLis);
        flag->setValue(trimmedUpper(flag->value()) == QLatin1String("S") ? QStringLiteral("N") : QStringLiteral("S"));
        cdsColetapr->post();
    } catch (...) {
        if (startedEdit && cdsColetapr->state() == DataSetState::Edit)
            cdsColetapr->cancel();
        throw;
    }
    sendHeaderDelta();
}

void TfrmGridCotaPrec::dbmObsCotPrecEnter()
{
    // A concluded quotation keeps its observation.
    const bool concluded = usesSituation() && currentSituation() == QLatin1String("C");
    dbmObsCotPrec->setReadOnly(concluded);
}
