#include "ClientDataSet.h"
#include "DBLabel.h"
#include "DBMemo.h"
#include "DBNavigator.h"
#include "DataSource.h"
#include "PageControl.h"
#include "ToolButtonAction.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTabBar>
#include <QToolButton>
#include <QtTest>

namespace {

void fill(ClientDataSet &ds)
{
    DataPacket packet;
    packet.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
    packet.addField(QStringLiteral("DSOBSCOTPREC"), FieldType::String, 2000);
    packet.appendRow({QStringLiteral("0000000001"), QStringLiteral("primeira")});
    packet.appendRow({QStringLiteral("0000000002"), QStringLiteral("segunda")});
    packet.appendRow({QStringLiteral("0000000003"), QString()});
    ds.setData(packet);
}

} // namespace

class tst_DataWidgets : public QObject
{
    Q_OBJECT

private slots:
    void hiddenTabKeepsThePage();
    void changingCanBeRefused();
    void disabledPageCannotBeChosen();
    void memoWritesTheFieldAndFollowsTheRecord();
    void memoLimitsLength();
    void labelShowsTheCurrentRecord();
    void navigatorFollowsStateAndPosition();
    void buttonAndMenuItemShareOneCommand();
};

void tst_DataWidgets::hiddenTabKeepsThePage()
{
    PageControl pgc;
    auto *tshIncCotacao = new QWidget;
    auto *tshCotacao = new QWidget;
    pgc.addPage(tshIncCotacao, QStringLiteral("Inclusão de Cotação"));
    pgc.addPage(tshCotacao, QStringLiteral("Cotação"));
    pgc.show();
    pgc.setTabVisible(tshIncCotacao, false);
    QVERIFY(!pgc.isTabVisible(tshIncCotacao));
    QCOMPARE(pgc.pageCount(), 2);
    QCOMPARE(pgc.page(0), tshIncCotacao);
    QCOMPARE(pgc.activePage(), tshIncCotacao); // hiding the tab does not move the page

    pgc.setActivePage(tshCotacao);
    QCOMPARE(pgc.activePage(), tshCotacao);
    // The page of a hidden tab is still reached by the program.
    pgc.setActivePage(tshIncCotacao);
    QCOMPARE(pgc.activePage(), tshIncCotacao);
    QVERIFY(tshIncCotacao->isVisible());
    QVERIFY(!tshCotacao->isVisible());

    // With every tab hidden the tab row goes away and the page stays.
    pgc.setTabVisible(tshCotacao, false);
    QVERIFY(!pgc.tabBar()->isVisible());
    QVERIFY(tshIncCotacao->isVisible());
    pgc.setTabVisible(tshIncCotacao, true);
    QVERIFY(pgc.tabBar()->isVisible());
}

void tst_DataWidgets::changingCanBeRefused()
{
    PageControl pgc;
    auto *first = new QWidget;
    auto *second = new QWidget;
    pgc.addPage(first, QStringLiteral("Um"));
    pgc.addPage(second, QStringLiteral("Dois"));
    pgc.show();
    bool allow = false;
    int changes = 0;
    pgc.onChanging = [&](bool &allowChange) { allowChange = allow; };
    pgc.onChange = [&] { ++changes; };

    QTest::mouseClick(pgc.tabBar(), Qt::LeftButton, {}, pgc.tabBar()->tabRect(1).center());
    QCOMPARE(pgc.activePage(), first);
    QCOMPARE(pgc.tabBar()->currentIndex(), 0);
    QCOMPARE(changes, 0);

    allow = true;
    QTest::mouseClick(pgc.tabBar(), Qt::LeftButton, {}, pgc.tabBar()->tabRect(1).center());
    QCOMPARE(pgc.activePage(), second);
    QCOMPARE(changes, 1);

    // The program's own page changes run neither handler.
    allow = false;
    QSignalSpy spy(&pgc, &PageControl::currentChanged);
    pgc.setActivePage(first);
    QCOMPARE(pgc.activePage(), first);
    QCOMPARE(changes, 1);
    QCOMPARE(spy.count(), 1);
}

void tst_DataWidgets::disabledPageCannotBeChosen()
{
    PageControl pgc;
    auto *first = new QWidget;
    auto *second = new QWidget;
    pgc.addPage(first, QStringLiteral("Um"));
    pgc.addPage(second, QStringLiteral("Dois"));
    pgc.show();
    pgc.setPageEnabled(second, false);
    QVERIFY(!second->isEnabled());
    QTest::mouseClick(pgc.tabBar(), Qt::LeftButton, {}, pgc.tabBar()->tabRect(1).center());
    QCOMPARE(pgc.activePage(), first);
    pgc.setPageEnabled(second, true);
    QTest::mouseClick(pgc.tabBar(), Qt::LeftButton, {}, pgc.tabBar()->tabRect(1).center());
    QCOMPARE(pgc.activePage(), second);
}

void tst_DataWidgets::memoWritesTheFieldAndFollowsTheRecord()
{
    ClientDataSet ds;
    fill(ds);
    DataSource source;
    source.setDataSet(&ds);
    DBMemo memo;
    memo.setDataSource(&source);
    memo.setDataField(QStringLiteral("DSOBSCOTPREC"));
    QCOMPARE(memo.toPlainText(), QStringLiteral("primeira"));
    memo.show();
    memo.setFocus();
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, QStringLiteral(" obs"));
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.fieldByName(QStringLiteral("DSOBSCOTPREC"))->asString(), QStringLiteral("primeira obs"));
    ds.post();
    ds.next();
    QCOMPARE(memo.toPlainText(), QStringLiteral("segunda"));

    // A read-only dataset refuses typing.
    ds.setReadOnly(true);
    ds.next();
    QVERIFY(memo.QPlainTextEdit::isReadOnly());
}

void tst_DataWidgets::memoLimitsLength()
{
    ClientDataSet ds;
    fill(ds);
    DataSource source;
    source.setDataSet(&ds);
    DBMemo memo;
    memo.setDataSource(&source);
    memo.setDataField(QStringLiteral("DSOBSCOTPREC"));
    memo.setMaxLength(10);
    memo.show();
    memo.setFocus();
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, QStringLiteral("abcdef"));
    QCOMPARE(memo.toPlainText(), QStringLiteral("primeiraab"));
}

void tst_DataWidgets::labelShowsTheCurrentRecord()
{
    ClientDataSet ds;
    fill(ds);
    DataSource source;
    source.setDataSet(&ds);
    DBLabel label;
    label.setDataSource(&source);
    label.setDataField(QStringLiteral("NRCOLEPRECO"));
    QCOMPARE(label.text(), QStringLiteral("0000000001"));
    ds.last();
    QCOMPARE(label.text(), QStringLiteral("0000000003"));
    ds.close();
    QCOMPARE(label.text(), QString());
}

void tst_DataWidgets::navigatorFollowsStateAndPosition()
{
    ClientDataSet ds;
    fill(ds);
    DataSource source;
    source.setDataSet(&ds);
    DBNavigator nav;
    nav.setDataSource(&source);
    auto enabled = [&nav](DBNavigator::Button b) { return nav.button(b)->isEnabled(); };
    QVERIFY(!enabled(DBNavigator::First));
    QVERIFY(!enabled(DBNavigator::Prior));
    QVERIFY(enabled(DBNavigator::Next));
    QVERIFY(enabled(DBNavigator::Edit));
    QVERIFY(!enabled(DBNavigator::Post));

    nav.click(DBNavigator::Last);
    QCOMPARE(ds.currentRow(), 2);
    QVERIFY(!enabled(DBNavigator::Next));
    QVERIFY(enabled(DBNavigator::Prior));

    nav.click(DBNavigator::Edit);
    QCOMPARE(ds.state(), DataSetState::Edit);
    QVERIFY(enabled(DBNavigator::Post));
    QVERIFY(enabled(DBNavigator::Cancel));
    QVERIFY(!enabled(DBNavigator::Edit));
    nav.click(DBNavigator::Cancel);
    QCOMPARE(ds.state(), DataSetState::Browse);

    // A refusing before-action keeps the record.
    nav.beforeAction = [](DBNavigator::Button b) {
        if (b == DBNavigator::Delete)
            throw std::runtime_error("refused");
    };
    nav.click(DBNavigator::Delete);
    QCOMPARE(ds.recordCount(), 3);

    nav.setVisibleButtons(DBNavigator::First | DBNavigator::Next);
    QVERIFY(nav.button(DBNavigator::Insert)->isHidden());
    ds.close();
    QVERIFY(!enabled(DBNavigator::First));
    QVERIFY(!enabled(DBNavigator::Next));
}

void tst_DataWidgets::buttonAndMenuItemShareOneCommand()
{
    QWidget toolbar;
    QMenu menu;
    ToolButtonAction command(QStringLiteral("sbtExcluir"), QStringLiteral("mnuExcluir"),
                             QStringLiteral("&Excluir"), &toolbar, &menu);
    QSignalSpy clicked(&command, &ToolButtonAction::clicked);
    QCOMPARE(command.button()->objectName(), QStringLiteral("sbtExcluir"));
    QCOMPARE(command.action()->objectName(), QStringLiteral("mnuExcluir"));
    QVERIFY(menu.actions().contains(command.action()));

    command.action()->setEnabled(false);
    QVERIFY(!command.button()->isEnabled());
    command.click();
    QCOMPARE(clicked.count(), 0);
    command.action()->setEnabled(true);
    QVERIFY(command.button()->isEnabled());

    command.action()->trigger(); // the menu item
    QCOMPARE(clicked.count(), 1);
    toolbar.show();
    QTest::mouseClick(command.button(), Qt::LeftButton);
    QCOMPARE(clicked.count(), 2);
}

QTEST_MAIN(tst_DataWidgets)
#include "tst_datawidgets.moc"
