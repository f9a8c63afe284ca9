#include "Cli_sup05230.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Corvane.h"
#include "DataPacket.h"
#include "Field.h"
#include "PriceSheet.h"
#include "PriceSheetCsv.h"
#include "PriceSheetWriter.h"
#include "QuotationContext.h"
#include "SupResources.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

TfrmExportaPlanilha::TfrmExportaPlanilha(QuotationContext &context, const QString &currentSupplier,
                                         const QString &currentSupplierName, QWidget *parent)
    : TfrmPadrImportExport(parent)
    , m_context(context)
    , m_supplier(currentSupplier.trimmed())
    , m_supplierName(currentSupplierName.trimmed())
{
    setObjectName(QStringLiteral("frmExportaPlanilha"));
    setProperty("screenCode", QStringLiteral("SUP05230"));
    msgPadrao->load(QStringLiteral("planilhaforn"));
    setWindowTitle(msg(QStringLiteral("Tit_Exporta")));

    auto *content = new QWidget(panClient);
    auto *layout = new QVBoxLayout(content);
    lblCotacao = new QLabel(msg(QStringLiteral("Rot_Cotacao_Exp"))
                                .arg(context.currentNumber().trimmed(),
                                     sheetValidity(context)),
                            content);
    lblCotacao->setObjectName(QStringLiteral("lblCotacao"));
    layout->addWidget(lblCotacao);
    auto *folder = new QGroupBox(msg(QStringLiteral("Rot_Pasta")), content);
    folder->setObjectName(QStringLiteral("grbPasta"));
    auto *folderLayout = new QHBoxLayout(folder);
    edtPasta = new QLineEdit(folder);
    edtPasta->setObjectName(QStringLiteral("edtPasta"));
    edtPasta->setMinimumWidth(360);
    edtPasta->setText(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    sbtPasta = new QToolButton(folder);
    sbtPasta->setObjectName(QStringLiteral("sbtPasta"));
    sbtPasta->setText(QStringLiteral("..."));
    sbtPasta->setToolTip(msg(QStringLiteral("Hint_Pasta")));
    folderLayout->addWidget(edtPasta, 1);
    folderLayout->addWidget(sbtPasta);
    layout->addWidget(folder);

    auto *suppliers = new QGroupBox(msg(QStringLiteral("Rot_Fornecedores")), content);
    suppliers->setObjectName(QStringLiteral("grbFornecedores"));
    auto *suppliersLayout = new QVBoxLayout(suppliers);
    const int count = context.suppliersQuoted() && context.suppliersQuoted()->active()
                          ? context.suppliersQuoted()->recordCount() : 0;
    rbtTodosForn = new QRadioButton(count > 0 ? msg(QStringLiteral("Rbt_Todos_N")).arg(count) : msg(QStringLiteral("Rbt_Todos")),
                                    suppliers);
    rbtTodosForn->setObjectName(QStringLiteral("rbtTodosForn"));
    rbtFornAtual = new QRadioButton(m_supplier.isEmpty() ? msg(QStringLiteral("Rbt_Atual_Nenhum"))
                                                         : msg(QStringLiteral("Rbt_Atual")).arg(m_supplier + QStringLiteral(" - ") + m_supplierName),
                                    suppliers);
    rbtFornAtual->setObjectName(QStringLiteral("rbtFornAtual"));
    rbtFornAtual->setEnabled(!m_supplier.isEmpty());
    rbtTodosForn->setChecked(true);
    suppliersLayout->addWidget(rbtTodosForn);
    suppliersLayout->addWidget(rbtFornAtual);
    layout->addWidget(suppliers);

    auto *format = new QGroupBox(msg(QStringLiteral("Rot_Formato")), content);
    format->setObjectName(QStringLiteral("grbFormato"));
    auto *formatLayout = new QVBoxLayout(format);
    rbtXlsx = new QRadioButton(msg(QStringLiteral("Rbt_Xlsx")), format);
    rbtXlsx->setObjectName(QStringLiteral("rbtXlsx"));
    rbtCsv = new QRadioButton(msg(QStringLiteral("Rbt_Csv")), format);
    rbtCsv->setObjectName(QStringLiteral("rbtCsv"));
    rbtXlsx->setChecked(true);
    formatLayout->addWidget(rbtXlsx);
    formatLayout->addWidget(rbtCsv);
    layout->addWidget(format);
    panClientLayout->addWidget(content);

    supInitResources();
    sbtImportExport->setIcon(QIcon(QStringLiteral(":/icons/tool-ExportaPlanilha.svg")));
    sbtImportExport->setText(msg(QStringLiteral("Cap_Exporta")));
    sbtImportExport->setToolTip(msg(QStringLiteral("Hint_Exporta")));
    connect(sbtPasta, &QToolButton::clicked, this, Consiste::guarded([this] { sbtPastaClick(); }));
}

QString TfrmExportaPlanilha::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

void TfrmExportaPlanilha::sbtPastaClick()
{
    if (const auto folder = ui()->askFolder(msg(QStringLiteral("Tit_Pasta")), edtPasta->text()))
        edtPasta->setText(QDir::toNativeSeparators(*folder));
}

void TfrmExportaPlanilha::Vd_Pasta()
{
    const QString folder = edtPasta->text().trimmed();
    if (folder.isEmpty()) {
        edtPasta->setFocus();
        Consiste::MensErro(msg(QStringLiteral("Pasta_N_Inf")));
    }
    if (!QFileInfo(folder).isDir()) {
        edtPasta->setFocus();
        Consiste::MensErro(msg(QStringLiteral("Pasta_Inexistente")).arg(folder));
    }
}

QString TfrmExportaPlanilha::sheetValidity(QuotationContext &context)
{
    if (!context.hasQuotation())
        return {};
    ClientDataSet *list = context.quotations();
    return TMessages(QStringLiteral("planilhaforn"))
        .Msg(QStringLiteral("Validade_Periodo"))
        .arg(list->fieldByName(QStringLiteral("DTINIVALCOL"))->asDateTime().date().toString(QStringLiteral("dd/MM/yyyy")),
             list->fieldByName(QStringLiteral("DTFINVALCOL"))->asDateTime().date().toString(QStringLiteral("dd/MM/yyyy")));
}

PriceSheet TfrmExportaPlanilha::sheetFor(QuotationContext &context, const QString &supplier,
                                         const QString &supplierName, const DataPacket &items)
{
    const TMessages texts(QStringLiteral("planilhaforn"));
    ClientDataSet *list = context.quotations();
    const auto field = [list](const char *name) { return list->fieldByName(QLatin1String(name)); };
    PriceSheet sheet;
    sheet.branch = context.currentBranch().trimmed();
    sheet.branchName = context.centralBranchName().trimmed();
    sheet.number = context.currentNumber().trimmed();
    sheet.validity = sheetValidity(context);
    sheet.buyer = field("CDOPERADOR")->asString().trimmed() + QStringLiteral(" - ") + field("NMOPERADOR")->asString().trimmed();
    sheet.supplier = supplier.trimmed();
    sheet.supplierName = supplierName.trimmed();

    const auto at = [&items](const char *name) { return items.fieldIndex(QLatin1String(name)); };
    const int region = at("CDREGIAO"), regionName = at("NMREGIAO"), supplierAt = at("CDFORNECED"), product = at("CDPRODUTO"),
              tree = at("CDARVPROD"), name = at("NMPRODUTO"), unit = at("SGUNIDADE"), brand = at("CDMARCA"),
              brandName = at("NMMARCA"), quantity = at("QTACMPITMCOL"), price = at("VRPRECUNIITM"), changed = at("DTHRALTE");
    sheet.rows.reserve(items.rowCount());
    for (const QVariantList &r : items.rows()) {
        PriceSheetRow row;
        const double stored = r.value(price).toDouble();
        row.key = PriceSheetKey{sheet.branch, sheet.number, r.value(region).toString(), r.value(supplierAt).toString(),
                                r.value(product).toString(), r.value(brand).toString(),
                                PriceSheetKey::stampOf(stored, r.value(changed).toDateTime())}
                      .text();
        row.region = r.value(region).toString().trimmed();
        row.regionName = r.value(regionName).toString().trimmed();
        row.treeCode = r.value(tree).toString().trimmed();
        row.productName = r.value(name).toString().trimmed();
        row.unit = r.value(unit).toString().trimmed();
        row.brand = r.value(brand).toString().trimmed();
        row.brandName = r.value(brandName).toString().trimmed();
        row.quantity = r.value(quantity).toDouble();
        if (stored > 0)
            row.price = {PriceCell::Number, stored, {}};
        sheet.rows.append(std::move(row));
    }
    return sheet;
}

void TfrmExportaPlanilha::sbtImportExportClick()
{
    Vd_Pasta();
    const QString branch = m_context.currentBranch();
    const QString number = m_context.currentNumber();
    QList<std::pair<QString, QString>> suppliers;  // code, name
    if (rbtFornAtual->isChecked()) {
        suppliers.append({m_supplier, m_supplierName});
    } else {
        const DataPacket all = m_context.gridCotaPrec().getDistForns(branch, number);
        const int code = all.fieldIndex(QStringLiteral("CDFORNECED"));
        const int name = all.fieldIndex(QStringLiteral("NMRAZSOCFORN"));
        for (const QVariantList &r : all.rows())
            suppliers.append({r.value(code).toString(), r.value(name).toString()});
    }
    if (suppliers.isEmpty())
        Consiste::MensErro(msg(QStringLiteral("Sem_Forn")));

    const QDir folder(edtPasta->text().trimmed());
    const bool csv = rbtCsv->isChecked();
    m_written.clear();
    sbtImportExport->setEnabled(false);
    const auto restore = qScopeGuard([this] {
        sbtImportExport->setEnabled(true);
        hideProgress();
    });
    for (int i = 0; i < suppliers.size(); ++i) {
        const auto &[code, name] = suppliers.at(i);
        setProgress(i, int(suppliers.size()),
                    msg(QStringLiteral("Gravando")).arg(i + 1).arg(suppliers.size()).arg(code.trimmed() + QStringLiteral(" - ") + name.trimmed()));
        const DataPacket items = m_context.gridCotaPrec().getItensForn(branch, number, code);
        const PriceSheet sheet = sheetFor(m_context, code, name, items);
        const QString path = folder.filePath(sheet.fileName(csv ? QStringLiteral("csv") : QStringLiteral("xlsx")));
        QString error;
        const bool written = csv ? PriceSheetCsv::writeFile(sheet, path, &error) : PriceSheetWriter::writeXlsx(sheet, path, &error);
        if (!written)
            Consiste::MensErro(error);
        m_written.append(path);
    }
    setProgress(int(suppliers.size()), int(suppliers.size()));
    ui()->showMessage(msg(QStringLiteral("Exportadas")).arg(m_written.size()).arg(QDir::toNativeSeparators(folder.path())),
                      MsgDlg::mtInformation, MsgDlg::mbOK);
    accept();
}

void CriaExportaPlanilha(QuotationContext &context, const QString &currentSupplier, const QString &currentSupplierName,
                         QWidget *owner)
{
    QWidget *parent = Corvane::mainWindow();
    if (!parent)
        parent = owner;
    TfrmExportaPlanilha dialog(context, currentSupplier, currentSupplierName, parent);
    dialog.exec();
}
