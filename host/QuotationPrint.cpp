#include "QuotationPrint.h"

#include "HostMessages.h"

#include "Consiste.h"
#include "Corvane.h"
#include "Field.h"
#include "TADOIBQuery.h"
#include "TMessages.h"

#include <QLabel>
#include <QLocale>
#include <QMdiSubWindow>
#include <QVBoxLayout>

namespace {

QString text(const TMessages &messages, const char *key)
{
    return messages.Msg(QLatin1String(key));
}

QString dateText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

} // namespace

QuotationPrint::QuotationPrint(const QString &number, QWidget *parent)
    : TfrmDadosGerRel(parent)
    , m_number(Consiste::Ajusta(number, 10))
{
    setObjectName(QStringLiteral("frmSUP07000"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("%1 - %2").arg(text(hostMessages(), "Rel07000_Titulo"), QStringLiteral("SUP07000")));
    setReportTitle(text(hostMessages(), "Rel07000_Titulo"));
    setReportCode(QStringLiteral("SUP07000"));

    qryCotacao = new TADOIBQuery(QStringLiteral("Sup07000.qryCotacao"), this);
    qryCotacao->setObjectName(QStringLiteral("qryCotacao"));
    qryItens = new TADOIBQuery(QStringLiteral("Sup07000.qryItens"), this);
    qryItens->setObjectName(QStringLiteral("qryItens"));
    declareParam(QStringLiteral("P_CDFILIAL"));
    declareParam(QStringLiteral("P_NRCOLEPRECO"), m_number);

    lblCotacao = new QLabel(QStringLiteral("%1: %2").arg(text(hostMessages(), "Rel07000_Cotacao"), m_number), panParametros);
    lblCotacao->setObjectName(QStringLiteral("lblCotacao"));
    panParametrosLayout->addWidget(lblCotacao);
    panParametrosLayout->addStretch(1);
    resize(460, 140);
}

void QuotationPrint::sbtFecharClick()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

// The quotation is one of the central purchasing branch of the logged branch.
void QuotationPrint::BeforeParams()
{
    TADOIBQuery central(QStringLiteral("qryCentCmp"));
    central.ParamByName(QStringLiteral("P_CDFILIAL")).setAsString(Corvane::FiliProc());
    central.Open();
    m_branch = central.IsEmpty() ? Corvane::FiliProc() : central.FieldByName(QStringLiteral("CDFILIAL"))->asString();
    m_branchName = central.IsEmpty() ? QString() : central.FieldByName(QStringLiteral("NMFILIAL_CENTRAL"))->asString();
    setParamValue(QStringLiteral("P_CDFILIAL"), m_branch);
}

ReportDocument QuotationPrint::reportDocument()
{
    const TMessages &msg = hostMessages();
    ReportDocument document = TfrmDadosGerRel::reportDocument();
    document.subject = msg.Msg(QStringLiteral("Rel07000_Filial")).arg(m_branch.trimmed(), m_branchName.trimmed());
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);

    for (TADOIBQuery *query : {qryCotacao, qryItens}) {
        query->Close();
        query->ParamByName(QStringLiteral("P_CDFILIAL")).setValue(paramValue(QStringLiteral("P_CDFILIAL")));
        query->ParamByName(QStringLiteral("P_NRCOLEPRECO")).setValue(paramValue(QStringLiteral("P_NRCOLEPRECO")));
        query->Open();
    }
    if (qryCotacao->IsEmpty()) {
        document.emptyText = msg.Msg(QStringLiteral("Rel07000_N_Encontrada")).arg(m_number);
        return document;
    }
    auto head = [this](const char *field) { return qryCotacao->FieldByName(QLatin1String(field)); };
    const QString situation = head("IDSITUCOLETA")->asString().trimmed().toUpper() == QLatin1String("A")
                                  ? text(msg, "Rel07000_Andamento") : text(msg, "Rel07000_Concluida");
    document.parameters = {
        {text(msg, "Rel07000_Cotacao"), head("NRCOLEPRECO")->asString()},
        {text(msg, "Rel07000_Data"), dateText(head("DTCOLEPREC")->asDate())},
        {text(msg, "Rel07000_Comprador"),
         head("CDOPERADOR")->asString().trimmed() + QStringLiteral(" - ") + head("NMOPERADOR")->asString().trimmed()},
        {text(msg, "Rel07000_Validade"),
         msg.Msg(QStringLiteral("Rel07000_ValidadeTexto"))
             .arg(dateText(head("DTINIVALCOL")->asDate()), dateText(head("DTFINVALCOL")->asDate()),
                  head("NRSEMAINIC")->asString().trimmed(), head("NRSEMAFINAL")->asString().trimmed())},
        {text(msg, "Rel07000_Situacao"), situation},
    };
    if (!head("DSOBSCOTPREC")->asString().trimmed().isEmpty())
        document.parameters.append({text(msg, "Rel07000_Observacao"), head("DSOBSCOTPREC")->asString().trimmed()});

    document.columns = {{text(msg, "Rel07000_ColProduto"), 14},
                        {text(msg, "Rel07000_ColDescricao"), 36},
                        {text(msg, "Rel07000_ColUnidade"), 7},
                        {text(msg, "Rel07000_ColMarca"), 17},
                        {text(msg, "Rel07000_ColQtde"), 12, Qt::AlignRight},
                        {text(msg, "Rel07000_ColPreco"), 14, Qt::AlignRight}};
    // A heading for each region and supplier, their items below it.
    QString group;
    int items = 0;
    auto item = [this](const char *field) { return qryItens->FieldByName(QLatin1String(field)); };
    document.rows.reserve(qryItens->RecordCount() + 64);
    for (qryItens->First(); !qryItens->Eof(); qryItens->Next()) {
        const QString key = item("CDREGIAO")->asString() + QLatin1Char('|') + item("CDFORNECED")->asString();
        if (key != group) {
            group = key;
            const QString supplier = item("NMRAZSOCFORN")->asString().trimmed();
            document.rows << ReportRow::group(msg.Msg(QStringLiteral("Rel07000_Grupo"))
                                                  .arg(item("CDREGIAO")->asString().trimmed(),
                                                       item("NMREGIAO")->asString().trimmed(), supplier));
        }
        document.rows << ReportRow::detail({item("CDARVPROD")->asString().trimmed(), item("NMPRODUTO")->asString().trimmed(),
                                            item("SGUNIDADE")->asString().trimmed(), item("NMMARCA")->asString().trimmed(),
                                            brazil.toString(item("QTACMPITMCOL")->asFloat(), 'f', 2),
                                            brazil.toString(item("VRPRECUNIITM")->asFloat(), 'f', 5)});
        ++items;
    }
    qryItens->Close();
    document.closing << msg.Msg(QStringLiteral("Rel07000_Itens")).arg(items);
    return document;
}
