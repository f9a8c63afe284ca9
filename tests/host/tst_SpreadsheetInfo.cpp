// The spreadsheet information module SUP01803 opened by the host with the workspace's
// array, against the real server: the item's rows in the quotation and its price history
// in two grids, saved as CSV (semicolon, decimal comma, quoting, no formulas); and the CSV
// rules on their own.
#include "CsvWriter.h"
#include "MainWindow.h"
#include "ModuleLoader.h"
#include "SpreadsheetInfo.h"

#include "ProductsPageData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Corvane.h"
#include "Field.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QToolButton>
#include <QDir>
#include <QtTest>

using Kind = ScriptedUserInterface::Kind;
using Item = ProductsPageData::Item;

namespace {

Item item(int region, int supplier, int product, int brand, double price, double quantity = 0)
{
    Item i;
    i.region = region;
    i.supplier = supplier;
    i.product = product;
    i.brand = brand;
    i.price = price;
    i.quantity = quantity;
    return i;
}

} // namespace

class tst_SpreadsheetInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void csvFields_data();
    void csvFields();
    void csvNumbersAndDates();
    void itemRowsAndHistorySavedAsCsv();

private:
    ServerFixture m_server;
    ProductsPageData m_data{m_server};
    QTemporaryDir m_dir;
    std::unique_ptr<ModuleLoader> m_loader;
    std::unique_ptr<MainWindow> m_window;
};

void tst_SpreadsheetInfo::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QVERIFY2(m_data.ensureMasterData(&error), qPrintable(error));
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    m_loader = std::make_unique<ModuleLoader>(m_dir.path());
    m_window = std::make_unique<MainWindow>(m_loader.get());
    m_window->show();
}

void tst_SpreadsheetInfo::cleanupTestCase()
{
    m_window.reset();
    m_data.removeQuotations();
    m_server.stop();
}

void tst_SpreadsheetInfo::csvFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "Fornecedor A" << "Fornecedor A";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("semicolon") << "a;b" << "\"a;b\"";
    QTest::newRow("quotes doubled") << "marca \"X\"" << "\"marca \"\"X\"\"\"";
    QTest::newRow("line break") << "linha 1\nlinha 2" << "\"linha 1\nlinha 2\"";
    QTest::newRow("blank at the end") << "abc " << "\"abc \"";
    QTest::newRow("formula") << "=SOMA(A1:A9)" << "'=SOMA(A1:A9)";
    QTest::newRow("formula with a separator") << "+1;2" << "\"'+1;2\"";
    QTest::newRow("at sign") << "@x" << "'@x";
}

void tst_SpreadsheetInfo::csvFields()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(CsvWriter::field(text), field);
}

void tst_SpreadsheetInfo::csvNumbersAndDates()
{
    QCOMPARE(CsvWriter::number(1234.5, 5), QStringLiteral("1234,50000"));
    QCOMPARE(CsvWriter::number(-2.345, 2), QStringLiteral("-2,35"));
    QCOMPARE(CsvWriter::number(-0.001, 2), QStringLiteral("0,00"));
    QCOMPARE(CsvWriter::number(qQNaN(), 2), QString());
    QCOMPARE(CsvWriter::date(QDate(2026, 12, 7)), QStringLiteral("07/12/2026"));
    QCOMPARE(CsvWriter::date(QDate()), QString());
    QCOMPARE(CsvWriter::line({QStringLiteral("a"), QString(), QStringLiteral("\"b;c\"")}),
             QStringLiteral("a;;\"b;c\"\r\n"));
}

void tst_SpreadsheetInfo::itemRowsAndHistorySavedAsCsv()
{
    QString number, earlier, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 4.25)}, &earlier, &error), qPrintable(error));
    QVERIFY(m_server.execute(QStringLiteral("UPDATE COLETAPR SET DTINIVALCOL = :I, DTFINVALCOL = :F WHERE "
                                            "CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                             {{QStringLiteral("I"), QDate::currentDate().addDays(-14).toString(Qt::ISODate)},
                              {QStringLiteral("F"), QDate::currentDate().addDays(-8).toString(Qt::ISODate)},
                              {QStringLiteral("N"), earlier}}));
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5, 12.5), item(1, 1, 0, 0, 4.5, 3), item(0, 0, 1, 0, 9),
                                     item(0, 0, 0, 1, 8)},
                                    &number, &error),
             qPrintable(error));
    QVERIFY(m_server.execute(QStringLiteral("UPDATE ITCOLETAPR SET DSOBSITMCOL = :O WHERE CDFILIAL = '0001' AND "
                                            "NRCOLEPRECO = :N AND CDREGIAO = :R AND CDPRODUTO = :P AND CDMARCA = :M"),
                             {{QStringLiteral("O"), QStringLiteral("entrega; \"urgente\"")}, {QStringLiteral("N"), number},
                              {QStringLiteral("R"), m_data.region(0)}, {QStringLiteral("P"), m_data.product(0)},
                              {QStringLiteral("M"), m_data.brand(0)}}));
    Corvane::LoadBPL(QStringLiteral("sup01803"),
                     {true, QStringLiteral("0001"), number, m_data.supplier(0), m_data.product(0), m_data.tree(0),
                      m_data.brand(0), m_data.region(0), QString()});
    QMdiSubWindow *sub = m_window->mdiArea()->activeSubWindow();
    QVERIFY(sub);
    auto *module = qobject_cast<SpreadsheetInfo *>(sub->widget());
    QVERIFY(module);
    // The product and brand in every region and supplier of the quotation; nothing else.
    QCOMPARE(module->cdsItens->recordCount(), 2);
    QVERIFY(module->cdsItens->locate(QStringLiteral("CDREGIAO;CDFORNECED"),
                                     QVariantList{m_data.region(1), m_data.supplier(1)}));
    QCOMPARE(module->cdsItens->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 4.5);
    // The earlier quotation's price in the history.
    QVERIFY(module->cdsHistorico->recordCount() >= 1);
    QVERIFY(module->cdsHistorico->locate(QStringLiteral("NRCOLEPRECO"), earlier));
    QCOMPARE(module->cdsHistorico->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 4.25);

    if (const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(50);
        QVERIFY(module->grab().save(QDir(folder).filePath(QStringLiteral("spreadsheet-module.png"))));
    }
    // Cancelled: nothing written.
    const QString file = m_dir.filePath(QStringLiteral("planilha.csv"));
    m_server.ui().answerSaveFileName(std::nullopt);
    QVERIFY(!module->sbtSalvarCsvClick());
    QVERIFY(!QFile::exists(file));

    m_server.ui().clear();
    m_server.ui().answerSaveFileName(file);
    module->sbtSalvarCsv->click();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QString text = QString::fromUtf8(bytes.mid(3));
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + module->cdsItens->recordCount() + module->cdsHistorico->recordCount());
    QVERIFY(lines.first().startsWith(QStringLiteral("Tipo;Cotação;Data;")));
    const QStringList mine = lines.filter(QStringLiteral("entrega"));
    QCOMPARE(mine.size(), 1);
    QVERIFY2(mine.first().startsWith(QStringLiteral("Cotação;%1;").arg(number)), qPrintable(mine.first()));
    QVERIFY2(mine.first().contains(QStringLiteral(";5,00000;12,50;")), qPrintable(mine.first()));
    QVERIFY2(mine.first().endsWith(QStringLiteral(";\"entrega; \"\"urgente\"\"\"")), qPrintable(mine.first()));
    const QStringList history = lines.filter(QStringLiteral("Histórico;%1;").arg(earlier));
    QCOMPARE(history.size(), 1);
    QVERIFY2(history.first().contains(QStringLiteral(";4,25000;")), qPrintable(history.first()));
    // Every line has the title line's number of fields once quoted fields are read whole.
    QCOMPARE(m_server.ui().texts(Kind::Message).size(), 1);
    m_window->mdiArea()->closeAllSubWindows();
}

QTEST_MAIN(tst_SpreadsheetInfo)
#include "tst_SpreadsheetInfo.moc"
