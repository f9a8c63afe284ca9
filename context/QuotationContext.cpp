#include "QuotationContext.h"

#include "ClientDataSet.h"
#include "Corvane.h"
#include "Field.h"
#include "NetConnection.h"
#include "ProtocolContract.h"
#include "TADOIBQuery.h"

namespace {

NetConnection *connection(QObject *parent, const char *name, const QString &serverName)
{
    auto *net = new NetConnection(parent);
    net->setObjectName(QLatin1String(name));
    net->setServerName(serverName);
    net->setThrowException(false);
    net->beforeConnect = [](NetConnection &n) {
        n.setHost(Corvane::WebURL());
        n.setPort(Corvane::WebPort());
    };
    return net;
}

// A dataset whose fields are the layout of the packets the server loads into it.
ClientDataSet *dataSet(QObject *parent, const char *name, const QString &layout)
{
    auto *ds = new ClientDataSet(parent);
    ds->setObjectName(QLatin1String(name));
    for (const FieldDef &def : Protocol::packetLayout(layout))
        ds->addFieldDef(def.name, def.type, def.size, def.required);
    return ds;
}

} // namespace

QuotationContext::QuotationContext(QObject *parent)
    : QObject(parent)
    , m_netGridCotaPrec(connection(this, "netGridCotaPrec", Protocol::kGridCotaPrec))
    , m_netSuprimentos(connection(this, "netSuprimentos", Protocol::kSuprimentos))
    , m_gridCotaPrec(*m_netGridCotaPrec)
    , m_suprimentos(*m_netSuprimentos)
    , m_confirmations(*m_netGridCotaPrec)
{
    setObjectName(QStringLiteral("QuotationContext"));
    m_cdsColetapr = dataSet(this, "cdsColetapr", QStringLiteral("Coletapr"));
    m_cdsFornCotados = dataSet(this, "cdsFornCotados", QStringLiteral("FornCotados"));
    m_cdsParaSupri = dataSet(this, "cdsParaSupri", QStringLiteral("ParaSupri"));
    m_qryCentCmp = new TADOIBQuery(QStringLiteral("qryCentCmp"), this);
    m_qryCentCmp->setObjectName(QStringLiteral("qryCentCmp"));
    m_qryCentCmp->setFieldType(QStringLiteral("CDFILIAL"), FieldType::String, 4);
    m_qryCentCmp->setFieldType(QStringLiteral("NMFILIAL_CENTRAL"), FieldType::String, 30);
}

QuotationContext::~QuotationContext() = default;

void QuotationContext::open()
{
    m_netGridCotaPrec->open();
    m_netSuprimentos->open();
}

void QuotationContext::close()
{
    m_netGridCotaPrec->close();
    m_netSuprimentos->close();
}

QString QuotationContext::parameter(const QString &name) const
{
    if (!m_cdsParaSupri->active() || m_cdsParaSupri->isEmpty())
        return QString();
    const Field *f = m_cdsParaSupri->findField(name);
    return f ? f->asString().trimmed().toUpper() : QString();
}

void QuotationContext::loadParameters()
{
    m_cdsParaSupri->setData(m_suprimentos.getParaSupri(centralBranch()));
    m_cdsParaSupri->setLogChanges(false);
}

QString QuotationContext::centralBranch()
{
    if (!m_qryCentCmp->Active()) {
        m_qryCentCmp->ParamByName(QStringLiteral("P_CDFILIAL")).setAsString(Corvane::FiliProc());
        m_qryCentCmp->Open();
    }
    if (m_qryCentCmp->IsEmpty())
        return Corvane::FiliProc();
    return m_qryCentCmp->FieldByName(QStringLiteral("CDFILIAL"))->asString();
}

QString QuotationContext::centralBranchName()
{
    centralBranch();
    if (m_qryCentCmp->IsEmpty())
        return QString();
    return m_qryCentCmp->FieldByName(QStringLiteral("NMFILIAL_CENTRAL"))->asString();
}

bool QuotationContext::hasQuotation() const
{
    return m_cdsColetapr->active() && !m_cdsColetapr->isEmpty();
}

QString QuotationContext::currentBranch() const
{
    return hasQuotation() ? m_cdsColetapr->fieldByName(QStringLiteral("CDFILIAL"))->asString() : QString();
}

QString QuotationContext::currentNumber() const
{
    return hasQuotation() ? m_cdsColetapr->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString() : QString();
}

QDate QuotationContext::currentCollectionDate() const
{
    return hasQuotation() ? m_cdsColetapr->fieldByName(QStringLiteral("DTCOLEPREC"))->asDateTime().date() : QDate();
}

void QuotationContext::loadQuotations(const ColetaPrFilter &filter)
{
    const GetColetaPrReply reply = m_gridCotaPrec.getColetaPr(filter);
    m_filter = reply.filter;
    m_cdsColetapr->setData(reply.packet);
    notifyChanged();
}

void QuotationContext::notifyChanged()
{
    emit changed();
}
