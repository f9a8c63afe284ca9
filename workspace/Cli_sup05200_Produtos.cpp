// The products page "Produtos Cotados": the regions of the current quotation, the
// suppliers of the selected region and the product/brand rows of the selected supplier.
// Suppliers and rows come from the server once per key and from the packet caches after
// that; the user's last supplier and row are reselected after every reload.  Also the
// keys of the three grids, the characters their columns take, the detail strip of the
// current row and the rule that opens the justification column.
#include "Cli_sup05200.h"
#include "ui_Cli_sup05200.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "ConsisteGui.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataSource.h"
#include "InfoGridDelegate.h"
#include "NumberEdit.h"
#include "NumberFormat.h"
#include "PageControl.h"
#include "ProdMarcGridDelegate.h"
#include "ProtocolContract.h"
#include "QuotationContext.h"
#include "ShowAvi.h"
#include "TADOIBQuery.h"
#include "TMessages.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QSplitter>

namespace {

const QString kCdRegiao = QStringLiteral("CDREGIAO");
const QString kCdForneced = QStringLiteral("CDFORNECED");
const QString kCdProduto = QStringLiteral("CDPRODUTO");
const QString kCdMarca = QStringLiteral("CDMARCA");
const QString kNrColePreco = QStringLiteral("NRCOLEPRECO");
const QString kPrice = QStringLiteral("VRPRECUNIITM");
const QString kJustification = QStringLiteral("DSJUSTOPER");
const QString kPriceAltered = QStringLiteral("IDPRECALT");

bool hasRows(const ClientDataSet *ds)
{
    return ds && ds->active() && !ds->isEmpty();
}

// A dataset of the page shown empty: open, with its fields, without rows.
void loadEmpty(ClientDataSet *ds)
{
    ds->setData(DataPacket(ds->fieldDefs()));
}

QString selectedFieldName(const DBGrid *grid)
{
    const Field *field = grid->selectedField();
    return field ? field->fieldName().toUpper() : QString();
}

bool isTabOrEnter(QChar key)
{
    return key == QChar(9) || key == QChar(13);
}

} // namespace

// --- creation --------------------------------------------------------------------------------

void TfrmGridCotaPrec::createProductsPageData()
{
    auto query = [this](const char *name) {
        auto *q = new TADOIBQuery(QLatin1String(name), this);
        q->setObjectName(QLatin1String(name));
        return q;
    };
    auto source = [this](const char *name, ClientDataSet *ds) {
        auto *s = new DataSource(this);
        s->setObjectName(QLatin1String(name));
        s->setDataSet(ds);
        return s;
    };
    qryGridProduto = query("qryGridProduto");
    qryPesqJust = query("qryPesqJust");
    dtsGridProduto = source("dtsGridProduto", qryGridProduto->dataSet());
    dtsPesqJust = source("dtsPesqJust", qryPesqJust->dataSet());
    cdsVd_ChavePrim = new ClientDataSet(this);
    cdsVd_ChavePrim->setObjectName(QStringLiteral("cdsVd_ChavePrim"));

    // The searches show the columns under their captions; each open may rebuild the
    // fields, so the presentation is set after every open.
    const QString code = msg(QStringLiteral("Fld_Codigo"));
    qryGridProduto->dataSet()->afterOpen = [this, code](ClientDataSet &ds) {
        const std::pair<const char *, QString> labels[] = {{"CDPRODUTO", code},
                                                           {"CDARVPROD", code},
                                                           {"NMPRODUTO", msg(QStringLiteral("Fld_Nome"))},
                                                           {"SGUNIDADE", msg(QStringLiteral("Col_SGUNIDADE"))}};
        for (const auto &[name, label] : labels) {
            if (Field *f = ds.findField(QLatin1String(name)))
                f->setDisplayLabel(label);
        }
    };
    qryPesqJust->dataSet()->afterOpen = [this, code](ClientDataSet &ds) {
        if (Field *f = ds.findField(QStringLiteral("CDJUSTSOL"))) {
            f->setDisplayLabel(code);
            f->setVisible(false);
        }
        if (Field *f = ds.findField(QStringLiteral("DSJUSTSOL"))) {
            f->setDisplayLabel(msg(QStringLiteral("Fld_Descricao")));
            f->setDisplayWidth(40);
        }
    };
}

void TfrmGridCotaPrec::createProductsPage()
{
    Ui::TfrmGridCotaPrec &ui = *m_ui;
    tshProdCotGrid = ui.tshProdCotGrid;
    dbgGridRegiao = ui.dbgGridRegiao;
    dbgGridFornecedor = ui.dbgGridFornecedor;
    dbgGridProdMarc = ui.dbgGridProdMarc;
    lsbErrosCota = ui.lsbErrosCota;
    lsbErrosCota->hide();
    lsbErrosCota->setIconSize(QSize(16, 16)); // the warning sign before each text
    panDados = ui.panDados;
    nedQtde = ui.nedQtde;
    nedPrecoEcon = ui.nedPrecoEcon;
    edtDesconto = ui.edtDesconto;
    nedDiferenca = ui.nedDiferenca;
    nedPrecoEconPI = ui.nedPrecoEconPI;
    edtQtdeDisp = ui.edtQtdeDisp;
    ui.splGridSuperior->setStretchFactor(0, 1);
    ui.splGridSuperior->setStretchFactor(1, 2);
    ui.splProdCotGrid->setStretchFactor(0, 1);
    ui.splProdCotGrid->setStretchFactor(1, 2);

    const std::pair<QLabel *, const char *> captions[] = {
        {ui.lblQtde, "Lbl_Qtde"}, {ui.lblPrecoEcon, "Lbl_PrecoEcon"}, {ui.lblDesconto, "Lbl_Desconto"},
        {ui.lblPrecoEconPI, "Lbl_PrecoEconPI"}, {ui.lblQtdeDisp, "Lbl_QtdeDisp"}};
    for (const auto &[label, key] : captions)
        label->setText(msg(QLatin1String(key)));
    for (auto [edit, decimals] : {std::pair{nedQtde, 3}, std::pair{nedPrecoEcon, 5}, std::pair{nedDiferenca, 5},
                                  std::pair{nedPrecoEconPI, 5}}) {
        edit->setDecimals(decimals);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setMaximumWidth(110);
    }
    for (QLineEdit *edit : {edtDesconto, edtQtdeDisp}) {
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setMaximumWidth(110);
    }

    // Every column is titled with its field's display label.
    const auto column = [](const char *field, int width, bool readOnly = false) {
        DBGridColumn c(QLatin1String(field), QString(), width);
        c.readOnly = readOnly;
        return c;
    };
    const DBGrid::Options browsing = DBGrid::Titles | DBGrid::Lines | DBGrid::Tabs | DBGrid::AlwaysShowSelection;
    const QColor info = palette().color(QPalette::ToolTipBase);
    for (auto [grid, source] : {std::pair{dbgGridRegiao, dtsGridRegiao}, std::pair{dbgGridFornecedor, dtsGridFornecedor},
                                std::pair{dbgGridProdMarc, dtsGridProdMarc}}) {
        grid->setDataSource(source);
        grid->setOptions(browsing);
        grid->setColor(info);
    }
    dbgGridRegiao->setColumns({column("CDREGIAO", 60), column("NMREGIAO", 200)});
    dbgGridFornecedor->setColumns({column("IDFORNCOT", 20, true), column("NRINSJURFORN", 140),
                                   column("NMFANTFORN", 240)});
    DBGridColumn brand = column("CDMARCA", 60);
    brand.buttonStyle = ColumnButtonStyle::Ellipsis;
    dbgGridProdMarc->setColumns({column("IDPRECALT", 35, true), column("CDARVPROD", 110),
                                 column("NMPRODUTO", 260, true), column("SGUNIDADE", 40), brand,
                                 column("NMMARCA", 140, true), column("VRPRECUNIITM", 110),
                                 column("DSJUSTOPER", 240)});
    // The product grid edits; a deletion is asked for by its own key rule, and the Insert
    // and Down keys end in the dataset's refusal of insertions the form did not start.
    dbgGridProdMarc->setOptions(browsing | DBGrid::Editing | DBGrid::DeleteKey | DBGrid::InsertKey
                                | DBGrid::AppendOnDown);

    auto *regions = new InfoGridDelegate(dbgGridRegiao);
    dbgGridRegiao->setGridDelegate(regions);
    auto *suppliers = new InfoGridDelegate(dbgGridFornecedor);
    suppliers->setFlagPicture(QStringLiteral("IDFORNCOT"), picture(QStringLiteral("imgCotacao")), transparentColour());
    dbgGridFornecedor->setGridDelegate(suppliers);
    auto *items = new ProdMarcGridDelegate(dbgGridProdMarc);
    items->setPictures(picture(QStringLiteral("imgPrecAlt")), picture(QStringLiteral("imgItmLisPrec")),
                       transparentColour());
    dbgGridProdMarc->setGridDelegate(items);
}

QStringList TfrmGridCotaPrec::productPagePictureNames()
{
    return {QStringLiteral("imgCotacao"), QStringLiteral("imgPrecAlt"), QStringLiteral("imgItmLisPrec")};
}

void TfrmGridCotaPrec::wireProductsPageEvents()
{
    // Regions and suppliers are the server's: the user never edits or adds one.
    for (ClientDataSet *ds : {cdsGridRegiao, cdsGridFornecedor}) {
        ds->beforeEdit = [](ClientDataSet &) { Consiste::SilentAbort(); };
        ds->beforeInsert = [](ClientDataSet &) { Consiste::SilentAbort(); };
    }
    cdsGridRegiao->afterScroll = [this](ClientDataSet &) { cdsGridRegiaoAfterScroll(); };
    cdsGridFornecedor->afterScroll = [this](ClientDataSet &) { cdsGridFornecedorAfterScroll(); };
    cdsGridProdMarc->afterOpen = [this](ClientDataSet &) { cdsGridProdMarcAfterOpen(); };
    cdsGridProdMarc->afterScroll = [this](ClientDataSet &) { cdsGridProdMarcAfterScroll(); };
    cdsGridProdMarc->beforeEdit = [this](ClientDataSet &) { cdsGridProdMarcBeforeEdit(); };
    cdsGridProdMarc->beforeInsert = [this](ClientDataSet &) { cdsGridProdMarcBeforeInsert(); };
    cdsGridProdMarc->afterInsert = [this](ClientDataSet &) { cdsGridProdMarcAfterInsert(); };
    cdsGridProdMarc->beforePost = [this](ClientDataSet &) { cdsGridProdMarcBeforePost(); };
    cdsGridProdMarc->afterPost = [this](ClientDataSet &) { cdsGridProdMarcAfterPost(); };
    cdsGridProdMarc->afterDelete = [this](ClientDataSet &) { cdsGridProdMarcAfterDelete(); };

    // A new product or brand invalidates what was copied for the old one.
    auto whileEditing = [](const Field &f) {
        const DataSetState state = f.dataSet()->state();
        return state == DataSetState::Edit || state == DataSetState::Insert;
    };
    cdsGridProdMarc->fieldByName(QStringLiteral("CDARVPROD"))->onChange = [whileEditing](Field &f) {
        if (!whileEditing(f))
            return;
        for (const char *name : {"NMPRODUTO", "CDPRODUTO", "SGUNIDADE"})
            f.dataSet()->fieldByName(QLatin1String(name))->clear();
    };
    cdsGridProdMarc->fieldByName(kCdMarca)->onChange = [whileEditing](Field &f) {
        if (whileEditing(f))
            f.dataSet()->fieldByName(QStringLiteral("NMMARCA"))->clear();
    };
    // The product-tree code is shown through its mask ("01.01.001") and typed with it.
    cdsGridProdMarc->fieldByName(QStringLiteral("CDARVPROD"))->onGetText = [](const Field &f, bool displayText) {
        const QString code = f.asString();
        return displayText && !code.trimmed().isEmpty() ? Consiste::FormatMaskText(f.editMask(), code.trimmed()) : code;
    };
    // The registration number through the mask of the supplier's person type.
    cdsGridFornecedor->fieldByName(QStringLiteral("NRINSJURFORN"))->onGetText = [](const Field &f, bool) {
        const QString type = f.dataSet()->fieldByName(QStringLiteral("IDTPIJURFORN"))->asString();
        return Consiste::FormataInscricao(f.asString().trimmed(), type.trimmed().toUpper());
    };
    connect(dtsGridProdMarc, &DataSource::stateChanged, this, Consiste::guarded([this] { dtsGridProdMarcStateChange(); }));

    for (auto [grid, source] : {std::pair{dbgGridRegiao, dtsGridRegiao}, std::pair{dbgGridFornecedor, dtsGridFornecedor}}) {
        DataSource *s = source;
        grid->onEnter = [this, s] {
            FonteAtual = s;
            dbnPadrao->setDataSource(s);
            Habilita();
        };
    }
    dbgGridProdMarc->onEnter = [this] { dbgGridProdMarcEnter(); };
    dbgGridRegiao->onKeyDown = [this](int &key, Qt::KeyboardModifiers m) { dbgGridRegiaoKeyDown(key, m); };
    dbgGridFornecedor->onKeyDown = [this](int &key, Qt::KeyboardModifiers m) { dbgGridFornecedorKeyDown(key, m); };
    dbgGridProdMarc->onKeyDown = [this](int &key, Qt::KeyboardModifiers m) { dbgGridProdMarcKeyDown(key, m); };
    dbgGridRegiao->onKeyPress = [this](QChar &key) { filterMarkedColumnKey(dbgGridRegiao, key); };
    dbgGridFornecedor->onKeyPress = [this](QChar &key) { filterMarkedColumnKey(dbgGridFornecedor, key); };
    dbgGridProdMarc->onKeyPress = [this](QChar &key) { dbgGridProdMarcKeyPress(key); };
    dbgGridProdMarc->onColExit = [this] { dbgGridProdMarcColExit(); };
    dbgGridProdMarc->onColEnter = [this] { dbgGridProdMarcColEnter(); };
    dbgGridProdMarc->onEditButtonClick = [this] { dbgGridProdMarcEditButtonClick(); };
    dbgGridProdMarc->onDblClick = [this] { dbgGridProdMarcDblClick(); };
}

// --- loading ---------------------------------------------------------------------------------

void TfrmGridCotaPrec::GetGridRegiao(const QString &number)
{
    DataPacket packet;
    {
        ShowAviGuard avi(window(), ShowAviKind::Receiving);
        packet = m_context->gridCotaPrec().getGridRegiao(m_context->currentBranch(), number);
    }
    // Opening the regions moves to the first one, which loads the rest of the page.
    cdsGridRegiao->setData(packet);
}

void TfrmGridCotaPrec::GetGridFornecedor(const QString &number, const QString &region)
{
    QScopedValueRollback<bool> loading(RegistraPosicao, false);
    const DataPacket packet = CacheGridFornecedor.fetch({number, region}, [&] {
        ShowAviGuard avi(window(), ShowAviKind::Receiving);
        return m_context->gridCotaPrec().getGridFornecedor(m_context->currentBranch(), number, region);
    });
    cdsGridFornecedor->setData(packet);
    cdsGridFornecedor->locate(QStringLiteral("IDFORNCOT;CDFORNECED"), QVariantList{QStringLiteral("S"), UltFornecedor},
                              LocateOption::CaseInsensitive);
}

void TfrmGridCotaPrec::GetGridProdMarc(const QString &number, const QString &region, const QString &supplier)
{
    QScopedValueRollback<bool> loading(RegistraPosicao, false);
    const DataPacket packet = CacheGridProdMarc.fetch({number, region, supplier}, [&] {
        ShowAviGuard avi(window(), ShowAviKind::Receiving);
        return m_context->gridCotaPrec().getGridProdMarc(m_context->currentBranch(), number, region, supplier);
    });
    cdsGridProdMarc->setData(packet);
    if (UltProdMarc.typeId() != QMetaType::QVariantList)
        return;
    const QVariantList pair = UltProdMarc.toList();
    if (!cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"), pair, LocateOption::CaseInsensitive))
        cdsGridProdMarc->locate(kCdProduto, pair.value(0), LocateOption::CaseInsensitive);
}

void TfrmGridCotaPrec::reloadCurrentProdMarc()
{
    if (!hasRows(cdsGridFornecedor))
        return;
    auto field = [this](const QString &name) { return cdsGridFornecedor->fieldByName(name)->asString(); };
    GetGridProdMarc(field(kNrColePreco), field(kCdRegiao), field(kCdForneced));
}

// --- the scroll chain --------------------------------------------------------------------------

void TfrmGridCotaPrec::cdsGridRegiaoAfterScroll()
{
    if (!hasRows(cdsGridRegiao)) {
        // No region: nothing to show below it, and no call for an empty key.
        loadEmpty(cdsGridFornecedor);
        return;
    }
    const QString number = cdsColetapr->fieldByName(kNrColePreco)->asString();
    const QString region = cdsGridRegiao->fieldByName(kCdRegiao)->asString();
    try {
        GetGridFornecedor(number, region);
    } catch (...) {
        // The suppliers of the region could not be read: the grids below show nothing
        // rather than another region's rows.
        cdsGridFornecedor->close();
        cdsGridProdMarc->close();
        throw;
    }
    cdsGridFornecedor->locate(QStringLiteral("IDFORNCOT;NRCOLEPRECO;CDREGIAO;CDFORNECED"),
                              QVariantList{QStringLiteral("S"), number, region, UltFornecedor},
                              LocateOption::CaseInsensitive);
    if (UltProdMarc.typeId() != QMetaType::QVariantList || !cdsGridProdMarc->active())
        return;
    const QVariantList pair = UltProdMarc.toList();
    if (!cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"), pair, LocateOption::CaseInsensitive))
        cdsGridProdMarc->locate(kCdProduto, pair.value(0), LocateOption::CaseInsensitive);
}

void TfrmGridCotaPrec::cdsGridFornecedorAfterScroll()
{
    if (!hasRows(cdsGridFornecedor)) {
        loadEmpty(cdsGridProdMarc);
        return;
    }
    if (RegistraPosicao)
        UltFornecedor = cdsGridFornecedor->fieldByName(kCdForneced)->asString();
    try {
        reloadCurrentProdMarc();
    } catch (...) {
        cdsGridProdMarc->close();
        throw;
    }
}

void TfrmGridCotaPrec::cdsGridProdMarcAfterOpen()
{
    showProductFigures();
}

void TfrmGridCotaPrec::cdsGridProdMarcAfterScroll()
{
    showProductFigures();
    edtQtdeDisp->setText(hasRows(cdsGridProdMarc)
                             ? cdsGridProdMarc->fieldByName(QStringLiteral("QTDISPPRODMARC"))->asString()
                             : QString());
    PreencheErrosCota();
    if (RegistraPosicao && hasRows(cdsGridProdMarc))
        UltProdMarc = QVariantList{cdsGridProdMarc->fieldByName(kCdProduto)->asString(),
                                   cdsGridProdMarc->fieldByName(kCdMarca)->asString()};
    applyJustificationRule();
}

void TfrmGridCotaPrec::showProductFigures()
{
    const bool rows = hasRows(cdsGridProdMarc);
    auto number = [this, rows](const char *name) {
        return rows ? cdsGridProdMarc->fieldByName(QLatin1String(name))->asFloat() : 0.0;
    };
    edtDesconto->setText(NumberFormat::format(number("VRPERDESITM"), QStringLiteral("#0.00 %")));
    // The net price follows the discount as the strip shows it.
    const double price = number("VRPRECUNIITM");
    const double discount = Consiste::FloatMaskOut(edtDesconto->text().section(QLatin1Char(' '), 0, 0));
    nedDiferenca->setValue(price - discount * price / 100);
    nedPrecoEcon->setValue(number("VRPRECECOITM"));
    const double pi = number("VRPRECOITMPI");
    nedPrecoEconPI->setValue(pi);
    QPalette palette = nedPrecoEconPI->palette();
    palette.setColor(QPalette::Text, pi < 0 ? QColor(255, 0, 0) : QColor(Qt::black));
    nedPrecoEconPI->setPalette(palette);
    nedQtde->setValue(number("QTACMPITMCOL"));
}

// --- entering the page and its grids ----------------------------------------------------------

void TfrmGridCotaPrec::tshProdCotGridEnter()
{
    panDatVal->setVisible(pgcPadrao->activePage() == tshProdCotGrid);
}

bool TfrmGridCotaPrec::itemEditingAllowed() const
{
    const QString statusUse = paraSupri(QStringLiteral("IDUTISTATCOT"));
    return statusUse == QLatin1String("N")
           || (statusUse == QLatin1String("S") && currentSituation() == QLatin1String("A"));
}

void TfrmGridCotaPrec::dbgGridProdMarcEnter()
{
    const int brand = dbgGridProdMarc->columnIndex(kCdMarca);
    dbgGridProdMarc->setReadOnly(false);
    if (!itemEditingAllowed()) {
        dbgGridProdMarc->setColumnButtonStyle(brand, ColumnButtonStyle::None);
        dbgGridProdMarc->setReadOnly(true);
        return;
    }
    FonteAtual = dtsGridProdMarc;
    dbnPadrao->setDataSource(dtsGridProdMarc);
    dbgGridProdMarc->setColumnButtonStyle(brand, ColumnButtonStyle::Ellipsis);
    dbgGridProdMarc->setColumnReadOnly(dbgGridProdMarc->columnIndex(kPrice), false);
    applyJustificationRule();
    Habilita();
}

// A value as the platform turns it into text (a number without a mask: "5,5"), the way
// prices and brands are compared and described.
static QString valueText(const Field *field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (field->dataType() == FieldType::Float)
        return NumberFormat::format(value.toDouble(), QString());
    return value.toString();
}

QString TfrmGridCotaPrec::oldText(const Field *field)
{
    return valueText(field, field->oldValue());
}

QString TfrmGridCotaPrec::currentText(const Field *field)
{
    return valueText(field, field->value());
}

void TfrmGridCotaPrec::applyJustificationRule()
{
    const QString selected = selectedFieldName(dbgGridProdMarc);
    if (selected == kPriceAltered) {
        dbgGridProdMarc->setOption(DBGrid::Editing, false);
        return;
    }
    const int just = dbgGridProdMarc->columnIndex(kJustification);
    if (selected != kJustification) {
        dbgGridProdMarc->setColumnButtonStyle(just, ColumnButtonStyle::None);
        dbgGridProdMarc->setOption(DBGrid::Editing, true);
        return;
    }
    bool justify = false;
    if (hasRows(cdsGridProdMarc)) {
        const bool pending = cdsGridProdMarc->changeCount() > 0 || cdsGridProdMarc->state() == DataSetState::Edit;
        const Field *price = cdsGridProdMarc->fieldByName(kPrice);
        const Field *brand = cdsGridProdMarc->fieldByName(kCdMarca);
        const QVariant oldPrice = price->oldValue();
        const bool storedPrice = oldPrice.isValid() && oldPrice.toDouble() > 0;
        const bool changed = oldText(price) != currentText(price) || oldText(brand) != currentText(brand);
        justify = pending && storedPrice && changed;
    }
    dbgGridProdMarc->setColumnButtonStyle(just, justify ? ColumnButtonStyle::Ellipsis : ColumnButtonStyle::None);
    dbgGridProdMarc->setOption(DBGrid::Editing, justify);
}

// --- keys ----------------------------------------------------------------------------------------

bool TfrmGridCotaPrec::canTakeFocus(const QWidget *widget) const
{
    return widget && widget->isVisible() && widget->isEnabled() && widget->focusPolicy() != Qt::NoFocus;
}

void TfrmGridCotaPrec::dbgGridRegiaoKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Delete && shift.testFlag(Qt::ControlModifier)) {
        key = 0; // regions are never deleted from the grid
        return;
    }
    if (key == Qt::Key_PageDown && shift.testFlag(Qt::AltModifier)
        && dtsGridRegiao->state() == DataSetState::Browse) {
        key = 0;
        if (canTakeFocus(dbgGridFornecedor))
            dbgGridFornecedor->setFocus();
    }
}

void TfrmGridCotaPrec::dbgGridFornecedorKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Delete && shift.testFlag(Qt::ControlModifier)) {
        key = 0; // suppliers are removed by their own dialog only
        return;
    }
    if (!shift.testFlag(Qt::AltModifier) || dtsGridFornecedor->state() != DataSetState::Browse)
        return;
    if (key == Qt::Key_PageDown) {
        key = 0;
        if (canTakeFocus(dbgGridProdMarc))
            dbgGridProdMarc->setFocus();
    } else if (key == Qt::Key_PageUp) {
        key = 0;
        if (canTakeFocus(dbgGridRegiao))
            dbgGridRegiao->setFocus();
    }
}

void TfrmGridCotaPrec::dbgGridProdMarcKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Delete && shift.testFlag(Qt::ControlModifier)) {
        if (cdsGridProdMarc->state() != DataSetState::Browse || cdsGridProdMarc->isEmpty()) {
            key = 0;
            return;
        }
        if (msgMensagensPadroes->ShowMsg(QStringLiteral("Excl"), MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo)
            != MsgDlg::mrYes) {
            key = 0;
            return;
        }
        const QStringList item = currentItemKey();
        bool inPriceList = false;
        {
            ShowAviGuard avi(window(), ShowAviKind::Receiving);
            inPriceList = m_context->gridCotaPrec()
                              .verifLista(m_context->currentBranch(), m_context->currentNumber(), item.at(0),
                                          item.at(1), item.at(2), item.at(3))
                              .inPriceList;
        }
        if (inPriceList
            && msgPadrao->ShowMsg(QStringLiteral("Del_Itens_Lista"), MsgDlg::mtWarning, MsgDlg::mbYes | MsgDlg::mbNo)
                   != MsgDlg::mrYes)
            key = 0;
        // A key still standing deletes the row: the grid asks nothing more.
        return;
    }
    if (key == Qt::Key_PageUp && shift.testFlag(Qt::AltModifier)
        && dtsGridProdMarc->state() == DataSetState::Browse) {
        key = 0;
        if (canTakeFocus(dbgGridFornecedor))
            dbgGridFornecedor->setFocus();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(shift & (Qt::ControlModifier | Qt::AltModifier))) {
        key = 0;
        if (selectedFieldName(dbgGridProdMarc) == kPriceAltered) {
            dbgGridProdMarcDblClick();
        } else if (cdsGridProdMarc->active()) {
            cdsGridProdMarc->next();
            // On the last row the cell stays: its editor closes on the posted value, so the
            // next keystroke starts afresh.
            if (dbgGridProdMarc->isEditorOpen())
                dbgGridProdMarc->setFocus();
        }
    }
}

QStringList TfrmGridCotaPrec::currentItemKey() const
{
    auto value = [](const ClientDataSet *ds, const QString &name) {
        return hasRows(ds) ? ds->fieldByName(name)->asString() : QString();
    };
    return {value(cdsGridRegiao, kCdRegiao), value(cdsGridFornecedor, kCdForneced),
            value(cdsGridProdMarc, kCdProduto), value(cdsGridProdMarc, kCdMarca)};
}

void TfrmGridCotaPrec::filterMarkedColumnKey(DBGrid *grid, QChar &key)
{
    const Field *field = grid->selectedField();
    const ClientDataSet *ds = grid->dataSet();
    if (field && field->tag() == 1 && ds && ds->state() != DataSetState::Insert && !isTabOrEnter(key))
        key = QChar();
}

void TfrmGridCotaPrec::dbgGridProdMarcKeyPress(QChar &key)
{
    filterMarkedColumnKey(dbgGridProdMarc, key);
    if (key.isNull())
        return;
    const QString selected = selectedFieldName(dbgGridProdMarc);
    if (selected == kPrice) {
        if (key == u'+' || key == u'-' || key == u'E' || key == u'e')
            key = QChar();
    } else if (selected != kJustification) {
        if (key == u'+' || key == u'-')
            key = QChar();
    }
    if (key.isNull() || isTabOrEnter(key))
        return;
    // Name, brand name and unit come from the product and brand, never from typing.
    const int column = dbgGridProdMarc->currentIndex().column();
    for (const char *name : {"NMPRODUTO", "NMMARCA", "SGUNIDADE"}) {
        if (column >= 0 && column == Consiste::IndiceCol(dbgGridProdMarc, QLatin1String(name))) {
            key = QChar();
            return;
        }
    }
}
