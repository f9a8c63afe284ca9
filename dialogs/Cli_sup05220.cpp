// The price readjustment: the product range and its checks, the percentage typed within
// its limits, and the readjustment on the server with the reaction to each answer.
#include "Cli_sup05220.h"
#include "ui_Cli_sup05220.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataSource.h"
#include "Field.h"
#include "FormIcons.h"
#include "Lib00210.h"
#include "MaskEdit.h"
#include "NumberEdit.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "SupResources.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TMessages.h"
#include "Tabvalid.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace {

const QString kMarkAll = QStringLiteral("T");
constexpr int kRangeWidth = 20;

} // namespace

// --- creation --------------------------------------------------------------------------------

TfrmReajustedePreco::TfrmReajustedePreco(QuotationContext &context, const QString &region, const QString &supplier,
                                         QWidget *parent)
    : TfrmRotiGeral(parent)
    , m_ui(std::make_unique<Ui::TfrmReajustedePreco>())
    , m_context(context)
    , m_region(region)
    , m_supplier(supplier)
{
    setObjectName(QStringLiteral("frmReajustedePreco"));
    setProperty("screenCode", QStringLiteral("SUP05220"));
    msgPadrao->load(QStringLiteral("Cli_sup05220"));
    setWindowTitle(msg(QStringLiteral("Titulo")));

    auto *content = new QWidget(panClient);
    m_ui->setupUi(content);
    panClientLayout->addWidget(content);

    nedReajuste = m_ui->nedReajuste;
    medNrColeta = m_ui->medNrColeta;
    medCdProdIni = m_ui->medCdProdIni;
    sbtProdIni = m_ui->sbtProdIni;
    edtNmProdIni = m_ui->edtNmProdIni;
    medCdProdFin = m_ui->medCdProdFin;
    sbtProdFin = m_ui->sbtProdFin;
    edtNmProdFin = m_ui->edtNmProdFin;

    supInitResources();
    sbtConfirmar->setText(msg(QStringLiteral("Cap_Calcular")));
    sbtConfirmar->setToolTip(msg(QStringLiteral("Hint_Calcular")));

    nedReajuste->setDecimals(3);
    nedReajuste->setThousandsSeparator(true);
    // A readjustment lowers prices as well as raising them.
    nedReajuste->setAllowNegative(true);
    nedReajuste->setMaximumWidth(nedReajuste->fontMetrics().horizontalAdvance(QStringLiteral("-000,000")) + 24);
    medNrColeta->setMaximumWidth(medNrColeta->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 24);
    for (MaskEdit *code : {medCdProdIni, medCdProdFin})
        code->setMaximumWidth(code->fontMetrics().horizontalAdvance(QStringLiteral("00.00.000")) + 40);
    for (QLineEdit *name : {edtNmProdIni, edtNmProdFin})
        name->setMinimumWidth(260);

    qryProduto = new TADOIBQuery(QStringLiteral("Cli_sup05220.qryProduto"), this);
    qryProduto->setObjectName(QStringLiteral("qryProduto"));
    dtsProduto = new DataSource(this);
    dtsProduto->setObjectName(QStringLiteral("dtsProduto"));
    dtsProduto->setDataSet(qryProduto->dataSet());
    qryProduto->dataSet()->afterOpen = [this](ClientDataSet &ds) {
        if (Field *code = ds.findField(QStringLiteral("CDARVPROD"))) {
            code->setDisplayLabel(msg(QStringLiteral("Fld_Codigo")));
            code->setEditMask(Corvane::DBPict(0));
        }
        if (Field *name = ds.findField(QStringLiteral("NMPRODUTO"))) {
            name->setDisplayLabel(msg(QStringLiteral("Fld_Nome")));
            name->setDisplayWidth(50);
        }
    };

    for (auto [button, edit, name] : {std::tuple{sbtProdIni, medCdProdIni, edtNmProdIni},
                                      std::tuple{sbtProdFin, medCdProdFin, edtNmProdFin}}) {
        button->setIcon(FormIcons::command(QStringLiteral("procurar")));
        button->setDataSource(dtsProduto);
        button->setKeyField(QStringLiteral("CDARVPROD"));
        button->setTitle(msg(QStringLiteral("Produto")) + QLatin1Char('|') + msg(QStringLiteral("N_Prod_Cad")));
        button->BeforePesq = [this](TBtnPesquisa &) {
            qryProduto->Close();
            qryProduto->Open();
        };
        MaskEdit *e = edit;
        QLineEdit *n = name;
        button->AfterPesq = [this, e, n](TBtnPesquisa &) {
            e->setText(qryProduto->FieldByName(QStringLiteral("CDARVPROD"))->asString().trimmed());
            n->setText(qryProduto->FieldByName(QStringLiteral("NMPRODUTO"))->asString());
        };
        // A code changed no longer names the product shown.
        connect(edit, &MaskEdit::changed, this, [n] { n->setText(QStringLiteral(" ")); });
        edit->installEventFilter(this);
    }
    nedReajuste->installEventFilter(this);
    setFocusProxy(nedReajuste);
}

TfrmReajustedePreco::~TfrmReajustedePreco() = default;

QString TfrmReajustedePreco::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

// --- activation -------------------------------------------------------------------------------

void TfrmReajustedePreco::showEvent(QShowEvent *event)
{
    TfrmRotiGeral::showEvent(event);
    Consiste::runGuarded([this] { FormActivate(); });
}

void TfrmReajustedePreco::FormActivate()
{
    update();
    medNrColeta->setText(m_context.currentNumber());
    const QString picture = Corvane::DBPict(0);
    for (MaskEdit *code : {medCdProdIni, medCdProdFin}) {
        if (code->editMask() != picture) {
            // Setting the mask rewrites the text: keep what was typed.
            const QString typed = code->text();
            code->setEditMask(picture);
            code->setText(typed);
        }
    }
}

// --- typing and leaving the fields -----------------------------------------------------------------

void TfrmReajustedePreco::nedReajusteKeyPress(QChar &key)
{
    const int start = nedReajuste->hasSelectedText() ? nedReajuste->selectionStart() : nedReajuste->cursorPosition();
    const int length = nedReajuste->hasSelectedText() ? int(nedReajuste->selectedText().size()) : 0;
    key = Consiste::MaxNumber(nedReajuste->text(), 3, 2, key, start, length);
}

bool TfrmReajustedePreco::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == nedReajuste && event->type() == QEvent::KeyPress) {
        auto *press = static_cast<QKeyEvent *>(event);
        const QString typed = press->text();
        if (typed.size() == 1 && typed.at(0).unicode() >= 0x20) {
            QChar key = typed.at(0);
            nedReajusteKeyPress(key);
            if (key.isNull())
                return true;
            if (key != typed.at(0)) {
                nedReajuste->insert(QString(key));
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusOut && !m_leavingField) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && (watched == medCdProdIni || watched == medCdProdFin)) {
            m_leavingField = true;
            Consiste::runGuarded([this, watched] {
                if (watched == medCdProdIni)
                    Vd_ProdIni(false);
                else
                    Vd_ProdFin(false);
            });
            m_leavingField = false;
        }
    }
    return TfrmRotiGeral::eventFilter(watched, event);
}

// --- checks ----------------------------------------------------------------------------------

void TfrmReajustedePreco::fail(QWidget *control, const QString &key)
{
    if (control && control->isEnabled())
        control->setFocus();
    Consiste::MensErro(msg(key));
}

// The product of a code typed, by the table validation over the product search, its name
// shown next to it.  An unknown code keeps the focus on its own edit.
void TfrmReajustedePreco::showProductName(MaskEdit *edit, QLineEdit *name)
{
    if (!qryProduto->Active())
        qryProduto->Open();
    QString code = edit->text();
    const bool known = Tabvalid::ValidEx(dtsProduto, 0, code, false, QStringLiteral("CDARVPROD"));
    if (!known) {
        edit->setFocus();
        Tabvalid::ValidEx(dtsProduto, 0, code, true, QStringLiteral("CDARVPROD"));
    }
    name->setText(Lib00210::Dados_Produto(code.trimmed()).value(0).toString());
}

void TfrmReajustedePreco::Vd_ProdIni(bool required)
{
    const bool initial = !Consiste::EmptyString(medCdProdIni->text());
    const bool final = !Consiste::EmptyString(medCdProdFin->text());
    if (required && initial && !final)
        fail(medCdProdFin, QStringLiteral("ProdFin_Deve"));
    if (initial)
        showProductName(medCdProdIni, edtNmProdIni);
    // The table holds the key as "Prod_me"; keys compare without case.
    if (required && initial && final && medCdProdIni->text() > medCdProdFin->text())
        fail(medCdProdFin, QStringLiteral("Prod_Me"));
}

void TfrmReajustedePreco::Vd_ProdFin(bool required)
{
    const bool initial = !Consiste::EmptyString(medCdProdIni->text());
    const bool final = !Consiste::EmptyString(medCdProdFin->text());
    if (required && final && !initial)
        fail(medCdProdIni, QStringLiteral("ProdIni_Deve"));
    if (final)
        showProductName(medCdProdFin, edtNmProdFin);
}

// --- readjustment ------------------------------------------------------------------------------

QString TfrmReajustedePreco::rangeEnd(const QString &code)
{
    return code + QString(std::max<qsizetype>(0, kRangeWidth - code.size()), QLatin1Char('Z'));
}

void TfrmReajustedePreco::sbtConfirmarClick()
{
    Vd_ProdIni(true);
    Vd_ProdFin(true);

    ReajustePrecoArgs args;
    // An empty percentage travels as null: the server answers it with "Reaj_Deve".
    args.percentage = nedReajuste->isEmpty() ? QVariant() : QVariant(nedReajuste->value());
    args.centralBranch = m_context.centralBranch();
    args.shownNumber = medNrColeta->text();
    args.firstProduct = medCdProdIni->text();
    args.lastProduct = rangeEnd(medCdProdFin->text());
    args.allProducts = Consiste::EmptyString(medCdProdIni->text()) && Consiste::EmptyString(medCdProdFin->text())
                           ? kMarkAll
                           : QString();
    args.branch = m_context.currentBranch();
    args.number = m_context.currentNumber();
    args.supplier = m_supplier;
    args.region = m_region;
    args.collectionDate = m_context.currentCollectionDate();
    args.prefix = m_context.parameter(QStringLiteral("IDAUDALTCOT")) == QLatin1String("S")
                                   ? msg(QStringLiteral("Reajuste"))
                                   : QString();
    args.operatorCode = Corvane::Operador();

    QString result;
    {
        ShowAviGuard avi(parentWidget() ? parentWidget()->window() : nullptr, ShowAviKind::Storing);
        result = m_context.gridCotaPrec().reajustePreco(args).status;
    }
    if (result == QLatin1String("ok")) {
        m_readjusted = true;
        msgPadrao->ShowMsg(QStringLiteral("ok"), MsgDlg::mtInformation, MsgDlg::mbOK);
        accept();
        return;
    }
    if (result == QLatin1String("Prod_Inv"))
        fail(medCdProdIni, QStringLiteral("Prod_Inv"));
    if (result == QLatin1String("Reaj_Deve"))
        fail(nedReajuste, QStringLiteral("Reaj_Deve"));
    Consiste::MensErro(result);
}

// --- creation procedure -------------------------------------------------------------------------

bool CriaReajustedePreco(QuotationContext &context, const QString &region, const QString &supplier, QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    TfrmReajustedePreco dialog(context, region, supplier, parent);
    dialog.exec();
    return dialog.readjusted();
}
