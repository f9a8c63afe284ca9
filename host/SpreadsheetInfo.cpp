#include "SpreadsheetInfo.h"

#include "CsvWriter.h"
#include "HostMessages.h"
#include "ModuleConnection.h"
#include "ModuleParams.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "Field.h"
#include "ProtocolContract.h"
#include "TMessages.h"
#include "UserInterface.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QSaveFile>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kModule = QStringLiteral("SUP01803");
const QString kKind = QStringLiteral("IDTIPOLINHA");

QString text(const char *key)
{
    return hostMessages().Msg(QLatin1String(key));
}

// The columns of the file: field, title key, kind of value (s text, d date, p price,
// q quantity, n percentage).
struct CsvColumn
{
    const char *field;
    const char *title;
    char kind;
};
const CsvColumn kCsvColumns[] = {
    {"IDTIPOLINHA", "Pla_Tipo", 's'},     {"NRCOLEPRECO", "Pla_Cotacao", 's'},
    {"DTCOLEPREC", "Pla_Data", 'd'},      {"DTINIVALCOL", "Pla_ValIni", 'd'},
    {"DTFINVALCOL", "Pla_ValFin", 'd'},   {"CDREGIAO", "Pla_Regiao", 's'},
    {"NMREGIAO", "Pla_NmRegiao", 's'},    {"CDFORNECED", "Pla_Fornecedor", 's'},
    {"NMFANTFORN", "Pla_NmFornecedor", 's'}, {"CDARVPROD", "Pla_Produto", 's'},
    {"NMPRODUTO", "Pla_NmProduto", 's'},  {"CDMARCA", "Pla_Marca", 's'},
    {"NMMARCA", "Pla_NmMarca", 's'},      {"VRPRECUNIITM", "Pla_Preco", 'p'},
    {"QTACMPITMCOL", "Pla_QtComprar", 'q'}, {"VRPERDESITM", "Pla_Desconto", 'n'},
    {"DSOBSITMCOL", "Pla_Observacao", 's'},
};

// The rows of one kind, in the packet's layout.
DataPacket rowsOfKind(const DataPacket &packet, const QString &kind)
{
    DataPacket part(packet.fields());
    for (int r = 0; r < packet.rowCount(); ++r) {
        if (packet.value(r, kKind).toString().trimmed().toUpper() == kind)
            part.appendRow(packet.rows().at(r));
    }
    return part;
}

} // namespace

ModuleParams SpreadsheetInfo::check(const QVariantList &params)
{
    ModuleParams p(kModule, params, kParamCount);
    p.isTrue(0);
    for (int i = 1; i <= 7; ++i)
        p.filledText(i);
    p.exactly(8, QString());
    return p;
}

QString SpreadsheetInfo::csv(const DataPacket &packet)
{
    QStringList titles;
    for (const CsvColumn &c : kCsvColumns)
        titles << CsvWriter::field(text(c.title));
    QString out = CsvWriter::line(titles);
    for (int r = 0; r < packet.rowCount(); ++r) {
        QStringList fields;
        for (const CsvColumn &c : kCsvColumns) {
            const QVariant value = packet.value(r, QLatin1String(c.field));
            switch (c.kind) {
            case 'd':
                fields << CsvWriter::date(value.toDateTime().date().isValid() ? value.toDateTime().date() : value.toDate());
                break;
            case 'p':
                fields << (value.isNull() ? QString() : CsvWriter::number(value.toDouble(), 5));
                break;
            case 'q':
            case 'n':
                fields << (value.isNull() ? QString() : CsvWriter::number(value.toDouble(), 2));
                break;
            default: {
                QString s = value.toString().trimmed();
                if (qstrcmp(c.field, "IDTIPOLINHA") == 0)
                    s = s.toUpper() == QLatin1String("H") ? text("Pla_TipoHistorico") : text("Pla_TipoCotacao");
                fields << CsvWriter::field(s);
            }
            }
        }
        out += CsvWriter::line(fields);
    }
    return out;
}

SpreadsheetInfo::SpreadsheetInfo(const QVariantList &params, QWidget *parent)
    : QWidget(parent)
    , m_params(params)
    , m_connection(std::make_unique<ModuleConnection>())
{
    check(params).raiseIfInvalid();
    setObjectName(QStringLiteral("frm") + kModule);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("%1 - %2").arg(text("SUP01803"), kModule));

    auto *layout = new QVBoxLayout(this);
    lblTitulo = new QLabel(this);
    lblTitulo->setObjectName(QStringLiteral("lblTitulo"));
    QFont bold = lblTitulo->font();
    bold.setBold(true);
    lblTitulo->setFont(bold);
    layout->addWidget(lblTitulo);

    auto dataSet = [this](const char *name, DataSource *&source) {
        auto *ds = new ClientDataSet(this);
        ds->setObjectName(QLatin1String(name));
        for (const FieldDef &def : Protocol::packetLayout(QStringLiteral("PlanilhaItem")))
            ds->addFieldDef(def.name, def.type, def.size, def.required);
        source = new DataSource(this);
        source->setDataSet(ds);
        return ds;
    };
    cdsItens = dataSet("cdsItens", m_dtsItens);
    cdsHistorico = dataSet("cdsHistorico", m_dtsHistorico);
    cdsItens->afterOpen = [this](ClientDataSet &ds) { presentFields(ds, false); };
    cdsHistorico->afterOpen = [this](ClientDataSet &ds) { presentFields(ds, true); };

    auto *split = new QSplitter(Qt::Vertical, this);
    auto grid = [this, split](const char *name, const char *title, DataSource *source) {
        auto *box = new QWidget(split);
        auto *boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(0, 0, 0, 0);
        boxLayout->addWidget(new QLabel(text(title), box));
        auto *g = new DBGrid(box);
        g->setObjectName(QLatin1String(name));
        g->setOptions(DBGrid::RowSelect | DBGrid::Titles | DBGrid::Lines | DBGrid::AlwaysShowSelection);
        g->setDataSource(source);
        boxLayout->addWidget(g);
        split->addWidget(box);
        return g;
    };
    dbgItens = grid("dbgItens", "Pla_Itens", m_dtsItens);
    dbgHistorico = grid("dbgHistorico", "Pla_Historico", m_dtsHistorico);
    layout->addWidget(split, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    sbtSalvarCsv = new QToolButton(this);
    sbtSalvarCsv->setObjectName(QStringLiteral("sbtSalvarCsv"));
    sbtSalvarCsv->setText(text("Pla_SalvarCsv"));
    sbtFechar = new QToolButton(this);
    sbtFechar->setObjectName(QStringLiteral("sbtFechar"));
    sbtFechar->setText(text("Sim_Fechar"));
    buttons->addWidget(sbtSalvarCsv);
    buttons->addWidget(sbtFechar);
    layout->addLayout(buttons);
    connect(sbtSalvarCsv, &QToolButton::clicked, this, Consiste::guarded([this] { sbtSalvarCsvClick(); }));
    connect(sbtFechar, &QToolButton::clicked, this, [this] {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            sub->close();
        else
            close();
    });

    reload();
    resize(sizeHint());
}

SpreadsheetInfo::~SpreadsheetInfo() = default;

void SpreadsheetInfo::presentFields(ClientDataSet &ds, bool history)
{
    const QStringList hidden = history ? QStringList{"IDTIPOLINHA", "CDPRODUTO", "CDARVPROD", "NMPRODUTO", "CDMARCA",
                                                     "DSOBSITMCOL", "QTACMPITMCOL", "VRPERDESITM"}
                                       : QStringList{"IDTIPOLINHA", "NRCOLEPRECO", "DTCOLEPREC", "DTINIVALCOL",
                                                     "DTFINVALCOL", "CDPRODUTO", "CDARVPROD", "NMPRODUTO"};
    for (const CsvColumn &c : kCsvColumns) {
        if (Field *f = ds.findField(QLatin1String(c.field)))
            f->setDisplayLabel(text(c.title));
    }
    for (Field *f : ds.fields()) {
        if (hidden.contains(f->fieldName()))
            f->setVisible(false);
    }
    auto format = [&ds](const char *field, const QString &mask) {
        if (Field *f = ds.findField(QLatin1String(field)))
            f->setDisplayFormat(mask);
    };
    format("VRPRECUNIITM", QStringLiteral("#,##0.00000"));
    format("QTACMPITMCOL", QStringLiteral("#,##0.00"));
    format("VRPERDESITM", QStringLiteral("#,##0.00"));
    for (const char *date : {"DTCOLEPREC", "DTINIVALCOL", "DTFINVALCOL"})
        format(date, QStringLiteral("dd/MM/yyyy"));
}

void SpreadsheetInfo::reload()
{
    m_packet = m_connection->gridCotaPrec().getPlanilhaItem(
        m_params.value(1).toString(), m_params.value(2).toString(), m_params.value(3).toString(),
        m_params.value(4).toString(), m_params.value(6).toString(), m_params.value(7).toString());
    cdsItens->setData(rowsOfKind(m_packet, QStringLiteral("C")));
    cdsHistorico->setData(rowsOfKind(m_packet, QStringLiteral("H")));
    const QString product = m_packet.rowCount() > 0 ? m_packet.value(0, QStringLiteral("NMPRODUTO")).toString().trimmed()
                                                    : QString();
    lblTitulo->setText(text("Pla_Titulo").arg(m_params.value(2).toString().trimmed(),
                                              m_params.value(5).toString().trimmed(), product,
                                              m_params.value(6).toString().trimmed()));
    dbgItens->resizeColumnsToContents();
    dbgHistorico->resizeColumnsToContents();
}

bool SpreadsheetInfo::sbtSalvarCsvClick()
{
    const QString suggested = QDir::home().filePath(QStringLiteral("planilha_%1_%2.csv")
                                                        .arg(m_params.value(2).toString().trimmed(),
                                                             m_params.value(5).toString().trimmed()));
    const std::optional<QString> fileName =
        ui()->askSaveFileName(text("Pla_SalvarTitulo"), suggested, text("Pla_FiltroCsv"));
    if (!fileName || fileName->isEmpty())
        return false;
    QSaveFile file(*fileName);
    // A byte-order mark tells the spreadsheet the file is UTF-8.
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + csv(m_packet).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        Consiste::MensErro(text("Pla_NaoSalvo").arg(*fileName, file.errorString()));
    ui()->showMessage(text("Pla_Salvo").arg(*fileName).arg(m_packet.rowCount() + 1), MsgDlg::mtInformation,
                      MsgDlg::mbOK);
    return true;
}
