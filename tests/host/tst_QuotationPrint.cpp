// The print module SUP07000 against the real server and demo database: opened by the host
// with a quotation's number, it reports that quotation of the logged branch's central
// branch (read back from its PDF with pdftotext when installed), and a number that does
// not exist as such.
#include "MainWindow.h"
#include "ModuleLoader.h"
#include "QuotationPrint.h"

#include "ServerFixture.h"

#include "Consiste.h"
#include "Corvane.h"
#include "ReportDocument.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

QString pdfText(const QString &file)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class tst_QuotationPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void printsTheQuotationOfTheCentralBranch();
    void unknownQuotationIsSaidSo();

private:
    ServerFixture m_server;
    QTemporaryDir m_emptyDir;
};

void tst_QuotationPrint::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
}

void tst_QuotationPrint::cleanupTestCase()
{
    m_server.stop();
}

void tst_QuotationPrint::printsTheQuotationOfTheCentralBranch()
{
    const QString number = m_server
                               .scalar(QStringLiteral("SELECT C.NRCOLEPRECO FROM COLETAPR C WHERE C.CDFILIAL = '0001' AND "
                                                      "EXISTS (SELECT 1 FROM ITCOLETAPR I WHERE I.CDFILIAL = C.CDFILIAL AND "
                                                      "I.NRCOLEPRECO = C.NRCOLEPRECO) ORDER BY C.NRCOLEPRECO LIMIT 1"))
                               .toString();
    QVERIFY(!number.isEmpty());
    const int items = m_server
                          .scalar(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                                  {{QStringLiteral("N"), number}})
                          .toInt();
    const QString product = m_server
                                .scalar(QStringLiteral("SELECT P.NMPRODUTO FROM ITCOLETAPR I JOIN PRODUTO P ON P.CDPRODUTO = "
                                                       "I.CDPRODUTO WHERE I.CDFILIAL = '0001' AND I.NRCOLEPRECO = :N"),
                                        {{QStringLiteral("N"), number}})
                                .toString();

    ModuleLoader loader(m_emptyDir.path());
    MainWindow window(&loader);
    window.show();
    // The workspace's print command passes the number as typed in the list.
    Corvane::LoadBPL(QStringLiteral("SUP07000"), {number.right(4)});
    QMdiSubWindow *active = window.mdiArea()->activeSubWindow();
    QVERIFY(active);
    auto *print = qobject_cast<QuotationPrint *>(active->widget());
    QVERIFY(print);
    QCOMPARE(print->objectName(), QStringLiteral("frmSUP07000"));
    QCOMPARE(print->number(), number);
    QVERIFY(print->lblCotacao->text().contains(number));

    const ReportDocument document = print->prepareReport();
    QCOMPARE(print->paramValue(QStringLiteral("P_CDFILIAL")).toString(), QStringLiteral("0001"));
    int details = 0;
    int groups = 0;
    for (const ReportRow &row : document.rows)
        (row.kind == ReportRow::Kind::Detail ? details : groups) += 1;
    QCOMPARE(details, items);
    QVERIFY(groups >= 1);
    QCOMPARE(document.closing, QStringList{QStringLiteral("Itens: %1").arg(items)});

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cotacao.pdf"));
    QVERIFY(print->exportPdf(file));
    const QString text = pdfText(file);
    QVERIFY(text.contains(QStringLiteral("Impressão da Cotação")));
    QVERIFY(text.contains(number));
    QVERIFY(text.contains(QStringLiteral("Matriz São Paulo")));
    QVERIFY2(text.contains(product.left(20)), qPrintable(product));
    QVERIFY(text.contains(QStringLiteral("Página 1 de %1").arg(print->pageCount())));

    // "Fechar" closes the module window.
    print->sbtFechar->click();
    QTRY_VERIFY(window.mdiArea()->subWindowList().isEmpty());
}

void tst_QuotationPrint::unknownQuotationIsSaidSo()
{
    QuotationPrint print(QStringLiteral("9999999999"));
    const ReportDocument document = print.prepareReport();
    QVERIFY(document.rows.isEmpty());
    QCOMPARE(document.emptyText, QStringLiteral("Cotação 9999999999 não encontrada."));
}

QTEST_MAIN(tst_QuotationPrint)
#include "tst_QuotationPrint.moc"
