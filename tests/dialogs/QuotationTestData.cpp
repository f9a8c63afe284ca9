#include "QuotationTestData.h"

#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "QuotationContext.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

namespace {

const QString kBranch = QStringLiteral("0001");

} // namespace

QString QuotationTestData::modelQuotation()
{
    if (m_model.isEmpty())
        m_model = m_server
                      .scalar(QStringLiteral("SELECT C.NRCOLEPRECO FROM COLETAPR C WHERE C.CDFILIAL = '0001' "
                                             "AND C.CDOPERADOR = :B AND EXISTS (SELECT 1 FROM ITCOLETAPR I WHERE "
                                             "I.CDFILIAL = C.CDFILIAL AND I.NRCOLEPRECO = C.NRCOLEPRECO) "
                                             "AND C.NRCOLEPRECO < '0000001000' ORDER BY C.NRCOLEPRECO DESC LIMIT 1"),
                              {{QStringLiteral("B"), Consiste::Ajusta(QStringLiteral("COMP01"), 12)}})
                      .toString();
    return m_model;
}

bool QuotationTestData::addQuotation(const QString &number, const QString &buyer, const QDate &first,
                                     const QDate &last, const QString &situation, QString *error)
{
    const QString model = modelQuotation();
    const QVariantMap key = {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), number}, {QStringLiteral("M"), model}};
    QVariantMap head = key;
    head.insert(QStringLiteral("B"), Consiste::Ajusta(buyer, 12));
    head.insert(QStringLiteral("I"), first.toString(Qt::ISODate));
    head.insert(QStringLiteral("E"), last.toString(Qt::ISODate));
    head.insert(QStringLiteral("D"), first.addDays(-3).toString(Qt::ISODate));
    head.insert(QStringLiteral("WI"), Consiste::Ajusta(QString::number(first.weekNumber()), 2));
    head.insert(QStringLiteral("WF"), Consiste::Ajusta(QString::number(last.weekNumber()), 2));
    head.insert(QStringLiteral("S"), situation);
    return m_server.execute(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, NRSEMAINIC, NRSEMAFINAL, "
                                           "DTINIVALCOL, DTFINVALCOL, CDOPERADOR, IDSITUCOLETA, DSOBSCOTPREC) "
                                           "VALUES (:F, :N, :D, :WI, :WF, :I, :E, :B, :S, 'Cotação de teste')"),
                            head, error)
           && m_server.execute(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) SELECT CDFILIAL, :N, "
                                              "CDREGIAO FROM COLEREGI WHERE CDFILIAL = :F AND NRCOLEPRECO = :M"),
                               key, error)
           && m_server.execute(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) SELECT "
                                              "CDFILIAL, :N, CDREGIAO, CDFORNECED FROM COLEFORN WHERE CDFILIAL = :F AND "
                                              "NRCOLEPRECO = :M"),
                               key, error)
           && m_server.execute(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, "
                                              "CDMARCA, VRPRECUNIITM, VRPRECECOITM, VRPRECOITMPI, QTACMPITMCOL) SELECT "
                                              "CDFILIAL, :N, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, VRPRECUNIITM, "
                                              "VRPRECECOITM, VRPRECOITMPI, QTACMPITMCOL FROM ITCOLETAPR WHERE CDFILIAL = :F "
                                              "AND NRCOLEPRECO = :M"),
                               key, error);
}

void QuotationTestData::removeFrom(const QDate &from)
{
    const QVariantMap when = {{QStringLiteral("D"), from.toString(Qt::ISODate)}};
    const QString of = QStringLiteral(" WHERE CDFILIAL = '0001' AND NRCOLEPRECO IN (SELECT NRCOLEPRECO FROM COLETAPR "
                                      "WHERE CDFILIAL = '0001' AND DTFINVALCOL >= :D)");
    for (const char *table : {"ITCOLETAPR", "COLEFORN", "COLEREGI", "HISTCOLETA", "COLETAPR"})
        m_server.execute(QStringLiteral("DELETE FROM ") + QLatin1String(table) + of, when);
}

QString QuotationTestData::numberStarting(const QDate &first)
{
    return m_server
        .scalar(QStringLiteral("SELECT NRCOLEPRECO FROM COLETAPR WHERE CDFILIAL = '0001' AND DTINIVALCOL = :D "
                               "ORDER BY NRCOLEPRECO"),
                {{QStringLiteral("D"), first.toString(Qt::ISODate)}})
        .toString();
}

qlonglong QuotationTestData::count(const QString &sql, const QVariantMap &params)
{
    return m_server.scalar(sql, params).toLongLong();
}

std::unique_ptr<QuotationContext> QuotationTestData::context(const QDate &first, const QDate &last)
{
    auto context = std::make_unique<QuotationContext>();
    context->open();
    context->loadParameters();
    ColetaPrFilter filter;
    filter.branch = context->centralBranch();
    filter.buyers = QLatin1Char('_') + Consiste::Ajusta(QStringLiteral("COMP01"), 12) + QLatin1Char('_');
    filter.firstDate = first;
    filter.lastDate = last;
    filter.allSuppliers = QStringLiteral("T");
    filter.allRegions = QStringLiteral("T");
    context->loadQuotations(filter);
    if (context->hasQuotation())
        context->quotations()->first();
    return context;
}

std::shared_ptr<bool> whenModal(const QString &objectName, std::function<void(QDialog &)> whileOpen)
{
    auto ran = std::make_shared<bool>(false);
    auto *poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, ran, objectName, whileOpen] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != objectName || !dialog->isVisible())
            return;
        poll->stop();
        *ran = true;
        whileOpen(*dialog);
        if (dialog->isVisible())
            dialog->reject();
        poll->deleteLater();
    });
    poll->start();
    return ran;
}
