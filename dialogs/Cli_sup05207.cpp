// The supplier insertion: the supplier, the optional price source (a quoted supplier and
// a region of the quotation), the checks in the order of the focused field, the server's
// insertion with its three-position status, and the workspace's reload.
#include "Cli_sup05207.h"
#include "ui_Cli_sup05207.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataPacket.h"
#include "DataSource.h"
#include "Field.h"
#include "FieldExit.h"
#include "FormIcons.h"
#include "MaskEdit.h"
#include "ProductsPage.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QScopeGuard>

namespace {

const QString kCdForneced = QStringLiteral("CDFORNECED");
const QString kNrInsJurForn = QStringLiteral("NRINSJURFORN");
const QString kIdTpIJurForn = QStringLiteral("IDTPIJURFORN");
const QString kNmRazSocForn = QStringLiteral("NMRAZSOCFORN");
const QString kNmFantForn = QStringLiteral("NMFANTFORN");
const QString kCdRegiao = QStringLiteral("CDREGIAO");
const QString kNmRegiao = QStringLiteral("NMREGIAO");
// The registration typed before its person type is known: up to 20 digits.
const QString kRegistrationMask = QStringLiteral("99999999999999999999;0; ");
const QString kRegionMask = QStringLiteral("999;0; ");

// True when a packet holds a row whose field equals the value, without case.
bool packetHas(const DataPacket &packet, const QString &field, const QString &value)
{
    const int index = packet.fieldIndex(field);
    if (index < 0)
        return false;
    for (const QVariantList &row : packet.rows()) {
        if (row.value(index).toString().compare(value, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString personTypeName(const TMessages &messages, const QString &type)
{
    const QString t = type.trimmed().toUpper();
    const char *key = t == QLatin1String("F")   ? "CPF_Pesq"
                      : t == QLatin1String("I") ? "JUR_Pesq"
                      : t == QLatin1String("J") ? "CGC_Pesq"
                      : t == QLatin1String("O") ? "OUTROS_Pesq"
                                                : nullptr;
    return key ? messages.Msg(QLatin1String(key)) : QString();
}

} // namespace

// --- creation --------------------------------------------------------------------------------

TfrmGridForneInsert::TfrmGridForneInsert(QuotationContext &context, ProductsPage &page, QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmGridForneInsert>())
    , m_context(context)
    , m_page(page)
{
    setObjectName(QStringLiteral("frmGridForneInsert"));
    setProperty("screenCode", QStringLiteral("SUP05207"));
    msgPadrao->load(QStringLiteral("Cli_sup05207"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);

    medNrInsJurForn = m_ui->medNrInsJurForn;
    btnPesqForn = m_ui->btnPesqForn;
    edtNmRazSocForn = m_ui->edtNmRazSocForn;
    grbCargForn = m_ui->grbCargForn;
    medFornCarg = m_ui->medFornCarg;
    btpFornCarg = m_ui->btpFornCarg;
    edtNmFornCarg = m_ui->edtNmFornCarg;
    grbCargReg = m_ui->grbCargReg;
    medCargReg = m_ui->medCargReg;
    btpCargReg = m_ui->btpCargReg;
    edtCargReg = m_ui->edtCargReg;
    chbCargTReg = m_ui->chbCargTReg;

    for (MaskEdit *registration : {medNrInsJurForn, medFornCarg}) {
        registration->setEditMask(kRegistrationMask);
        registration->setMaxLength(20);
        registration->setMinimumWidth(registration->fontMetrics().horizontalAdvance(QStringLiteral("00.000.000/0000-000")) + 16);
    }
    medCargReg->setEditMask(kRegionMask);
    medCargReg->setMaxLength(3);
    medCargReg->setMaximumWidth(medCargReg->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    for (QLineEdit *name : {edtNmRazSocForn, edtNmFornCarg, edtCargReg})
        name->setMinimumWidth(260);
    for (TBtnPesquisa *search : {btnPesqForn, btpFornCarg, btpCargReg}) {
        search->setIcon(FormIcons::command(QStringLiteral("procurar")));
        search->setToolTip(msg(QStringLiteral("Pesquisar")));
    }

    createData();
    wireEvents();
}

TfrmGridForneInsert::~TfrmGridForneInsert() = default;

void TfrmGridForneInsert::createData()
{
    qryPesqForn = new TADOIBQuery(QStringLiteral("Cli_sup05207.qryPesqForn"), this);
    qryPesqForn->setObjectName(QStringLiteral("qryPesqForn"));
    qryQualifForn = new TADOIBQuery(QStringLiteral("Cli_sup05207.qryQualifForn"), this);
    qryQualifForn->setObjectName(QStringLiteral("qryQualifForn"));
    qryRegiao = new TADOIBQuery(QStringLiteral("Cli_sup05207.qryRegiao"), this);
    qryRegiao->setObjectName(QStringLiteral("qryRegiao"));

    // The quotation's regions, as the workspace shows them.
    cdsRegCota = new ClientDataSet(this);
    cdsRegCota->setObjectName(QStringLiteral("cdsRegCota"));
    cdsRegCota->setData(m_page.gridRegiao()->data());
    cdsRegCota->addIndex(QStringLiteral("OrdReg"), kCdRegiao);
    cdsRegCota->setIndexName(QStringLiteral("OrdReg"));

    // The suppliers already quoted, record by record from the workspace's copy.
    cdsPesqFornCot = new ClientDataSet(this);
    cdsPesqFornCot->setObjectName(QStringLiteral("cdsPesqFornCot"));
    cdsPesqFornCot->addFieldDef(kIdTpIJurForn, FieldType::String, 1);
    cdsPesqFornCot->addFieldDef(kNrInsJurForn, FieldType::String, 20);
    cdsPesqFornCot->addFieldDef(kNmRazSocForn, FieldType::String, 40);
    cdsPesqFornCot->addFieldDef(kNmFantForn, FieldType::String, 40);
    cdsPesqFornCot->addFieldDef(kCdForneced, FieldType::String, 21);
    cdsPesqFornCot->createDataSet();
    if (ClientDataSet *quoted = m_page.fornCotadosAux(); quoted && quoted->active()) {
        const DataPacket rows = quoted->data();
        for (int r = 0; r < rows.rowCount(); ++r) {
            cdsPesqFornCot->append();
            for (const QString &name : {kIdTpIJurForn, kNrInsJurForn, kNmRazSocForn, kNmFantForn, kCdForneced})
                cdsPesqFornCot->fieldByName(name)->setValue(rows.value(r, name).toString());
            cdsPesqFornCot->post();
        }
        cdsPesqFornCot->mergeChangeLog();
        cdsPesqFornCot->first();
    }

    dtsPesqForn = new DataSource(this);
    dtsPesqForn->setObjectName(QStringLiteral("dtsPesqForn"));
    dtsPesqForn->setDataSet(qryPesqForn->dataSet());
    dtsRegCota = new DataSource(this);
    dtsRegCota->setObjectName(QStringLiteral("dtsRegCota"));
    dtsRegCota->setDataSet(cdsRegCota);
    dtsPesqFornCot = new DataSource(this);
    dtsPesqFornCot->setObjectName(QStringLiteral("dtsPesqFornCot"));
    dtsPesqFornCot->setDataSet(cdsPesqFornCot);

    // The supplier columns as the searches show them: the person type by name, the
    // registration through its type's mask, the codes hidden.
    auto present = [this](ClientDataSet &ds) {
        auto label = [&ds](const QString &field, const QString &text, int width) {
            if (Field *f = ds.findField(field)) {
                f->setDisplayLabel(text);
                f->setDisplayWidth(width);
            }
        };
        label(kNrInsJurForn, msg(QStringLiteral("Fld_Inscricao")), 20);
        label(kIdTpIJurForn, msg(QStringLiteral("Fld_Tipo")), 14);
        label(kNmRazSocForn, msg(QStringLiteral("Fld_RazaoSocial")), 40);
        label(kNmFantForn, msg(QStringLiteral("Fld_NomeFantasia")), 40);
        for (const char *hidden : {"CDFORNECED", "IDSITUCADA"}) {
            if (Field *f = ds.findField(QLatin1String(hidden)))
                f->setVisible(false);
        }
        if (Field *type = ds.findField(kIdTpIJurForn))
            type->onGetText = [this](const Field &f, bool) { return personTypeName(*msgPadrao, f.asString()); };
        if (Field *number = ds.findField(kNrInsJurForn)) {
            number->onGetText = [](const Field &f, bool) {
                const Field *type = f.dataSet()->findField(kIdTpIJurForn);
                return Consiste::FormataInscricao(f.asString().trimmed(), type ? type->asString().trimmed() : QString());
            };
        }
    };
    qryPesqForn->dataSet()->afterOpen = present;
    present(*cdsPesqFornCot);
    auto regions = [this](ClientDataSet &ds) {
        if (Field *f = ds.findField(kCdRegiao))
            f->setDisplayLabel(msg(QStringLiteral("Fld_Codigo")));
        if (Field *f = ds.findField(kNmRegiao))
            f->setDisplayLabel(msg(QStringLiteral("Fld_Nome")));
    };
    regions(*cdsRegCota);
}

void TfrmGridForneInsert::wireEvents()
{
    btnPesqForn->setDataSource(dtsPesqForn);
    btnPesqForn->setKeyField(kCdForneced);
    btnPesqForn->setTitle(msg(QStringLiteral("Fornecedor")) + QLatin1Char('|') + msg(QStringLiteral("N_Forn_Cad")));
    btnPesqForn->BeforePesq = [this](TBtnPesquisa &) {
        qryPesqForn->Close();
        qryPesqForn->ParamByName(QStringLiteral("P_NRINSJURFORN")).setAsString(QString());
        qryPesqForn->ParamByName(QStringLiteral("P_TNRINSJURFORN")).setAsString(QStringLiteral("T"));
        qryPesqForn->Open();
    };
    btnPesqForn->AfterPesq = [this](TBtnPesquisa &) {
        showRegistration(medNrInsJurForn, qryPesqForn->FieldByName(kNrInsJurForn)->asString(),
                         qryPesqForn->FieldByName(kIdTpIJurForn)->asString());
        edtNmRazSocForn->setText(qryPesqForn->FieldByName(kNmRazSocForn)->asString());
        stCdFornIns = qryPesqForn->FieldByName(kCdForneced)->asString();
    };

    btpFornCarg->setDataSource(dtsPesqFornCot);
    btpFornCarg->setKeyField(kCdForneced);
    btpFornCarg->setTitle(msg(QStringLiteral("Fornecedor")) + QLatin1Char('|') + msg(QStringLiteral("N_Forn_Cot")));
    btpFornCarg->AfterPesq = [this](TBtnPesquisa &) {
        showRegistration(medFornCarg, cdsPesqFornCot->fieldByName(kNrInsJurForn)->asString(),
                         cdsPesqFornCot->fieldByName(kIdTpIJurForn)->asString());
        edtNmFornCarg->setText(cdsPesqFornCot->fieldByName(kNmRazSocForn)->asString());
        stCdFornCarg = cdsPesqFornCot->fieldByName(kCdForneced)->asString();
    };

    btpCargReg->setDataSource(dtsRegCota);
    btpCargReg->setKeyField(kCdRegiao);
    btpCargReg->setTitle(msg(QStringLiteral("Regiao")) + QLatin1Char('|') + msg(QStringLiteral("N_Reg_Cot")));
    btpCargReg->AfterPesq = [this](TBtnPesquisa &) {
        medCargReg->setText(cdsRegCota->fieldByName(kCdRegiao)->asString());
        edtCargReg->setText(cdsRegCota->fieldByName(kNmRegiao)->asString());
    };

    connect(medNrInsJurForn, &MaskEdit::changed, this, [this] { edtNmRazSocForn->clear(); });
    connect(medFornCarg, &MaskEdit::changed, this, [this] { edtNmFornCarg->clear(); });
    connect(medCargReg, &MaskEdit::changed, this, [this] { edtCargReg->clear(); });

    m_exits = new FieldExit(this);
    // On entry a registration is typed as digits only, whatever its type showed before.
    for (MaskEdit *registration : {medNrInsJurForn, medFornCarg}) {
        m_exits->watchEntry(registration, [registration] {
            const QString value = registration->text();
            registration->setEditMask(Consiste::PictPess(QStringLiteral("I")));
            registration->setText(value);
        });
    }
    m_exits->watch(medNrInsJurForn, [this] { Vd_Fornecedor(false); });
    m_exits->watch(medFornCarg, [this] { Vd_FornCarg(); });
    m_exits->watch(medCargReg, [this] { Vd_RegCot(); });
}

QString TfrmGridForneInsert::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

void TfrmGridForneInsert::fail(QWidget *control, const QString &key)
{
    if (control && control->isEnabled())
        control->setFocus();
    Consiste::MensErro(msg(key));
    Consiste::SilentAbort(); // not reached: MensErro raises
}

QDate TfrmGridForneInsert::quotationDate() const
{
    const Field *date = m_context.quotations()->findField(QStringLiteral("DTCOLEPREC"));
    return date ? date->asDate() : QDate();
}

void TfrmGridForneInsert::showRegistration(MaskEdit *edit, const QString &number, const QString &personType)
{
    edit->setEditMask(Consiste::PictPess(personType.trimmed().toUpper()));
    edit->setText(number.trimmed());
}

// --- checks -----------------------------------------------------------------------------------

void TfrmGridForneInsert::Vd_Fornecedor(bool required)
{
    QString number = medNrInsJurForn->text();
    if (Consiste::EmptyString(number)) {
        if (required)
            fail(medNrInsJurForn, QStringLiteral("Forn_Empty"));
        return;
    }
    const QString personType = Consiste::Ajusta_Inscricao(number);
    qryPesqForn->Close();
    qryPesqForn->ParamByName(QStringLiteral("P_NRINSJURFORN")).setAsString(number);
    qryPesqForn->ParamByName(QStringLiteral("P_TNRINSJURFORN")).setAsString(QString());
    qryPesqForn->Open();
    if (qryPesqForn->IsEmpty())
        fail(medNrInsJurForn, QStringLiteral("Forn_N_Cad"));
    showRegistration(medNrInsJurForn, qryPesqForn->FieldByName(kNrInsJurForn)->asString(), personType);
    edtNmRazSocForn->setText(qryPesqForn->FieldByName(kNmRazSocForn)->asString());
    stCdFornIns = qryPesqForn->FieldByName(kCdForneced)->asString();

    if (packetHas(m_page.gridFornecedor()->data(), kCdForneced, stCdFornIns))
        fail(medNrInsJurForn, QStringLiteral("Forn_J_Cad"));
    if (qryPesqForn->FieldByName(QStringLiteral("IDSITUCADA"))->asString().trimmed().toUpper() == QLatin1String("I"))
        fail(medNrInsJurForn, QStringLiteral("Forn_Ina"));

    qryQualifForn->Close();
    qryQualifForn->ParamByName(QStringLiteral("P_IDULTIDTVALQ")).setAsString(m_context.parameter(QStringLiteral("IDULTIDTVALQ")));
    qryQualifForn->ParamByName(QStringLiteral("P_CDFORNECED")).setAsString(stCdFornIns);
    qryQualifForn->ParamByName(QStringLiteral("P_DTCOLEPREC")).setAsDate(quotationDate());
    qryQualifForn->Open();
    if (qryQualifForn->IsEmpty())
        fail(medNrInsJurForn, QStringLiteral("Qualif_Forn"));
}

void TfrmGridForneInsert::Vd_FornCarg()
{
    QString number = medFornCarg->text();
    if (Consiste::EmptyString(number)) {
        // No price source: nothing of an earlier choice may travel to the server.
        stCdFornCarg.clear();
        return;
    }
    const QString personType = Consiste::Ajusta_Inscricao(number);
    if (!cdsPesqFornCot->locate(kNrInsJurForn, number, LocateOption::CaseInsensitive)) {
        stCdFornCarg.clear();
        fail(medFornCarg, QStringLiteral("Forn_N_CadCot"));
    }
    showRegistration(medFornCarg, cdsPesqFornCot->fieldByName(kNrInsJurForn)->asString(), personType);
    edtNmFornCarg->setText(cdsPesqFornCot->fieldByName(kNmRazSocForn)->asString());
    stCdFornCarg = cdsPesqFornCot->fieldByName(kCdForneced)->asString();
}

void TfrmGridForneInsert::Vd_RegCot()
{
    if (Consiste::EmptyString(medCargReg->text()))
        return;
    const QString code = Consiste::Ajusta(medCargReg->text(), 3);
    medCargReg->setText(code);
    qryRegiao->Close();
    qryRegiao->ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(code);
    qryRegiao->ParamByName(QStringLiteral("P_TREGIAO")).setAsString(QString());
    qryRegiao->Open();
    if (qryRegiao->IsEmpty())
        fail(medCargReg, QStringLiteral("Reg_N_Cad"));
    edtCargReg->setText(qryRegiao->FieldByName(kNmRegiao)->asString());
    if (!cdsRegCota->locate(kCdRegiao, code, LocateOption::CaseInsensitive))
        fail(medCargReg, QStringLiteral("Reg_NCot"));
    // A price-source region needs a price-source supplier.
    if (Consiste::EmptyString(medFornCarg->text()))
        fail(medCargReg, QStringLiteral("FornCargNInfReg"));
}

void TfrmGridForneInsert::Vd_ProdForn()
{
    ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Storing, msg(QStringLiteral("VdFornSrv")));
    VdProdFornArgs args;
    args.branch = m_context.currentBranch();
    args.supplier = stCdFornIns;
    args.collectionDate = quotationDate();
    args.products = ProductsPage::DegRegistros({QStringLiteral("CDPRODUTO")}, m_page.gridProdMarc()->data());
    if (m_context.gridCotaPrec().vdProdForn(args) == QLatin1String("S"))
        fail(medNrInsJurForn, QStringLiteral("Forn_N_Cad_Prod"));
}

// --- insertion --------------------------------------------------------------------------------

void TfrmGridForneInsert::TrataStatus(const QString &status, const TMessages &messages)
{
    auto reasons = [&](QChar mark) {
        QString text;
        for (int position = 0; position < 3; ++position) {
            if (status.size() > position && status.at(position) == mark)
                text += QLatin1Char('\n') + messages.Msg(QStringLiteral("MensErro_%1").arg(position + 1));
        }
        return text;
    };
    if (status.contains(QLatin1Char('1')))
        Consiste::MensErro(messages.Msg(QStringLiteral("ErroIncForn")) + reasons(QLatin1Char('1')));
    if (status.contains(QLatin1Char('2')))
        ui()->showMessage(messages.Msg(QStringLiteral("MensErro_4")) + reasons(QLatin1Char('2')), MsgDlg::mtWarning,
                          MsgDlg::mbOK);
}

void TfrmGridForneInsert::sbtConfirmarClick()
{
    TfrmRotiGeral::sbtConfirmarClick();
    if (medFornCarg->hasFocus()) {
        Vd_FornCarg();
        Vd_Fornecedor(true);
        Vd_ProdForn();
        Vd_RegCot();
    } else if (medCargReg->hasFocus()) {
        Vd_RegCot();
        Vd_FornCarg();
        Vd_Fornecedor(true);
        Vd_ProdForn();
    } else {
        Vd_Fornecedor(true);
        Vd_FornCarg();
        Vd_ProdForn();
        Vd_RegCot();
    }

    IncFornecedorArgs args;
    args.branch = m_context.currentBranch();
    args.number = m_context.currentNumber();
    args.supplier = stCdFornIns;
    args.operatorCode = Corvane::Operador();
    args.allServedRegions = chbCargTReg->isChecked();
    args.sourceSupplier = stCdFornCarg;
    args.sourceRegion = medCargReg->text();
    {
        ShowAviGuard avi(Corvane::mainWindow(), ShowAviKind::Storing);
        const QString status = m_context.gridCotaPrec().incFornecedor(args);
        m_inserted = !status.contains(QLatin1Char('1'));
        TrataStatus(status, *msgPadrao);
    }
    m_page.resetGridCaches();
    m_page.GetGridRegiao(args.number);
    accept();
}

// --- creation procedure -------------------------------------------------------------------------

bool CriaForneInsert(QuotationContext &context, ProductsPage &page, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    std::unique_ptr<TfrmGridForneInsert> dialog;
    {
        // The hourglass while the dialog is built; the user works in it with the arrow.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        dialog = std::make_unique<TfrmGridForneInsert>(context, page, parent);
    }
    dialog->exec();
    return dialog->inserted();
}
