// The new quotation: the inclusion page, entering and leaving it, its field rules and
// searches, its checks, and the confirmation that creates the quotation on the server.
// Also the checks of an existing quotation's item and supplier that the other pages use.
#include "Cli_sup05200.h"
#include "ui_Cli_sup05200.h"

#include "Cli_sup05216.h"
#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DateEdit.h"
#include "FormIcons.h"
#include "Lib00210.h"
#include "Lib00700.h"
#include "MaskEdit.h"
#include "PageControl.h"
#include "Pesquisa.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "SpinEdit.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TMessages.h"
#include "Tabvalid.h"
#include "UserInterface.h"
#include "ValidityWeek.h"

#include <QAction>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QToolButton>

bool SenhaConfirmada = false;

namespace {

const QString kMarkAll = QStringLiteral("T");
const QString kCdOperador = QStringLiteral("CDOPERADOR");
const QString kNmOperador = QStringLiteral("NMOPERADOR");

bool isIn(const QWidget *focused, const QWidget *control)
{
    return focused && control && (focused == control || control->isAncestorOf(focused));
}

// Freezes the painting of a window until the end of the scope.
class PaintFreeze
{
public:
    explicit PaintFreeze(QWidget *window) : m_window(window) { m_window->setUpdatesEnabled(false); }
    ~PaintFreeze() { release(); }
    void release()
    {
        if (m_frozen)
            m_window->setUpdatesEnabled(true);
        m_frozen = false;
    }

private:
    QWidget *m_window;
    bool m_frozen = true;
};

} // namespace

// --- creation --------------------------------------------------------------------------------

void TfrmGridCotaPrec::createInclusionData()
{
    auto query = [this](const char *sqlName, const char *name) {
        auto *q = new TADOIBQuery(QLatin1String(sqlName), this);
        q->setObjectName(QLatin1String(name));
        return q;
    };
    auto source = [this](const char *name, ClientDataSet *ds) {
        auto *s = new DataSource(this);
        s->setObjectName(QLatin1String(name));
        s->setDataSet(ds);
        return s;
    };
    qryComprador = query("qryComprador", "qryComprador");
    qryRegiao = query("Cli_sup05200.qryRegiao", "qryRegiao");
    qryPesqForn = query("Cli_sup05200.qryPesqForn", "qryPesqForn");
    qryVerificacoes = query("qryVerificacoes", "qryVerificacoes");
    qryProduto = query("qryProduto", "qryProduto");
    qryVerProduto = query("qryVerProduto", "qryVerProduto");
    qryVerProdComp = query("qryVerProdComp", "qryVerProdComp");
    qryProdNegComp = query("qryProdNegComp", "qryProdNegComp");
    qryQualifForn = query("qryQualifForn", "qryQualifForn");
    cdsCompra = new ClientDataSet(this);
    cdsCompra->setObjectName(QStringLiteral("cdsCompra"));
    cdsPesqMarca = new ClientDataSet(this);
    cdsPesqMarca->setObjectName(QStringLiteral("cdsPesqMarca"));

    dtsComprador = source("dtsComprador", qryComprador->dataSet());
    dtsRegiao = source("dtsRegiao", qryRegiao->dataSet());
    dtsPesqForn = source("dtsPesqForn", qryPesqForn->dataSet());
    dtsVerificacoes = source("dtsVerificacoes", qryVerificacoes->dataSet());
    dtsProduto = source("dtsProduto", qryProduto->dataSet());
    dtsCompra = source("dtsCompra", cdsCompra);
    dtsPesqMarca__ = source("dtsPesqMarca__", cdsPesqMarca);

    // The searches show the columns under their captions; each open may rebuild the
    // fields, so the presentation is set after every open.
    struct Column { const char *field; QString label; int width; };
    auto present = [](ClientDataSet &ds, std::initializer_list<Column> columns, std::initializer_list<const char *> hidden) {
        for (const Column &c : columns) {
            if (Field *f = ds.findField(QLatin1String(c.field))) {
                f->setDisplayLabel(c.label);
                f->setDisplayWidth(c.width);
            }
        }
        for (const char *name : hidden) {
            if (Field *f = ds.findField(QLatin1String(name)))
                f->setVisible(false);
        }
    };
    const QString code = msg(QStringLiteral("Fld_Codigo"));
    const QString name = msg(QStringLiteral("Fld_Nome"));
    qryComprador->dataSet()->afterOpen = [=, this](ClientDataSet &ds) {
        present(ds, {{"CDOPERADOR", code, 12}, {"NMOPERADOR", name, 40}}, {});
    };
    qryRegiao->dataSet()->afterOpen = [=, this](ClientDataSet &ds) {
        present(ds, {{"CDREGIAO", code, 3}, {"NMREGIAO", name, 30}}, {});
    };
    qryPesqForn->dataSet()->afterOpen = [=, this](ClientDataSet &ds) {
        present(ds, {{"IDTPIJURFORN", msg(QStringLiteral("Fld_Tipo")), 14},
                     {"NRINSJURFORN", msg(QStringLiteral("Fld_Inscricao")), 20},
                     {"NMRAZSOCFORN", msg(QStringLiteral("Fld_RazaoSocial")), 40},
                     {"NMFANTFORN", msg(QStringLiteral("Fld_NomeFantasia")), 40},
                     {"IDTIPOFORN", msg(QStringLiteral("Fld_Tipo")), 1}},
                {"IDMARCADO", "CDFORNECED"});
        if (Field *number = ds.findField(QStringLiteral("NRINSJURFORN"))) {
            number->onGetText = [](const Field &f, bool) {
                const Field *type = f.dataSet()->findField(QStringLiteral("IDTPIJURFORN"));
                return Consiste::FormataInscricao(f.asString().trimmed(), type ? type->asString().trimmed() : QString());
            };
        }
        // The person type and the kind of supplier by name.
        if (Field *type = ds.findField(QStringLiteral("IDTPIJURFORN"))) {
            type->onGetText = [this](const Field &f, bool) {
                const QString v = f.asString().trimmed().toUpper();
                if (v == QLatin1String("J"))
                    return msg(QStringLiteral("CGC"));
                if (v == QLatin1String("F"))
                    return msg(QStringLiteral("CPF"));
                if (v == QLatin1String("I"))
                    return msg(QStringLiteral("JURIDICA"));
                if (v == QLatin1String("O"))
                    return msg(QStringLiteral("OUTROS"));
                return QString();
            };
        }
        if (Field *kind = ds.findField(QStringLiteral("IDTIPOFORN"))) {
            kind->onGetText = [this](const Field &f, bool) {
                return f.asString().trimmed().toUpper() == QLatin1String("A") ? msg(QStringLiteral("Display_TipFornA"))
                                                                             : msg(QStringLiteral("Display_TipFornN"));
            };
        }
    };
    qryVerificacoes->dataSet()->afterOpen = [=, this](ClientDataSet &ds) {
        present(ds, {{"NMVERIF", msg(QStringLiteral("Fld_Verificacao")), 60}}, {"IDMARCADO", "CDVERIF"});
    };
    qryProduto->dataSet()->afterOpen = [=, this](ClientDataSet &ds) {
        present(ds, {{"CDARVPROD", code, 20}, {"NMPRODUTO", name, 50}}, {"CDPRODUTO", "CDNVPRODUTO"});
    };
    cdsCompra->afterOpen = [=, this](ClientDataSet &ds) {
        present(ds, {{"NRCOMPRA", msg(QStringLiteral("Fld_Compra")), 10},
                     {"DSCOMPRA", msg(QStringLiteral("Fld_Descricao")), 50},
                     {"CDCOMPRADOR", msg(QStringLiteral("Comprador")), 12},
                     {"NMOPERADOR", msg(QStringLiteral("Fld_NmComprador")), 40}},
                {});
    };
    cdsPesqMarca->afterOpen = [=, this](ClientDataSet &ds) {
        present(ds, {{"CDMARCA", code, 5}, {"NMMARCA", name, 30}}, {"IDMARCADO"});
    };
}

void TfrmGridCotaPrec::createInclusionPage()
{
    Ui::TfrmGridCotaPrec &ui = *m_ui;
    pgcIncCotacao = ui.pgcIncCotacao;
    tshPrincipal = ui.tshPrincipal;
    medCdComprador = ui.medCdComprador;
    btnComprador = ui.btnComprador;
    edtNmComprador = ui.edtNmComprador;
    depColeta = ui.depColeta;
    rbtTodosDestino = ui.rbtTodosDestino;
    rbtListaDestino = ui.rbtListaDestino;
    sbtRegiao_Inc = ui.sbtRegiao_Inc;
    speInicial_Inc = ui.speInicial_Inc;
    speFinal_Inc = ui.speFinal_Inc;
    depDtInicial_Inc = ui.depDtInicial_Inc;
    depDtFinal_Inc = ui.depDtFinal_Inc;
    edtNmSemInicial_Inc = ui.edtNmSemInicial_Inc;
    edtNmSemFinal_Inc = ui.edtNmSemFinal_Inc;
    rbtProdTodos = ui.rbtProdTodos;
    rbtProdComprar = ui.rbtProdComprar;
    rbtTForn = ui.rbtTForn;
    rbtListForn = ui.rbtListForn;
    sbtPesqForn = ui.sbtPesqForn;
    medCdProdIni = ui.medCdProdIni;
    medCdProdFin = ui.medCdProdFin;
    btnProdIni = ui.btnProdIni;
    btnProdFin = ui.btnProdFin;
    edtNmProdIni = ui.edtNmProdIni;
    edtNmProdFin = ui.edtNmProdFin;
    rbtTMarca = ui.rbtTMarca;
    rbtListMarca = ui.rbtListMarca;
    sbtMarca = ui.sbtMarca;
    rbtTVerif = ui.rbtTVerif;
    rbtListVerif = ui.rbtListVerif;
    sbtVerif = ui.sbtVerif;
    chkCargObs = ui.chkCargObs;
    chkCarrega = ui.chkCarrega;
    chkDisMontLis = ui.chkDisMontLis;
    medCompra = ui.medCompra;
    btnCompra = ui.btnCompra;
    edtNmCompra = ui.edtNmCompra;
    memDsObsCotPrec = ui.memDsObsCotPrec;

    // Captions come from the message table.
    const std::initializer_list<std::pair<QWidget *, const char *>> captions = {
        {ui.lblComprador, "Inc_Comprador"}, {ui.lblColeta, "Inc_DataColeta"},
        {ui.grbRegiao, "Inc_Regiao"}, {rbtTodosDestino, "Inc_Todas"}, {rbtListaDestino, "Inc_Lista"},
        {ui.grbValidade, "Inc_Validade"}, {ui.lblInicial_Inc, "Inc_Inicial"}, {ui.lblFinal_Inc, "Inc_Final"},
        {ui.grbTipoCotacao, "Inc_TipoCotacao"}, {rbtProdTodos, "Inc_Todos"}, {rbtProdComprar, "Inc_AComprar"},
        {ui.grbFornecedor, "Inc_Fornecedor"}, {rbtTForn, "Inc_Todos"}, {rbtListForn, "Inc_Lista"},
        {ui.grbProduto, "Inc_Produto"}, {ui.lblProdIni, "Inc_Inicial"}, {ui.lblProdFin, "Inc_Final"},
        {ui.grbMarca, "Inc_Marca"}, {rbtTMarca, "Inc_Todas"}, {rbtListMarca, "Inc_Lista"},
        {ui.grbVerificacoes, "Inc_Verificacoes"}, {rbtTVerif, "Inc_Todas"}, {rbtListVerif, "Inc_Lista"},
        {chkCargObs, "Inc_CargObs"}, {chkCarrega, "Inc_Carrega"}, {chkDisMontLis, "Inc_DisMontLis"},
        {ui.lblCompra, "Inc_Compra"}, {ui.grbObservacao, "Inc_Observacao"},
    };
    for (const auto &[widget, key] : captions) {
        const QString text = msg(QLatin1String(key));
        if (auto *label = qobject_cast<QLabel *>(widget))
            label->setText(text);
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            group->setTitle(text);
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setText(text);
    }
    for (QToolButton *search : {sbtRegiao_Inc, sbtPesqForn, sbtMarca, sbtVerif}) {
        search->setToolTip(msg(QStringLiteral("Inc_Pesquisar")));
        search->setIcon(FormIcons::command(QStringLiteral("procurar")));
        search->setEnabled(false);
    }
    for (TBtnPesquisa *search : {btnComprador, btnProdIni, btnProdFin, btnCompra}) {
        search->setToolTip(msg(QStringLiteral("Inc_Pesquisar")));
        search->setIcon(FormIcons::command(QStringLiteral("procurar")));
    }
    for (SpinEdit *week : {speInicial_Inc, speFinal_Inc}) {
        week->setRange(1, 53);
        week->setDigits(2);
        week->setValue(1);
        week->setMinimumWidth(week->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 36);
    }
    for (QLineEdit *name : {edtNmSemInicial_Inc, edtNmSemFinal_Inc})
        name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QStringLiteral("Quarta-feira")) + 16);
    for (QLineEdit *name : {edtNmComprador, edtNmProdIni, edtNmProdFin, edtNmCompra})
        name->setMinimumWidth(220);
    medCdComprador->setMaxLength(12);
    medCompra->setMaxLength(10);
    // Product-tree codes are typed plain: a group's code is shorter than a product's.
    for (MaskEdit *product : {medCdProdIni, medCdProdFin}) {
        product->setMaxLength(20);
        product->setMaximumWidth(140);
    }
    for (DateEdit *date : {depColeta, depDtInicial_Inc, depDtFinal_Inc})
        date->setMaximumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 40);
    medCdComprador->setMaximumWidth(120);
    medCompra->setMaximumWidth(120);
    memDsObsCotPrec->setMaximumHeight(90);
    pgcIncCotacao->setCurrentWidget(tshPrincipal);

    m_validadeInicial = std::make_unique<ValidityWeek>(depDtInicial_Inc, speInicial_Inc, edtNmSemInicial_Inc,
                                                       QLatin1Char('I'));
    m_validadeFinal = std::make_unique<ValidityWeek>(depDtFinal_Inc, speFinal_Inc, edtNmSemFinal_Inc,
                                                     QLatin1Char('F'));

    // The searches of single values.
    btnComprador->setDataSource(dtsComprador);
    btnComprador->setKeyField(kCdOperador);
    btnComprador->setTitle(msg(QStringLiteral("Comprador")) + QLatin1Char('|') + msg(QStringLiteral("N_Comp_Cad")));
    btnComprador->BeforePesq = [this](TBtnPesquisa &) {
        qryComprador->Close();
        qryComprador->ParamByName(QStringLiteral("P_CDOPERADOR")).setAsString(QString());
        qryComprador->ParamByName(QStringLiteral("P_TOPERADOR")).setAsString(kMarkAll);
        qryComprador->Open();
    };
    btnComprador->AfterPesq = [this](TBtnPesquisa &) {
        medCdComprador->setText(qryComprador->FieldByName(kCdOperador)->asString());
        edtNmComprador->setText(qryComprador->FieldByName(kNmOperador)->asString());
    };
    for (auto [button, edit, name] : {std::tuple{btnProdIni, medCdProdIni, edtNmProdIni},
                                      std::tuple{btnProdFin, medCdProdFin, edtNmProdFin}}) {
        button->setDataSource(dtsProduto);
        button->setKeyField(QStringLiteral("CDPRODUTO"));
        button->setTitle(msg(QStringLiteral("Inc_Produto")) + QLatin1Char('|') + msg(QStringLiteral("N_Prod_Cad")));
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
    }
    btnCompra->setDataSource(dtsCompra);
    btnCompra->setKeyField(QStringLiteral("NRCOMPRA"));
    btnCompra->setTitle(msg(QStringLiteral("Title_Compra")) + QLatin1Char('|') + msg(QStringLiteral("N_Compra_Cad")));
    btnCompra->BeforePesq = [this](TBtnPesquisa &) { openCompra(); };
    btnCompra->AfterPesq = [this](TBtnPesquisa &) {
        medCompra->setText(cdsCompra->fieldByName(QStringLiteral("NRCOMPRA"))->asString());
        edtNmCompra->setText(cdsCompra->fieldByName(QStringLiteral("DSCOMPRA"))->asString());
    };
}

void TfrmGridCotaPrec::wireInclusionEvents()
{
    // A radio button's handler runs whenever it becomes checked, by the user or by the
    // program, so the lists, marks and search buttons always follow the radio buttons.
    auto onChecked = [this](QRadioButton *radio, void (TfrmGridCotaPrec::*handler)()) {
        connect(radio, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked)
                Consiste::runGuarded([this, handler] { (this->*handler)(); });
        });
    };
    onChecked(rbtTodosDestino, &TfrmGridCotaPrec::rbtTodosDestinoClick);
    onChecked(rbtListaDestino, &TfrmGridCotaPrec::rbtListaDestinoClick);
    onChecked(rbtTForn, &TfrmGridCotaPrec::rbtTFornClick);
    onChecked(rbtListForn, &TfrmGridCotaPrec::rbtListFornClick);
    onChecked(rbtTMarca, &TfrmGridCotaPrec::rbtTMarcaClick);
    onChecked(rbtListMarca, &TfrmGridCotaPrec::rbtListMarcaClick);
    onChecked(rbtTVerif, &TfrmGridCotaPrec::rbtTVerifClick);
    onChecked(rbtListVerif, &TfrmGridCotaPrec::rbtListVerifClick);

    connect(sbtRegiao_Inc, &QToolButton::clicked, this, Consiste::guarded([this] { sbtRegiao_IncClick(); }));
    connect(sbtPesqForn, &QToolButton::clicked, this, Consiste::guarded([this] { sbtPesqFornClick(); }));
    connect(sbtMarca, &QToolButton::clicked, this, Consiste::guarded([this] { sbtMarcaClick(); }));
    connect(sbtVerif, &QToolButton::clicked, this, Consiste::guarded([this] { sbtVerifClick(); }));

    connect(speInicial_Inc, &SpinEdit::changed, this, Consiste::guarded([this] { speInicial_IncChange(); }));
    connect(speFinal_Inc, &SpinEdit::changed, this, Consiste::guarded([this] { speFinal_IncChange(); }));
    connect(depDtInicial_Inc, &DateEdit::changed, this, Consiste::guarded([this] { depDtInicial_IncDateChange(); }));
    connect(depDtFinal_Inc, &DateEdit::changed, this, Consiste::guarded([this] { depDtFinal_IncDateChange(); }));

    connect(medCdComprador, &MaskEdit::changed, this, Consiste::guarded([this] { medCdCompradorChange(); }));
    connect(medCdProdIni, &MaskEdit::changed, this, [this] { edtNmProdIni->clear(); });
    connect(medCdProdFin, &MaskEdit::changed, this, [this] { edtNmProdFin->clear(); });
    connect(medCompra, &MaskEdit::changed, this, [this] { edtNmCompra->clear(); });

    for (QWidget *w : std::initializer_list<QWidget *>{rbtListaDestino, rbtListForn, rbtListMarca, rbtListVerif,
                                                       speInicial_Inc, speFinal_Inc, depDtInicial_Inc,
                                                       depDtFinal_Inc, depColeta, medCdComprador, medCdProdIni,
                                                       medCdProdFin, medCompra})
        w->installEventFilter(this);
}

// F9 on a "Lista" radio button runs its search; "-" is no week; leaving a field runs its
// check with the required flag clear.
bool TfrmGridCotaPrec::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F9 && key->modifiers() == Qt::NoModifier) {
            QToolButton *search = watched == rbtListaDestino ? sbtRegiao_Inc
                                  : watched == rbtListForn   ? sbtPesqForn
                                  : watched == rbtListMarca  ? sbtMarca
                                  : watched == rbtListVerif  ? sbtVerif
                                                             : nullptr;
            if (search) {
                if (search->isEnabled())
                    search->click();
                return true;
            }
        }
        if (key->key() == Qt::Key_Minus && (watched == speInicial_Inc || watched == speFinal_Inc))
            return true;
    } else if (event->type() == QEvent::FocusOut && currentPage() == Page::Inc) {
        // Leaving the field for another control; a window switch (a message box, another
        // application) is no leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (!m_leavingField && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            m_leavingField = true;
            Consiste::runGuarded([this, watched] {
                if (watched == medCdComprador)
                    Vd_Comprador(false);
                else if (watched == depColeta)
                    depColetaExit();
                else if (watched == medCdProdIni)
                    Vd_Produto(false, medCdProdIni);
                else if (watched == medCdProdFin)
                    Vd_Produto(false, medCdProdFin);
                else if (watched == medCompra)
                    Vd_Compra();
                else if (watched == depDtInicial_Inc)
                    depDtInicial_IncExit();
                else if (watched == depDtFinal_Inc)
                    depDtFinal_IncExit();
            });
            m_leavingField = false;
        }
    }
    return TfrmPadraoGrid::eventFilter(watched, event);
}

// --- entering and leaving the page -------------------------------------------------------------

void TfrmGridCotaPrec::CriaInclusaoCotacao()
{
    ListaForn.clear();
    ListaMarca.clear();
    ListaVerif.clear();
    TodosForn = kMarkAll;
    TodasRegioes = kMarkAll;
    medCompra->clear();
    edtNmCompra->clear();

    rbtTodosDestino->setChecked(true);
    rbtTForn->setChecked(true);
    rbtTMarca->setChecked(true);
    sbtMarca->setEnabled(false);
    rbtTVerif->setChecked(true);
    sbtVerif->setEnabled(false);
    chkCarrega->setChecked(false);

    pgcPadrao->hide();
    pgcPadrao->setTabVisible(tshIncCotacao, true);
    mnuIncCotacao->setVisible(true);
    pgcPadrao->setActivePage(tshIncCotacao);
    panNavigator->hide();
    pgcPadrao->setPageEnabled(tshCotacao, false);
    pgcPadrao->setPageEnabled(tshProdCotGrid, false);
    mnuPadrao->setEnabled(false);
    mnuCotacao->setEnabled(false);
    // The record commands, the filter and the tools follow the page through the enabling
    // rule: only confirm and cancel stay.
    pgcPadraoChange();
    pgcPadrao->show();

    const QDate today = QDate::currentDate();
    depColeta->setDate(today);
    depDtInicial_Inc->setDate(today);
    depDtFinal_Inc->setDate(today);

    medCdComprador->setFocus();
    medCdComprador->setText(Corvane::Operador());
    edtNmComprador->setText(Corvane::NomeOperador());
    chkDisMontLis->setChecked(true);
}

void TfrmGridCotaPrec::Cancelar_InclusaoCotacao()
{
    PaintFreeze freeze(this);
    depColeta->clear();
    depDtInicial_Inc->clear();
    depDtFinal_Inc->clear();
    medCdComprador->clear();
    speInicial_Inc->setValue(1);
    speFinal_Inc->setValue(1);
    medCdProdIni->clear();
    medCdProdFin->clear();
    rbtTodosDestino->setChecked(true);

    pgcPadrao->setTabVisible(tshIncCotacao, false);
    mnuIncCotacao->setVisible(false);
    panNavigator->show();
    pgcPadrao->setPageEnabled(tshCotacao, true);
    pgcPadrao->setPageEnabled(tshProdCotGrid, true);
    mnuPadrao->setEnabled(pgcPadrao->isPageEnabled(tshProdCotGrid));
    mnuCotacao->setEnabled(pgcPadrao->isPageEnabled(tshCotacao));

    pgcPadrao->setActivePage(tshCotacao);
    pgcPadraoChange();
}

// --- field rules -------------------------------------------------------------------------------

void TfrmGridCotaPrec::rbtTodosDestinoClick()
{
    ListaRegiao.clear();
    sbtRegiao_Inc->setEnabled(false);
    TodasRegioes = kMarkAll;
}

void TfrmGridCotaPrec::rbtListaDestinoClick()
{
    sbtRegiao_Inc->setEnabled(true);
    TodasRegioes.clear();
}

void TfrmGridCotaPrec::rbtTFornClick()
{
    TodosForn = kMarkAll;
    ListaForn.clear();
    sbtPesqForn->setEnabled(false);
}

void TfrmGridCotaPrec::rbtListFornClick()
{
    TodosForn.clear();
    sbtPesqForn->setEnabled(true);
}

void TfrmGridCotaPrec::rbtTMarcaClick()
{
    ListaMarca.clear();
    sbtMarca->setEnabled(false);
}

void TfrmGridCotaPrec::rbtListMarcaClick()
{
    sbtMarca->setEnabled(true);
}

void TfrmGridCotaPrec::rbtTVerifClick()
{
    ListaVerif.clear();
    sbtVerif->setEnabled(false);
}

void TfrmGridCotaPrec::rbtListVerifClick()
{
    sbtVerif->setEnabled(true);
}

void TfrmGridCotaPrec::medCdCompradorChange()
{
    edtNmComprador->clear();
    SenhaConfirmada = false;
}

void TfrmGridCotaPrec::speInicial_IncChange() { m_validadeInicial->weekChanged(); }
void TfrmGridCotaPrec::speFinal_IncChange() { m_validadeFinal->weekChanged(); }
void TfrmGridCotaPrec::depDtInicial_IncDateChange() { m_validadeInicial->dateChanged(); }
void TfrmGridCotaPrec::depDtFinal_IncDateChange() { m_validadeFinal->dateChanged(); }
void TfrmGridCotaPrec::depDtInicial_IncExit() { m_validadeInicial->dateLeft(); }
void TfrmGridCotaPrec::depDtFinal_IncExit() { m_validadeFinal->dateLeft(); }

void TfrmGridCotaPrec::depColetaExit()
{
    validateDate(depColeta);
    Vd_Data(false);
}

// --- list searches -----------------------------------------------------------------------------

void TfrmGridCotaPrec::sbtRegiao_IncClick()
{
    qryRegiao->Close();
    qryRegiao->ParamByName(QStringLiteral("P_CDREGIAO")).setAsString(QString());
    qryRegiao->ParamByName(QStringLiteral("P_TCDREGIAO")).setAsString(kMarkAll);
    qryRegiao->Open();
    if (qryRegiao->IsEmpty())
        Consiste::MensErro(msg(QStringLiteral("N_Reg_Cad")));
    Pesqlista::PesquisaLista(dtsRegiao, QStringLiteral("CDREGIAO"), msg(QStringLiteral("Regiao")), false,
                             ListaRegiao);
}

void TfrmGridCotaPrec::sbtPesqFornClick()
{
    qryPesqForn->Close();
    qryPesqForn->ParamByName(QStringLiteral("P_DTCOL"))
        .setAsString(depColeta->date().toString(Qt::ISODate));
    qryPesqForn->ParamByName(QStringLiteral("P_IDULTIDTVALQ")).setAsString(paraSupri(QStringLiteral("IDULTIDTVALQ")));
    qryPesqForn->Open();
    Pesqlista::PesquisaLista(dtsPesqForn, QStringLiteral("CDFORNECED"),
                             msg(QStringLiteral("msgForn")) + QLatin1Char('|') + msg(QStringLiteral("N_Forn_Cad")),
                             false, ListaForn);
}

void TfrmGridCotaPrec::sbtMarcaClick()
{
    DataPacket brands;
    {
        ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Receb_Marca")));
        brands = m_context->gridCotaPrec().getPesqMarca(QString(), kMarkAll);
    }
    cdsPesqMarca->setData(brands);
    Pesqlista::PesquisaLista(dtsPesqMarca__, QStringLiteral("CDMARCA"), msg(QStringLiteral("Title_PesqMarca")), false,
                             ListaMarca);
}

void TfrmGridCotaPrec::sbtVerifClick()
{
    qryVerificacoes->Close();
    qryVerificacoes->ParamByName(QStringLiteral("P_VERIF_0")).setAsString(msg(QStringLiteral("Verif_ProdComp")));
    qryVerificacoes->ParamByName(QStringLiteral("P_VERIF_1")).setAsString(msg(QStringLiteral("Verif_QfoForn")));
    qryVerificacoes->ParamByName(QStringLiteral("P_VERIF_2")).setAsString(msg(QStringLiteral("Verif_QfoProdForn")));
    qryVerificacoes->ParamByName(QStringLiteral("P_VERIF_3")).setAsString(msg(QStringLiteral("Verif_QfoMarcProd")));
    qryVerificacoes->Open();
    Pesqlista::PesquisaLista(dtsVerificacoes, QStringLiteral("CDVERIF"), msg(QStringLiteral("Verif")), false,
                             ListaVerif);
}

// --- checks ------------------------------------------------------------------------------------

void TfrmGridCotaPrec::fail(QWidget *control, const QString &key)
{
    if (control && control->isEnabled())
        control->setFocus();
    Consiste::MensErro(msg(key));
}

void TfrmGridCotaPrec::validateDate(DateEdit *date)
{
    if (date->isAcceptable())
        return;
    date->setFocus();
    Consiste::MensErro(msg(QStringLiteral("Data_Invalida")).arg(date->displayText()));
}

void TfrmGridCotaPrec::Validacao()
{
    QWidget *focused = window()->focusWidget();
    auto buyer = [this] { Vd_Comprador(true); };
    auto date = [this] { Vd_Data(true); };
    auto validity = [this] { vd_Validade(); };
    auto first = [this] { Vd_Produto(true, medCdProdIni); };
    auto last = [this] { Vd_Produto(true, medCdProdFin); };
    QList<std::function<void()>> order;
    if (isIn(focused, depColeta))
        order = {date, buyer, validity, first, last};
    else if (isIn(focused, speInicial_Inc) || isIn(focused, depDtInicial_Inc) || isIn(focused, speFinal_Inc)
             || isIn(focused, depDtFinal_Inc))
        order = {validity, buyer, date, first, last};
    else if (isIn(focused, medCdProdIni))
        order = {first, buyer, date, validity, last};
    else if (isIn(focused, medCdProdFin))
        order = {last, buyer, date, validity, first};
    else
        order = {buyer, date, validity, first, last};
    for (const auto &check : order)
        check();

    if (rbtListaDestino->isChecked() && ListaRegiao.isEmpty())
        fail(rbtListaDestino, QStringLiteral("Reg_N_Inf"));
    if (rbtListForn->isChecked() && ListaForn.isEmpty())
        fail(rbtListForn, QStringLiteral("For_N_Inf"));
    if (rbtListMarca->isChecked() && ListaMarca.isEmpty())
        fail(rbtListMarca, QStringLiteral("Marc_N_Inf"));
    if (rbtListVerif->isChecked() && ListaVerif.isEmpty())
        fail(rbtListVerif, QStringLiteral("Verif_N_Inf"));
}

void TfrmGridCotaPrec::Vd_Comprador(bool required)
{
    QString code = medCdComprador->text();
    if (Consiste::EmptyString(code)) {
        if (required)
            fail(medCdComprador, QStringLiteral("Comp_N_Inf"));
        return;
    }
    code = Consiste::Ajusta(code, 12);
    if (code != medCdComprador->text()) {
        // Padding keeps the code the user typed: the confirmation stays with it.
        const bool confirmed = SenhaConfirmada;
        medCdComprador->setText(code);
        SenhaConfirmada = confirmed;
    }
    qryComprador->Close();
    qryComprador->ParamByName(QStringLiteral("P_CDOPERADOR")).setAsString(code);
    qryComprador->ParamByName(QStringLiteral("P_TOPERADOR")).setAsString(QString());
    qryComprador->Open();
    if (qryComprador->IsEmpty())
        fail(medCdComprador, QStringLiteral("Comp_N_Cad"));
    edtNmComprador->setText(qryComprador->FieldByName(kNmOperador)->asString());

    qryOperRelacAux->Close();
    qryOperRelacAux->ParamByName(QStringLiteral("P_CDCOMPRADOR")).setAsString(code);
    qryOperRelacAux->Open();

    auto confirmPassword = [this, &code] {
        if (SenhaConfirmada)
            return;
        if (!Lib00700::CriaConfSenha(m_context->confirmations(), code, msg(QStringLiteral("Title_ConfSenha")),
                                     msg(QStringLiteral("Comprador")))) {
            medCdComprador->setFocus();
            SenhaConfirmada = false;
            Consiste::SilentAbort();
        }
        SenhaConfirmada = true;
    };
    if (qryOperRelacAux->IsEmpty()) {
        confirmPassword();
        return;
    }
    bool related = false;
    for (qryOperRelacAux->First(); !qryOperRelacAux->Eof(); qryOperRelacAux->Next()) {
        if (isOperator(qryOperRelacAux->FieldByName(kCdOperador)->asString())) {
            related = true;
            break;
        }
    }
    if (!related)
        fail(medCdComprador, QStringLiteral("Oper_N_Relac"));
    auto flag = [this](const char *name) {
        return qryOperRelacAux->FieldByName(QLatin1String(name))->asString().trimmed().toUpper();
    };
    if (flag("IDCOTCMPOPER") == QLatin1String("N"))
        fail(medCdComprador, QStringLiteral("Oper_Relac_N_Aut"));
    if (flag("IDEXSENHCMPOPER") == QLatin1String("S"))
        confirmPassword();
}

void TfrmGridCotaPrec::Vd_Data(bool required)
{
    if (required) {
        if (depColeta->isEmpty())
            fail(depColeta, QStringLiteral("Dt_N_Inf"));
        validateDate(depColeta);
    }
    if (!depColeta->isEmpty() && depColeta->date() > QDate::currentDate())
        fail(depColeta, QStringLiteral("Dt_Invalida"));
}

void TfrmGridCotaPrec::vd_Validade()
{
    auto refuse = [this](DateEdit *focus, const QString &key) {
        pgcIncCotacao->setCurrentWidget(tshPrincipal);
        fail(focus, key);
    };
    if (depDtInicial_Inc->isEmpty())
        refuse(depDtInicial_Inc, QStringLiteral("DtIni_N_Inf"));
    if (depDtFinal_Inc->isEmpty())
        refuse(depDtFinal_Inc, QStringLiteral("DtFin_N_Inf"));
    for (DateEdit *date : {depDtInicial_Inc, depDtFinal_Inc}) {
        if (!date->isAcceptable()) {
            pgcIncCotacao->setCurrentWidget(tshPrincipal);
            validateDate(date);
        }
    }
    if (depDtFinal_Inc->date() < depDtInicial_Inc->date())
        refuse(depDtInicial_Inc, QStringLiteral("DtIniFin_Inv"));
}

void TfrmGridCotaPrec::Vd_Produto(bool required, MaskEdit *edit)
{
    if (edit->isEmpty())
        return;
    auto focusEdit = qScopeGuard([edit] {
        if (edit->isEnabled())
            edit->setFocus();
    });
    if (!qryProduto->Active())
        qryProduto->Open();
    QString code = edit->text();
    Tabvalid::ValidEx(dtsProduto, 0, code, true);
    const QVariantList product = Lib00210::Dados_Produto(code.trimmed());
    qryVerProduto->Close();
    qryVerProduto->ParamByName(QStringLiteral("P_CDPRODUTO")).setValue(product.value(2));
    qryVerProduto->Open();
    const QString name = qryVerProduto->IsEmpty() ? QString()
                                                  : qryVerProduto->FieldByName(QStringLiteral("NMPRODUTO"))->asString();
    (edit == medCdProdIni ? edtNmProdIni : edtNmProdFin)->setText(name);
    if (required && !medCdProdIni->isEmpty() && !medCdProdFin->isEmpty()
        && medCdProdIni->text() > medCdProdFin->text())
        Consiste::MensErro(msg(QStringLiteral("ProdIniFin_Inv")));
    focusEdit.dismiss();
}

void TfrmGridCotaPrec::openCompra()
{
    if (cdsCompra->active())
        return;
    DataPacket purchases;
    {
        ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Receb_Compra")));
        purchases = m_context->gridCotaPrec().getCompra();
    }
    cdsCompra->setData(purchases);
}

void TfrmGridCotaPrec::Vd_Compra()
{
    if (Consiste::EmptyString(medCompra->text()))
        return;
    const QString number = Consiste::Ajusta(medCompra->text(), 10);
    if (number != medCompra->text())
        medCompra->setText(number);
    openCompra();
    if (!cdsCompra->locate(QStringLiteral("NRCOMPRA"), number, LocateOption::CaseInsensitive))
        fail(medCompra, QStringLiteral("Compra_NCAD"));
    const QString buyer = medCdComprador->text().trimmed();
    if (!buyer.isEmpty()
        && buyer.compare(cdsCompra->fieldByName(QStringLiteral("CDCOMPRADOR"))->asString().trimmed(), Qt::CaseInsensitive)
               != 0)
        fail(medCompra, QStringLiteral("Compra_NCAD_Comp"));
    edtNmCompra->setText(cdsCompra->fieldByName(QStringLiteral("DSCOMPRA"))->asString());
}

// --- confirmation ------------------------------------------------------------------------------

bool TfrmGridCotaPrec::noFilterChosen() const
{
    return rbtTodosDestino->isChecked() && rbtTForn->isChecked() && rbtTMarca->isChecked()
           && medCompra->text().isEmpty() && rbtTVerif->isChecked() && medCdProdIni->text().isEmpty()
           && medCdProdFin->text().isEmpty();
}

IncluirCotacaoArgs TfrmGridCotaPrec::inclusionArgs() const
{
    IncluirCotacaoArgs a;
    a.centralBranch = centralBranch();
    a.branch = Corvane::FiliProc();
    a.buyer = medCdComprador->text();
    a.collectionDate = depColeta->date();
    a.firstWeek = Consiste::Ajusta(QString::number(speInicial_Inc->value()), 2);
    a.lastWeek = Consiste::Ajusta(QString::number(speFinal_Inc->value()), 2);
    a.firstDate = depDtInicial_Inc->date();
    a.lastDate = depDtFinal_Inc->date();
    // A final code is filled with "Z" up to ten characters, so that the range takes in
    // every product under it; no range at all sends both bounds empty.
    if (!(medCdProdIni->text() + medCdProdFin->text()).isEmpty()) {
        const QString last = medCdProdFin->text();
        a.firstProduct = medCdProdIni->text();
        a.lastProduct = last + Consiste::Replicate(QLatin1Char('Z'), 10 - int(last.length()));
    }
    a.regions = ListaRegiao;
    a.suppliers = ListaForn;
    a.brands = ListaMarca;
    a.verifications = ListaVerif;
    a.allProducts = rbtProdTodos->isChecked();
    a.loadLastPrice = chkCarrega->isChecked();
    a.loadObservation = chkCargObs->isChecked();
    a.observation = memDsObsCotPrec->toPlainText();
    a.priceListFlag = chkDisMontLis->isChecked() ? QStringLiteral("S") : QStringLiteral("N");
    a.operatorCode = Corvane::Operador();
    a.noDataText = msg(QStringLiteral("Dados_Inex"));
    a.noLastQuotationText = msg(QStringLiteral("Dados_Inex_UltCot"));
    a.purchase = medCompra->text();
    return a;
}

void TfrmGridCotaPrec::Confirmar_InclusaoCotacao()
{
    Validacao();
    Vd_Compra();
    if (noFilterChosen()
        && TMessages::MsgAlertEx(msg(QStringLiteral("N_Filtro_Informado")), MsgDlg::mtConfirmation,
                                 {msg(QStringLiteral("msgSim")), msg(QStringLiteral("msgNao"))}, 2, 0, 0)
               == MsgDlg::mrCaption2)
        return;

    const IncluirCotacaoArgs args = inclusionArgs();
    QString status;
    {
        ShowAviGuard avi(window(), ShowAviKind::Storing, msg(QStringLiteral("Inc_Cotacao")));
        status = m_context->gridCotaPrec().incluirCotacao(args).status;
    }
    if (status.startsWith(QLatin1Char('2'))) {
        // A refusal is no error: the list tells why and can ask for the details.  The page
        // keeps every value entered.
        CriaErroInclusao(status.mid(1), [this] { return vd_InclusaoCotacao(); }, this);
        update();
        return;
    }
    if (status.startsWith(QLatin1Char('3')))
        Consiste::MensErro(status.mid(1));

    const QString buyer = args.buyer;
    const QDate first = args.firstDate;
    const QDate last = args.lastDate;
    Cancelar_InclusaoCotacao();
    PaintFreeze freeze(this);
    AtualizaCotacao(buyer, QStringLiteral(" "), kMarkAll, kMarkAll, QStringLiteral(" "), first, last);
    const QString number = status.trimmed();
    if (!number.isEmpty() && cdsColetapr->active())
        cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number);
    Habilita();
    pgcPadrao->setActivePage(tshProdCotGrid);
    pgcPadraoChange();
}

QString TfrmGridCotaPrec::vd_InclusaoCotacao()
{
    GetDetalhesArgs a;
    a.centralBranch = centralBranch();
    a.buyer = medCdComprador->text();
    a.firstProduct = medCdProdIni->text();
    a.lastProduct = medCdProdFin->text() + Consiste::Replicate(QLatin1Char('Z'), 10);
    a.allProducts = medCdProdIni->text().isEmpty() ? kMarkAll : QString();
    a.firstDate = depDtInicial_Inc->date();
    a.lastDate = depDtFinal_Inc->date();
    a.regions = ListaRegiao;
    a.allRegions = TodasRegioes;
    a.suppliers = ListaForn;
    a.allSuppliers = TodosForn;
    a.collectionDate = depColeta->date();
    a.brands = ListaMarca;
    a.productsToBuy = rbtProdComprar->isChecked();
    a.loadLastPrice = chkCarrega->isChecked();
    a.allBrands = rbtTMarca->isChecked();
    a.branch = Corvane::FiliProc();
    a.NProd_Cmp = msg(QStringLiteral("NProd_Cmp"));
    a.N_Acomprar = msg(QStringLiteral("N_Acomprar"));
    a.N_FornProdCmp = msg(QStringLiteral("N_FornProdCmp"));
    a.N_ProdComprador = msg(QStringLiteral("N_ProdComprador"));
    a.N_MarcProd = msg(QStringLiteral("N_MarcProd"));
    a.N_QualifMarcProd = msg(QStringLiteral("N_QualifMarcProd"));
    a.N_QfoProdForn = msg(QStringLiteral("N_QfoProdForn"));
    a.N_RefoReg_Inc = msg(QStringLiteral("N_RefoReg_Inc"));
    a.Pr_NFilCor = msg(QStringLiteral("Pr_NFilCor"));
    a.Pr_NFilReg = msg(QStringLiteral("Pr_NFilReg"));
    a.Produto_Inativo = msg(QStringLiteral("Produto_Inativo"));
    a.Valid_Venc = msg(QStringLiteral("Valid_Venc"));
    ShowAviGuard avi(window(), ShowAviKind::Receiving, msg(QStringLiteral("Get_Detalhes")));
    return m_context->gridCotaPrec().getDetalhes(a);
}

// --- checks on an existing quotation -------------------------------------------------------------

void TfrmGridCotaPrec::vd_ProdComprador()
{
    auto refuse = [this](const QString &key) {
        if (dbgGridProdMarc->isVisible() && dbgGridProdMarc->isEnabled())
            dbgGridProdMarc->setFocus();
        Consiste::MensErro(msg(key));
    };
    const QString tree = cdsGridProdMarc->fieldByName(QStringLiteral("CDARVPROD"))->asString().trimmed();
    auto ownedBy = [this, &tree](const QString &buyer) {
        qryVerProdComp->Close();
        qryVerProdComp->ParamByName(QStringLiteral("P_CDARVPROD")).setAsString(tree);
        qryVerProdComp->ParamByName(QStringLiteral("P_CDOPERADOR")).setAsString(buyer);
        qryVerProdComp->Open();
        return !qryVerProdComp->IsEmpty();
    };
    if (paraSupri(QStringLiteral("IDUMPRODCMP")) == QLatin1String("S")) {
        if (ownedBy(Corvane::Operador()))
            return;
        qryProdNegComp->Close();
        qryProdNegComp->ParamByName(QStringLiteral("P_CDARVPROD")).setAsString(tree);
        qryProdNegComp->ParamByName(QStringLiteral("P_CDOPERADOR")).setAsString(QString());
        qryProdNegComp->ParamByName(QStringLiteral("P_TOPERADOR")).setAsString(kMarkAll);
        qryProdNegComp->Open();
        if (qryProdNegComp->FieldByName(QStringLiteral("CTPRODOPER"))->value().toInt() > 0)
            refuse(QStringLiteral("Oper_N_Autoriz"));
        refuse(QStringLiteral("ProdNComp"));
    }
    if (!ownedBy(cdsColetapr->fieldByName(kCdOperador)->asString()))
        refuse(QStringLiteral("ProdNComp"));
}

void TfrmGridCotaPrec::vd_Fornecedor()
{
    qryQualifForn->Close();
    qryQualifForn->ParamByName(QStringLiteral("P_CDFORNECED"))
        .setAsString(cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString());
    qryQualifForn->ParamByName(QStringLiteral("P_DTCOLEPREC"))
        .setAsString(cdsColetapr->fieldByName(QStringLiteral("DTCOLEPREC"))->asDateTime().date().toString(Qt::ISODate));
    qryQualifForn->ParamByName(QStringLiteral("P_IDULTIDTVALQ")).setAsString(paraSupri(QStringLiteral("IDULTIDTVALQ")));
    qryQualifForn->Open();
    if (qryQualifForn->IsEmpty())
        Consiste::MensErro(msg(QStringLiteral("Qualif_Forn")));
    if (qryQualifForn->FieldByName(QStringLiteral("IDSITUCADA"))->asString().trimmed().toUpper() == QLatin1String("I"))
        Consiste::MensErro(msg(QStringLiteral("Forn_Inativ")));
}
