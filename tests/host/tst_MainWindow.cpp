#include "MainWindow.h"
#include "ModuleLoader.h"

#include "Corvane.h"
#include "DataPacket.h"

#include <QDate>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void moduleMenu();
    void sessionKnowsTheHostWindows();
    void itemModulesRefuseAWrongArray();
    void unknownModuleRaises();
    void closingClosesModuleWindows();

private:
    QTemporaryDir m_emptyDir;
};

void tst_MainWindow::moduleMenu()
{
    ModuleLoader loader(m_emptyDir.path());
    MainWindow window(&loader);
    auto *modules = window.findChild<QMenu *>(QStringLiteral("mnuModulos"));
    QVERIFY(modules);
    QCOMPARE(modules->title(), QStringLiteral("&Módulos"));
    auto *quotation = window.findChild<QAction *>(QStringLiteral("mnuSUP05200"));
    QVERIFY(quotation);
    QCOMPARE(quotation->text(), QStringLiteral("Cotação de Preços (SUP05200)"));
    QVERIFY(modules->actions().contains(quotation));
}

void tst_MainWindow::sessionKnowsTheHostWindows()
{
    {
        ModuleLoader loader(m_emptyDir.path());
        MainWindow window(&loader);
        QCOMPARE(Corvane::mdiArea(), window.mdiArea());
        QCOMPARE(Corvane::mainWindow(), &window);
    }
    // Gone with the window: a module must not find a dangling area.
    QVERIFY(!Corvane::mdiArea());
    QVERIFY(!Corvane::mainWindow());
    QVERIFY_THROWS_EXCEPTION(std::exception, Corvane::LoadBPL(QStringLiteral("SUP07000"), {}));
}

void tst_MainWindow::itemModulesRefuseAWrongArray()
{
    ModuleLoader loader(m_emptyDir.path());
    MainWindow window(&loader);
    window.show();
    auto refusal = [](const QString &module, const QVariantList &params) {
        try {
            Corvane::LoadBPL(module, params);
        } catch (const ModuleError &error) {
            return error.message();
        }
        return QString();
    };
    const QVariantList simulation = {QStringLiteral("0001"), QStringLiteral("0000000012"), QStringLiteral("F1"),
                                     QStringLiteral("P1"), QStringLiteral("0101001"), QStringLiteral("M1"),
                                     QStringLiteral("001"), QStringLiteral(" ")};
    QString why = refusal(QStringLiteral("SUP01803"), {QStringLiteral("0000000012")});
    QVERIFY2(why.contains(QStringLiteral("SUP01803")) && why.contains(QStringLiteral("9 elementos e vieram 1")),
             qPrintable(why));
    // The simulation's array ends with a single blank, the spreadsheet's starts with true.
    QVariantList emptyEnd = simulation;
    emptyEnd[7] = QString();
    why = refusal(QStringLiteral("sup01802"), emptyEnd);
    QVERIFY2(why.contains(QStringLiteral("elemento 8")), qPrintable(why));
    QVariantList spreadsheet = QVariantList{false} + simulation.mid(0, 7) + QVariantList{QString()};
    why = refusal(QStringLiteral("SUP01803"), spreadsheet);
    QVERIFY2(why.contains(QStringLiteral("elemento 1")), qPrintable(why));
    QVariantList blankBranch = simulation;
    blankBranch[0] = QStringLiteral("    ");
    why = refusal(QStringLiteral("SUP01802"), blankBranch);
    QVERIFY2(why.contains(QStringLiteral("elemento 1")), qPrintable(why));
    QVERIFY(window.mdiArea()->subWindowList().isEmpty());
}

void tst_MainWindow::unknownModuleRaises()
{
    ModuleLoader loader(m_emptyDir.path());
    MainWindow window(&loader);
    try {
        Corvane::LoadBPL(QStringLiteral("SUP09999"), {});
        QFAIL("a missing module must raise");
    } catch (const ModuleError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("SUP09999")), qPrintable(error.message()));
    }
    QVERIFY(window.mdiArea()->subWindowList().isEmpty());
}

void tst_MainWindow::closingClosesModuleWindows()
{
    ModuleLoader loader(m_emptyDir.path());
    MainWindow window(&loader);
    window.show();
    Corvane::LoadBPL(QStringLiteral("SUP07000"), {QStringLiteral("0000000012")});
    QPointer<QMdiSubWindow> sub = window.mdiArea()->activeSubWindow();
    QVERIFY(sub);
    QVERIFY(window.close());
    QTRY_VERIFY(sub.isNull());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
