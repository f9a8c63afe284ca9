#include "MainWindow.h"
#include "ModuleLoader.h"
#include "StandInModule.h"

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
    void standInModulesListTheirParameters();
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

void tst_MainWindow::standInModulesListTheirParameters()
{
    ModuleLoader loader(m_emptyDir.path());
    MainWindow window(&loader);
    window.show();

    Corvane::LoadBPL(QStringLiteral("SUP01803"), {QStringLiteral("0000000012")});
    QMdiSubWindow *active = window.mdiArea()->activeSubWindow();
    QVERIFY(active);
    QCOMPARE(active->widget()->objectName(), QStringLiteral("frmSUP01803"));
    QVERIFY(active->widget()->windowTitle().contains(QStringLiteral("Informações da Planilha")));
    auto *list = active->widget()->findChild<QListWidget *>(QStringLiteral("lstParametros"));
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("1: \"0000000012\""));

    DataPacket packet;
    packet.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
    packet.appendRow({QStringLiteral("1")});
    packet.appendRow({QStringLiteral("2")});
    Corvane::LoadBPL(QStringLiteral("sup01802"),
                     {packetVariant(packet), QDate(2026, 12, 7), 2.5, QVariant(), QVariantList{1, QStringLiteral("a")}});
    QCOMPARE(window.mdiArea()->subWindowList().size(), 2);
    list = window.mdiArea()->activeSubWindow()->widget()->findChild<QListWidget *>(QStringLiteral("lstParametros"));
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    QCOMPARE(lines, (QStringList{QStringLiteral("1: pacote de dados (2 linhas)"), QStringLiteral("2: 2026-12-07"),
                                 QStringLiteral("3: 2.5"), QStringLiteral("4: null"),
                                 QStringLiteral("5: [1, \"a\"]")}));
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
    Corvane::LoadBPL(QStringLiteral("SUP01803"), {});
    QPointer<QMdiSubWindow> sub = window.mdiArea()->activeSubWindow();
    QVERIFY(sub);
    QVERIFY(window.close());
    QTRY_VERIFY(sub.isNull());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
