#include "MaintenanceWorkspace.h"

#include "Cli_sup05200.h"
#include "ClientDataSet.h"
#include "PageControl.h"
#include "ServerFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

MaintenanceWorkspace::MaintenanceWorkspace(ServerFixture &server) : m_server(server), m_data(server) {}

MaintenanceWorkspace::~MaintenanceWorkspace()
{
    close();
}

MaintenanceWorkspace::Item MaintenanceWorkspace::item(int region, int supplier, int product, int brand, double price)
{
    Item i;
    i.region = region;
    i.supplier = supplier;
    i.product = product;
    i.brand = brand;
    i.price = price;
    return i;
}

TfrmGridCotaPrec *MaintenanceWorkspace::open(const QList<Item> &items)
{
    QString error;
    if (!m_data.createQuotation(items, &m_number, &error)) {
        qWarning("quotation not created: %s", qPrintable(error));
        return nullptr;
    }
    return showOn(m_number);
}

TfrmGridCotaPrec *MaintenanceWorkspace::openDemo()
{
    m_number = m_server
                   .scalar(QStringLiteral("SELECT C.NRCOLEPRECO FROM COLETAPR C WHERE C.CDFILIAL = '0001' AND "
                                          "C.CDOPERADOR = :B AND C.IDSITUCOLETA = 'A' AND EXISTS (SELECT 1 FROM "
                                          "ITCOLETAPR I WHERE I.CDFILIAL = C.CDFILIAL AND I.NRCOLEPRECO = C.NRCOLEPRECO) "
                                          "AND C.NRCOLEPRECO < '8000000000' ORDER BY C.NRCOLEPRECO DESC"),
                           {{QStringLiteral("B"), QString::fromLatin1(ServerFixture::kBuyer).leftJustified(12)}})
                   .toString();
    return m_number.isEmpty() ? nullptr : showOn(m_number);
}

TfrmGridCotaPrec *MaintenanceWorkspace::showOn(const QString &number)
{
    QString error;
    if (!m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error)) {
        qWarning("login failed: %s", qPrintable(error));
        return nullptr;
    }
    m_form = std::make_unique<TfrmGridCotaPrec>();
    frmGridCotaPrec = m_form.get();
    boStCriado = true;
    m_form->FormCreate();
    m_form->resize(1100, 700);
    m_form->show();
    m_form->FormActivate();
    m_form->AtualizaCotacao(QString(), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"),
                            QStringLiteral("T"), QDate(), QDate());
    if (!m_form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number))
        return nullptr;
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        return nullptr;
    m_form->pgcPadrao->setActivePage(m_form->tshProdCotGrid);
    m_form->pgcPadraoChange();
    return m_form->cdsGridRegiao->active() ? m_form.get() : nullptr;
}

void MaintenanceWorkspace::close()
{
    if (m_form) {
        m_form->FormClose();
        m_form.reset();
    }
    m_server.ui().clear();
    m_data.removeQuotations();
    m_server.logout();
}

bool MaintenanceWorkspace::moveTo(int region, int supplier)
{
    return m_form->cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), m_data.region(region))
           && m_form->cdsGridFornecedor->locate(QStringLiteral("CDFORNECED"), m_data.supplier(supplier));
}

qlonglong MaintenanceWorkspace::items(const QString &condition, const QVariantMap &params)
{
    QVariantMap all = params;
    all.insert(QStringLiteral("NUM"), m_number);
    return m_server
        .scalar(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :NUM")
                    + (condition.isEmpty() ? QString() : QStringLiteral(" AND ") + condition),
                all)
        .toLongLong();
}

double MaintenanceWorkspace::price(int region, int supplier, int product, int brand)
{
    const QVariant value = m_server.scalar(
        QStringLiteral("SELECT VRPRECUNIITM FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N AND "
                       "CDREGIAO = :R AND CDFORNECED = :F AND CDPRODUTO = :P AND CDMARCA = :B"),
        {{QStringLiteral("N"), m_number}, {QStringLiteral("R"), m_data.region(region)},
         {QStringLiteral("F"), m_data.supplier(supplier)}, {QStringLiteral("P"), m_data.product(product)},
         {QStringLiteral("B"), m_data.brand(brand)}});
    return value.isValid() && !value.isNull() ? value.toDouble() : -1;
}

int MaintenanceWorkspace::serverCalls(const QString &method) const
{
    QFile log(QDir(m_server.folder()).filePath(QStringLiteral("server.log")));
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray needle = "method=" + method.toLatin1() + ' ';
    int calls = 0;
    for (const QByteArray &line : log.readAll().split('\n'))
        calls += line.contains(needle) ? 1 : 0;
    return calls;
}

QString MaintenanceWorkspace::serverLogTail(int lines) const
{
    QFile log(QDir(m_server.folder()).filePath(QStringLiteral("server.log")));
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    const QStringList all = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    return all.mid(qMax(0, int(all.size()) - lines)).join(u'\n');
}

void MaintenanceWorkspace::screenshot(QWidget *widget, const QString &fileName)
{
    const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget->grab().save(QDir(folder).filePath(fileName));
}
