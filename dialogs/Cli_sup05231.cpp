#include "Cli_sup05231.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataPacket.h"
#include "Field.h"
#include "NetError.h"
#include "PriceSheet.h"
#include "PriceSheetReader.h"
#include "ProtocolContract.h"
#include "QuotationContext.h"
#include "SupResources.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QStandardPaths>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString priceText(double value)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(value, 'f', 5);
}

// The server now holds the origin "E" (prices received by file) for the quotation: the
// list shows it as stored, not as a change of the buyer's, so the list's next changes go
// to the server with the origin it holds and are not taken for a conflict.
void showStoredOrigin(ClientDataSet *list)
{
    Field *origin = list->fieldByName(QStringLiteral("IDTIPCOLREG"));
    if (list->state() != DataSetState::Browse || origin->asString().trimmed().toUpper() == QLatin1String("E"))
        return;
    const bool logging = list->logChanges();
    list->setLogChanges(false);
    const auto restore = qScopeGuard([&] { list->setLogChanges(logging); });
    list->edit();
    origin->setValue(QStringLiteral("E"));
    list->post();
}

} // namespace

TfrmImportaPlanilha::TfrmImportaPlanilha(QuotationContext &context, QWidget *parent)
    : TfrmPadrImportExport(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmImportaPlanilha"));
    setProperty("screenCode", QStringLiteral("SUP05231"));
    msgPadrao->load(QStringLiteral("planilhaforn"));
    setWindowTitle(msg(QStringLiteral("Tit_Importa")));

    auto *content = new QWidget(panClient);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    dbgPrevia = new QTableWidget(0, ColCount, content);
    dbgPrevia->setObjectName(QStringLiteral("dbgPrevia"));
    dbgPrevia->setHorizontalHeaderLabels({msg(QStringLiteral("Col_Arquivo")), msg(QStringLiteral("Col_Linha")),
                                          msg(QStringLiteral("Col_Regiao")), msg(QStringLiteral("Col_NmProduto")),
                                          msg(QStringLiteral("Col_Marca")), msg(QStringLiteral("Col_PrecoAnt")),
                                          msg(QStringLiteral("Col_PrecoNovo")), msg(QStringLiteral("Col_Situacao"))});
    dbgPrevia->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgPrevia->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgPrevia->verticalHeader()->hide();
    dbgPrevia->horizontalHeader()->setStretchLastSection(true);
    dbgPrevia->setTextElideMode(Qt::ElideRight);
    dbgPrevia->setWordWrap(false);
    dbgPrevia->setMinimumSize(1100, 320);
    lblResumo = new QLabel(content);
    lblResumo->setObjectName(QStringLiteral("lblResumo"));
    layout->addWidget(dbgPrevia, 1);
    layout->addWidget(lblResumo);
    panClientLayout->addWidget(content, 1);

    supInitResources();
    sbtImportExport->setIcon(QIcon(QStringLiteral(":/icons/tool-ImportaPlanilha.svg")));
    sbtImportExport->setText(msg(QStringLiteral("Cap_Gravar")));
    sbtImportExport->setToolTip(msg(QStringLiteral("Hint_Gravar")));
    sbtCancel->setText(msg(QStringLiteral("Cap_Cancelar")));
    sbtImportExport->setEnabled(false);
}

TfrmImportaPlanilha::~TfrmImportaPlanilha() = default;

QString TfrmImportaPlanilha::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

int TfrmImportaPlanilha::accepted() const
{
    int n = 0;
    for (const Sheet &sheet : m_sheets)
        n += PriceSheetCheck::count(sheet.entries, PriceSheetEntry::Accepted);
    return n;
}

void TfrmImportaPlanilha::load(const QStringList &files)
{
    m_files = files;
    m_sheets.clear();
    m_sheets.reserve(files.size());
    const auto restore = qScopeGuard([this] { hideProgress(); });
    for (int i = 0; i < files.size(); ++i) {
        setProgress(i, int(files.size()), msg(QStringLiteral("Recebendo")));
        Sheet sheet;
        sheet.file = files.at(i);
        checkSheet(sheet);
        m_sheets.push_back(std::move(sheet));
    }
    fillPreview();
}

// Reads one file and checks its lines against the supplier's items on the server.
void TfrmImportaPlanilha::checkSheet(Sheet &sheet)
{
    PriceSheet read;
    if (!PriceSheetReader::read(sheet.file, &read, &sheet.error))
        return;
    if (read.rows.isEmpty()) {
        sheet.error = msg(QStringLiteral("Arq_Sem_Linhas"));
        return;
    }
    // The sheet's supplier: its header, else the first line that carries a key.
    sheet.supplier = read.supplier;
    for (int i = 0; sheet.supplier.isEmpty() && i < read.rows.size(); ++i) {
        if (const auto key = PriceSheetKey::parse(read.rows.at(i).key))
            sheet.supplier = key->supplier;
    }
    const QString branch = m_context.currentBranch();
    const QString number = m_context.currentNumber();
    const DataPacket items = sheet.supplier.isEmpty() ? DataPacket(Protocol::packetLayout(QStringLiteral("ItensForn")))
                                                      : m_context.gridCotaPrec().getItensForn(branch, number, sheet.supplier);
    sheet.check = std::make_unique<PriceSheetCheck>(branch, number, sheet.supplier, items);
    sheet.entries = sheet.check->check(read);
    const DataPacket validation = sheet.check->validationItems(sheet.entries);
    if (validation.rowCount() > 0) {
        const QDate collection = m_context.quotations()->fieldByName(QStringLiteral("DTCOLEPREC"))->asDateTime().date();
        const DataPacket errors = m_context.gridCotaPrec().validaDados(validation, Corvane::FiliProc(),
                                                                       m_context.centralBranch(), collection);
        PriceSheetCheck::refuseFailing(sheet.entries, errors);
    }
}

QString TfrmImportaPlanilha::reasonText(const PriceSheetEntry &e) const
{
    using E = PriceSheetEntry;
    switch (e.reason) {
    case E::NoReason: return {};
    case E::OtherQuotation: return msg(QStringLiteral("Recusa_Outra_Cotacao")).arg(e.detail);
    case E::OtherSupplier: return msg(QStringLiteral("Recusa_Outro_Forn")).arg(e.detail);
    case E::UnknownItem: return msg(QStringLiteral("Recusa_Item_Desconhecido"));
    case E::BadKey: return msg(QStringLiteral("Recusa_Chave"));
    case E::Repeated: return msg(QStringLiteral("Recusa_Repetido"));
    case E::NotANumber: return msg(QStringLiteral("Recusa_Preco_Invalido")).arg(e.detail);
    case E::FormulaPrice: return msg(QStringLiteral("Recusa_Formula"));
    case E::ErrorCell: return msg(QStringLiteral("Recusa_Erro_Celula")).arg(e.detail);
    case E::NegativePrice: return msg(QStringLiteral("Recusa_Preco_Negativo"));
    case E::ChangedOnServer: return msg(QStringLiteral("Recusa_Alterado")).arg(priceText(e.oldPrice));
    case E::FailsChecks: return msg(QStringLiteral("Recusa_Verificacao"));
    }
    return {};
}

void TfrmImportaPlanilha::fillPreview()
{
    dbgPrevia->setRowCount(0);
    int refused = 0, unchanged = 0;
    QList<QStringList> lines;
    QList<bool> refusedLine;
    for (const Sheet &sheet : m_sheets) {
        const QString file = QFileInfo(sheet.file).fileName();
        if (!sheet.error.isEmpty()) {
            lines.append({file, {}, {}, {}, {}, {}, {}, sheet.error});
            refusedLine.append(true);
            ++refused;
            continue;
        }
        for (const PriceSheetEntry &e : sheet.entries) {
            if (e.status == PriceSheetEntry::Unchanged) {
                ++unchanged;
                continue;
            }
            const bool isRefused = e.status == PriceSheetEntry::Refused;
            refused += isRefused ? 1 : 0;
            lines.append({file, QString::number(e.line), e.region,
                          e.productName.isEmpty() ? e.treeCode : e.treeCode + QStringLiteral(" ") + e.productName, e.brand,
                          e.item >= 0 ? priceText(e.oldPrice) : QString(), e.newPrice ? priceText(*e.newPrice) : QString(),
                          isRefused ? reasonText(e) : msg(QStringLiteral("Sit_Aceito"))});
            refusedLine.append(isRefused);
        }
    }
    dbgPrevia->setRowCount(int(lines.size()));
    for (int r = 0; r < lines.size(); ++r) {
        for (int c = 0; c < ColCount; ++c) {
            auto *item = new QTableWidgetItem(lines[r].value(c));
            if (c == ColPrecoAnt || c == ColPrecoNovo || c == ColLinha)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (refusedLine[r])
                item->setForeground(QColor(0xB0, 0x00, 0x20));
            dbgPrevia->setItem(r, c, item);
        }
    }
    dbgPrevia->resizeColumnsToContents();
    // Long file and product names are shown elided, so that the prices and the reason
    // stay in sight; the full text is in the cell's tip.
    for (const auto &[column, width] : {std::pair{int(ColArquivo), 170}, std::pair{int(ColProduto), 200}})
        dbgPrevia->setColumnWidth(column, qMin(dbgPrevia->columnWidth(column), width));
    for (int r = 0; r < dbgPrevia->rowCount(); ++r) {
        for (const int column : {int(ColArquivo), int(ColProduto), int(ColSituacao)})
            dbgPrevia->item(r, column)->setToolTip(dbgPrevia->item(r, column)->text());
    }
    const int toStore = accepted();
    lblResumo->setText(msg(QStringLiteral("Resumo")).arg(toStore).arg(refused).arg(unchanged));
    sbtImportExport->setEnabled(toStore > 0);
}

// One SetItemCole call for the accepted lines of one sheet.
void TfrmImportaPlanilha::store(Sheet &sheet)
{
    ClientDataSet *list = m_context.quotations();
    const auto date = [list](const char *name) { return list->fieldByName(QLatin1String(name))->asDateTime().date(); };
    const QString fileName = QFileInfo(sheet.file).fileName();
    const QString changeFormat = msg(QStringLiteral("Alteracao"));
    SetItemColeArgs args;
    // The origin changes once: after the first sheet stored, the one read with the items
    // is no longer what the server holds.
    if (!m_originStored)
        args.headerDelta = sheet.check->headerDelta();
    args.itemDelta = packetVariant(sheet.check->itemDelta(
        sheet.entries, msg(QStringLiteral("Justificativa")),
        [&](double oldPrice, double newPrice) { return changeFormat.arg(priceText(oldPrice), priceText(newPrice), fileName); }));
    args.collectionDate = date("DTCOLEPREC");
    args.branch = Corvane::FiliProc();
    args.operatorCode = Corvane::Operador();
    // The scope texts of the workspace: each price reaches its own item only.
    const TMessages workspace(QStringLiteral("Cli_sup05200"));
    const auto scope = [&workspace](const char *key) { return workspace.Msg(QLatin1String(key)); };
    args.allRegionsText = scope("TODASREG");
    args.oneRegionText = scope("UMAREG");
    args.allSuppliersText = scope("TODOSFORN");
    args.oneSupplierText = scope("UMFORN");
    args.consultation = m_context.consultation();
    args.purchase = list->fieldByName(QStringLiteral("NRCOMPRA"))->asString();
    args.buyer = list->fieldByName(QStringLiteral("CDOPERADOR"))->asString();
    args.firstDate = date("DTINIVALCOL");
    args.lastDate = date("DTFINVALCOL");
    Consiste::CheckResultServ(m_context.gridCotaPrec().setItemCole(args).result, true);
    showStoredOrigin(list);
    sheet.stored = true;
    m_changed = true;
    m_originStored = true;
}

void TfrmImportaPlanilha::sbtImportExportClick()
{
    QStringList failures;
    int stored = 0;
    m_originStored = false;
    const auto restore = qScopeGuard([this] { hideProgress(); });
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        Sheet &sheet = m_sheets[i];
        const int count = PriceSheetCheck::count(sheet.entries, PriceSheetEntry::Accepted);
        if (count == 0 || !sheet.check)
            continue;
        const QString name = QFileInfo(sheet.file).fileName();
        setProgress(int(i), int(m_sheets.size()), msg(QStringLiteral("Gravando_Precos")).arg(name));
        try {
            store(sheet);
            stored += count;
        } catch (const NetError &e) {
            // A refused sheet writes nothing; the others go on.
            failures.append(msg(QStringLiteral("Erro_Planilha")).arg(name, e.message()));
        } catch (const ConsisteError &e) {
            failures.append(msg(QStringLiteral("Erro_Planilha")).arg(name, e.text()));
        }
    }
    if (failures.isEmpty()) {
        ui()->showMessage(msg(QStringLiteral("Gravados")).arg(stored), MsgDlg::mtInformation, MsgDlg::mbOK);
        accept();
        return;
    }
    // What was stored now reads as unchanged; what was refused is checked again against
    // the server, so the buyer sees why.
    ui()->showError(failures.join(QLatin1Char('\n')));
    load(m_files);
}

bool CriaImportaPlanilha(QuotationContext &context, QWidget *owner)
{
    const TMessages texts(QStringLiteral("planilhaforn"));
    const auto files = ui()->askOpenFileNames(texts.Msg(QStringLiteral("Tit_Abrir")),
                                              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                                              texts.Msg(QStringLiteral("Filtro_Abrir")));
    if (!files || files->isEmpty())
        return false;
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    TfrmImportaPlanilha dialog(context, parent);
    dialog.load(*files);
    dialog.exec();
    return dialog.changed();
}
