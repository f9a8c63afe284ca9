// The report of the quotations a copy did not copy: its parameters, its query and the
// report's content; the pages are the report component's.
#include "Cli_sup05221.h"

#include "Consiste.h"
#include "Corvane.h"
#include "Field.h"
#include "Pesquisa.h"
#include "QuotationContext.h"
#include "TADOIBQuery.h"
#include "TMessages.h"

#include <QFormLayout>
#include <QHash>
#include <QLabel>
#include <QLocale>
#include <QWidget>

namespace {

QString dateText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString weekText(const QString &week)
{
    return week.trimmed().isEmpty() ? QString() : Consiste::Ajusta(week, 2);
}

} // namespace

QList<NotCopiedQuotation> notCopiedQuotations(const QString &list)
{
    QList<NotCopiedQuotation> out;
    for (const QString &line : list.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar < 0)
            out.append({line.trimmed(), QString()});
        else
            out.append({line.left(bar).trimmed(), line.mid(bar + 1).trimmed()});
    }
    return out;
}

TfrmRelGridDupCotacao::TfrmRelGridDupCotacao(QuotationContext &context, const QString &notCopied,
                                             const DuplicationParameters &parameters, QWidget *parent)
    : TfrmDadosGerRel(parent)
    , m_context(context)
    , m_notCopied(notCopied)
    , m_parameters(parameters)
{
    setObjectName(QStringLiteral("frmRelGridDupCotacao"));
    msgPadrao->load(QStringLiteral("Cli_sup05221"));
    setWindowTitle(msg(QStringLiteral("Titulo")));
    setReportCode(msg(QStringLiteral("Codigo")));
    setProperty("reportCode", reportCode());

    qryRelDupCotacao = new TADOIBQuery(QStringLiteral("Cli_sup05221.qryRelDupCotacao"), this);
    qryRelDupCotacao->setObjectName(QStringLiteral("qryRelDupCotacao"));
    declareParam(QStringLiteral("P_CDFILIAL"));
    declareParam(QStringLiteral("P_LISTACOTACAO"));

    // What the report is asked with, as it will print it.
    auto *content = new QWidget(panParametros);
    content->setObjectName(QStringLiteral("panRelDupCotacao"));
    layParametros = new QFormLayout(content);
    layParametros->setObjectName(QStringLiteral("layParametros"));
    for (const auto &line : parameterLines()) {
        auto *value = new QLabel(line.second, content);
        value->setWordWrap(true);
        layParametros->addRow(line.first + QLatin1Char(':'), value);
    }
    lblNaoDuplicadas = new QLabel(content);
    lblNaoDuplicadas->setObjectName(QStringLiteral("lblNaoDuplicadas"));
    lblNaoDuplicadas->setText(msg(QStringLiteral("Lbl_NaoDuplicadas")).arg(notCopiedQuotations(m_notCopied).size()));
    layParametros->addRow(lblNaoDuplicadas);
    panParametrosLayout->addWidget(content);
    setMinimumWidth(520);
}

TfrmRelGridDupCotacao::~TfrmRelGridDupCotacao() = default;

QString TfrmRelGridDupCotacao::msg(const QString &key) const
{
    return msgPadrao->Msg(key);
}

QString TfrmRelGridDupCotacao::listText(bool listChosen, const QString &list, const QString &allKey) const
{
    if (!listChosen || Consiste::EmptyString(list))
        return msg(allKey);
    QStringList keys;
    for (const QString &key : Pesqlista::keysOfList(list))
        keys << key.trimmed();
    return keys.join(QStringLiteral(", "));
}

QList<QPair<QString, QString>> TfrmRelGridDupCotacao::parameterLines() const
{
    const DuplicationParameters &p = m_parameters;
    QuotationContext &context = m_context;
    QList<QPair<QString, QString>> lines;
    lines.append({msg(QStringLiteral("Par_Origem")),
                  p.byPeriod ? msg(QStringLiteral("Par_CotValidade")).arg(dateText(p.periodFirst), dateText(p.periodLast))
                             : msg(QStringLiteral("Par_CotCorrente")).arg(p.number)});
    if (p.byPeriod)
        lines.append({msg(QStringLiteral("Par_Compradores")), listText(p.buyerList, p.buyers, QStringLiteral("Todos"))});
    lines.append({msg(QStringLiteral("Par_NovaValidade")),
                  msg(QStringLiteral("Par_Semanas"))
                      .arg(dateText(p.firstDate), dateText(p.lastDate), weekText(p.firstWeek), weekText(p.lastWeek))});
    lines.append({msg(QStringLiteral("Par_Coleta")), dateText(p.collectionDate)});
    lines.append({msg(QStringLiteral("Par_Reajuste")),
                  QLocale(QLocale::Portuguese, QLocale::Brazil).toString(p.readjustment, 'f', 2) + QLatin1Char('%')});
    lines.append({msg(QStringLiteral("Par_Regioes")), listText(p.regionList, p.regions, QStringLiteral("Todas"))});
    if (p.olSuppliersUsed)
        lines.append({msg(QStringLiteral("Par_FornOL")), listText(true, p.olSuppliers, QStringLiteral("Todos"))});
    Q_UNUSED(context);
    return lines;
}

// The quotations' branch and the list of those not copied, before the report reads them.
void TfrmRelGridDupCotacao::BeforeParams()
{
    if (hasParam(QStringLiteral("P_CDFILIAL")))
        setParamValue(QStringLiteral("P_CDFILIAL"),
                      m_context.hasQuotation() ? m_context.currentBranch() : m_context.centralBranch());
    if (hasParam(QStringLiteral("P_LISTACOTACAO")))
        setParamValue(QStringLiteral("P_LISTACOTACAO"), m_notCopied);
}

ReportDocument TfrmRelGridDupCotacao::reportDocument()
{
    ReportDocument document = TfrmDadosGerRel::reportDocument();
    const QString central = m_context.centralBranch();
    document.subject = msg(QStringLiteral("Par_Filial")) + QStringLiteral(": ") + central.trimmed()
                       + QStringLiteral(" - ") + m_context.centralBranchName().trimmed();
    document.parameters = parameterLines();
    document.columns = {{msg(QStringLiteral("Col_Cotacao")), 12},
                        {msg(QStringLiteral("Col_Data")), 10},
                        {msg(QStringLiteral("Col_Comprador")), 22},
                        {msg(QStringLiteral("Col_Validade")), 22},
                        {msg(QStringLiteral("Col_Motivo")), 40}};

    // The quotations named in the list, by number.
    qryRelDupCotacao->Close();
    qryRelDupCotacao->ParamByName(QStringLiteral("P_CDFILIAL")).setValue(paramValue(QStringLiteral("P_CDFILIAL")));
    qryRelDupCotacao->ParamByName(QStringLiteral("P_LISTACOTACAO")).setValue(paramValue(QStringLiteral("P_LISTACOTACAO")));
    qryRelDupCotacao->Open();
    QHash<QString, QStringList> details;
    for (qryRelDupCotacao->First(); !qryRelDupCotacao->Eof(); qryRelDupCotacao->Next()) {
        auto text = [this](const char *field) { return qryRelDupCotacao->FieldByName(QLatin1String(field))->asString().trimmed(); };
        auto date = [this](const char *field) { return dateText(qryRelDupCotacao->FieldByName(QLatin1String(field))->asDate()); };
        details.insert(text("NRCOLEPRECO"),
                       {date("DTCOLEPREC"), text("CDOPERADOR") + QStringLiteral(" - ") + text("NMOPERADOR"),
                        msg(QStringLiteral("Validade"))
                            .arg(date("DTINIVALCOL"), date("DTFINVALCOL"), text("NRSEMAINIC"), text("NRSEMAFINAL"))});
    }
    qryRelDupCotacao->Close();

    // One line per quotation of the list, in its order, also one the query no longer
    // finds.
    const QList<NotCopiedQuotation> notCopied = notCopiedQuotations(paramValue(QStringLiteral("P_LISTACOTACAO")).toString());
    for (const NotCopiedQuotation &q : notCopied) {
        const QStringList d = details.value(q.number, {QString(), QString(), QString()});
        document.rows << ReportRow::detail({q.number, d.value(0), d.value(1), d.value(2), q.reason});
    }
    document.emptyText = msg(QStringLiteral("Vazio"));
    if (!notCopied.isEmpty())
        document.closing << msg(QStringLiteral("Total")).arg(notCopied.size());
    return document;
}

void CriaRelDupCotacao(QuotationContext &context, const QString &notCopied, const DuplicationParameters &parameters,
                       QWidget *owner)
{
    QWidget *parent = owner ? owner : Corvane::mainWindow();
    TfrmRelGridDupCotacao report(context, notCopied, parameters, parent);
    report.exec();
}
