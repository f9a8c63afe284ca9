// The consultation sheet over a quotation of its own (a copy of a demo quotation with
// prices set for the drawing rules), against a real server: opening on all regions, the
// drawing rules read back from the grid's delegate, the lowest price of each row, the
// details of the selected cell, when the history is asked for, the history toggle, the
// jump back to the workspace, the find-cell dialog and the export.

#include "Cli_sup05202.h"
#include "Cli_sup05217.h"
#include "ClientDataSet.h"
#include "DecisionCubeModel.h"
#include "DecisionGrid.h"
#include "DBNavigator.h"
#include "DecisionCube_Sup05200.h"
#include "DecisionGridDelegate.h"
#include "Field.h"
#include "MaskEdit.h"
#include "NumberEdit.h"
#include "NumberFormat.h"
#include "PageControl.h"
#include "QuotationContext.h"
#include "QuotationTestData.h"
#include "ServerFixture.h"
#include "SheetKeys.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QToolButton>
#include <QtTest>

namespace {

const QDate kFirst(2031, 6, 2);
const QDate kLast(2031, 6, 8);
const QString kNumber = QStringLiteral("0000077001");
const QColor kInactiveCaption(191, 205, 219);

struct Jump
{
    QStringList args;
    bool answer = true;
};

} // namespace

class tst_ConsultaSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void opensOnAllRegionsWithEveryItem();
    void regionPageChoosesTheRegionOfTheSheet();
    void packageMemoryCapacityReachesTheCube();
    void drawingRulesOfDataCells();
    void productNamePrintedOncePerProduct();
    void lowestPriceOfEachRowIsMarked();
    void selectedCellFillsTheDetails();
    void historyOnlyOnRowChangeWithPanelVisible();
    void historyMenuItemFirstClickTurnsItOn();
    void doubleClickJumpsBackToTheWorkspace();
    void findStepsThroughMatchesAndResets();
    void findRefusesEmptyTextAndReportsByMatchType();
    void exportWritesTheSheetAsShown();

private:
    QString item(const char *column, const QString &where);
    // The grid cell of an item, (-1, -1) when the sheet does not show it.
    QPoint cellOf(const QString &region, const QString &supplier, const QString &product, const QString &brand) const;
    int historyCalls();

    ServerFixture m_server;
    std::unique_ptr<QuotationTestData> m_data;
    std::unique_ptr<QuotationContext> m_context;
    Jump m_jump;
    TfrmGridCotaPrecConsul *m_form = nullptr;
    // Items of the quotation with rules of their own: zero alternative, alternative,
    // negative PI, and a second brand of the first product.
    QStringList m_zeroAlt, m_alt, m_negative, m_removed;
};

void tst_ConsultaSheet::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    m_data = std::make_unique<QuotationTestData>(m_server);
    QVERIFY2(m_data->addQuotation(kNumber, QStringLiteral("COMP01"), kFirst, kLast, QStringLiteral("A"), &error),
             qPrintable(error));
    const QVariantMap q = {{QStringLiteral("N"), kNumber}};
    auto nth = [&](int n) {
        QStringList key;
        for (const char *c : {"CDREGIAO", "CDFORNECED", "CDPRODUTO", "CDMARCA"})
            key << m_server
                       .scalar(QStringLiteral("SELECT %1 FROM ITCOLETAPR WHERE NRCOLEPRECO = :N ORDER BY CDREGIAO, "
                                              "CDFORNECED, CDPRODUTO, CDMARCA LIMIT 1 OFFSET %2")
                                   .arg(QLatin1String(c))
                                   .arg(n),
                               q)
                       .toString();
        return key;
    };
    m_zeroAlt = nth(0);
    m_alt = nth(1);
    m_negative = nth(2);
    m_removed = nth(3);
    QVERIFY(!m_removed.at(0).isEmpty());
    auto set = [&](const QStringList &key, const QString &assignments) {
        QVariantMap p = q;
        for (int i = 0; i < 4; ++i)
            p.insert(QStringLiteral("K%1").arg(i), key.at(i));
        QVERIFY2(m_server.execute(QStringLiteral("UPDATE ITCOLETAPR SET ") + assignments
                                      + QStringLiteral(" WHERE NRCOLEPRECO = :N AND CDREGIAO = :K0 AND CDFORNECED = :K1 "
                                                       "AND CDPRODUTO = :K2 AND CDMARCA = :K3"),
                                  p, &error),
                 qPrintable(error));
    };
    set(m_zeroAlt, QStringLiteral("VRPRECUNIITM = 0, IDPRECALT = 'S'"));
    set(m_alt, QStringLiteral("VRPRECUNIITM = 3.25, IDPRECALT = 'S'"));
    set(m_negative, QStringLiteral("VRPRECUNIITM = 4.5, VRPRECOITMPI = -1.5, VRPERDESITM = 10"));
    // A cell without a quotation.
    QVariantMap p = q;
    for (int i = 0; i < 4; ++i)
        p.insert(QStringLiteral("K%1").arg(i), m_removed.at(i));
    QVERIFY2(m_server.execute(QStringLiteral("DELETE FROM ITCOLETAPR WHERE NRCOLEPRECO = :N AND CDREGIAO = :K0 AND "
                                             "CDFORNECED = :K1 AND CDPRODUTO = :K2 AND CDMARCA = :K3"),
                              p, &error),
             qPrintable(error));
    // A second brand of a product already quoted, so that a product spans two rows.
    p.insert(QStringLiteral("B"),
             m_server.scalar(QStringLiteral("SELECT MIN(CDMARCA) FROM MARCA WHERE CDMARCA <> :K3"), p).toString());
    QVERIFY2(m_server.execute(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, "
                                             "CDPRODUTO, CDMARCA, VRPRECUNIITM) SELECT CDFILIAL, NRCOLEPRECO, CDREGIAO, "
                                             "CDFORNECED, CDPRODUTO, :B, 2 FROM ITCOLETAPR WHERE NRCOLEPRECO = :N AND "
                                             "CDREGIAO = :K0 AND CDFORNECED = :K1 AND CDPRODUTO <> :K2 AND CDMARCA <> :B "
                                             "AND NOT EXISTS (SELECT 1 FROM ITCOLETAPR X WHERE X.CDFILIAL = "
                                             "ITCOLETAPR.CDFILIAL AND X.NRCOLEPRECO = ITCOLETAPR.NRCOLEPRECO AND "
                                             "X.CDREGIAO = ITCOLETAPR.CDREGIAO AND X.CDFORNECED = ITCOLETAPR.CDFORNECED AND "
                                             "X.CDPRODUTO = ITCOLETAPR.CDPRODUTO AND X.CDMARCA = :B)"),
                              p, &error),
             qPrintable(error));
    m_context = QuotationTestData::context(kFirst, kLast);
    QVERIFY(m_context->hasQuotation());
    QCOMPARE(m_context->currentNumber(), kNumber);
}

void tst_ConsultaSheet::init()
{
    m_server.ui().clear();
    m_jump = {};
    ConsultWorkspaceLink link;
    link.currentItem = [this] { return ConsultWorkspaceLink::Item{m_alt.at(2), m_alt.at(3)}; };
    link.openItem = [this](const QString &r, const QString &s, const QString &p, const QString &b) {
        m_jump.args = {r, s, p, b};
        return m_jump.answer;
    };
    CriaGridCotaPrecConsul(*m_context, link, nullptr);
    m_form = frmGridCotaPrecConsul();
    QVERIFY(m_form);
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void tst_ConsultaSheet::cleanup()
{
    if (m_form)
        m_form->close();
    LiberaGridCotaPrecConsul();
    m_form = nullptr;
}

void tst_ConsultaSheet::cleanupTestCase()
{
    m_context.reset();
    m_data->removeFrom(kFirst);
}

QPoint tst_ConsultaSheet::cellOf(const QString &region, const QString &supplier, const QString &product,
                                 const QString &brand) const
{
    const DecisionCube &cube = m_form->decCotacao->cube();
    int row = -1, column = -1;
    for (int r = 0; r < cube.rowCount(); ++r) {
        const SheetKeys::ProductParts parts = SheetKeys::productParts(cube.rowValue(0, r));
        if (parts.productCode == product && parts.brandCode == brand)
            row = r;
    }
    for (int c = 0; c < cube.columnCount(); ++c) {
        if (SheetKeys::codeOf(cube.columnValue(0, c)) == region && SheetKeys::codeOf(cube.columnValue(1, c)) == supplier)
            column = c;
    }
    return {column, row};
}

int tst_ConsultaSheet::historyCalls()
{
    return m_server.ui().texts(ScriptedUserInterface::Kind::ProgressStart)
        .count(QStringLiteral("Carregando histórico de cotação de preços do servidor..."));
}

void tst_ConsultaSheet::opensOnAllRegionsWithEveryItem()
{
    QCOMPARE(m_form->pgcPadrao->activePage(), m_form->tshProdCot);
    ClientDataSet *regions = m_form->cdsServRegiao;
    QCOMPARE(regions->fieldByName(QStringLiteral("CDREGIAO"))->asString(), QStringLiteral("XXX"));
    QCOMPARE(regions->fieldByName(QStringLiteral("CDREGIAO"))->displayText(), QString());
    QCOMPARE(regions->fieldByName(QStringLiteral("NMREGIAO"))->asString(), QStringLiteral("Visualizar Todas Regiões"));
    // "NULL": every item of every region is a cell of the sheet.
    const QVariantMap q = {{QStringLiteral("N"), kNumber}};
    const int items = m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE NRCOLEPRECO = :N"), q).toInt();
    const DecisionCube &cube = m_form->decCotacao->cube();
    int cells = 0;
    for (int r = 0; r < cube.rowCount(); ++r)
        for (int c = 0; c < cube.columnCount(); ++c)
            cells += cube.hasData(r, c) ? 1 : 0;
    QCOMPARE(cells, items);
    QCOMPARE(cube.columnCount(),
             m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT CDREGIAO, CDFORNECED FROM ITCOLETAPR "
                                            "WHERE NRCOLEPRECO = :N) X"), q).toInt());
    // Loaded once per opening.
    QCOMPARE(m_server.ui().texts(ScriptedUserInterface::Kind::ProgressStart)
                 .count(QStringLiteral("Recebendo cotações de preços do servidor...")),
             1);
    // Opened on the workspace's product and brand.
    const QPoint at = cellOf(m_alt.at(0), m_alt.at(1), m_alt.at(2), m_alt.at(3));
    QCOMPARE(m_form->degCotacao->currentRow(), at.y());
    // The caption and the header texts without codes.
    const DecisionGridDelegate *d = m_form->degCotacao->gridDelegate();
    QCOMPARE(d->describeCell(-1, -1, false).text, QStringLiteral("Região/Fornecedor"));
    QVERIFY(!d->describeCell(0, -1, false).text.contains(SheetKeys::kCodeSeparator));
    QVERIFY(!d->describeCell(0, -2, false).text.isEmpty());
}

void tst_ConsultaSheet::regionPageChoosesTheRegionOfTheSheet()
{
    PageControl *pages = m_form->pgcPadrao;
    pages->tabBar()->setCurrentIndex(pages->indexOf(m_form->tshPadrao));
    QCOMPARE(pages->activePage(), m_form->tshPadrao);
    QVERIFY(m_form->dbnPadrao->isEnabled());
    QVERIFY(!m_form->mnuHistorico->isEnabled());
    QVERIFY(m_form->cdsServRegiao->locate(QStringLiteral("CDREGIAO"), m_negative.at(0)));
    pages->tabBar()->setCurrentIndex(pages->indexOf(m_form->tshProdCot));
    QCOMPARE(pages->activePage(), m_form->tshProdCot);
    const DecisionCube &cube = m_form->decCotacao->cube();
    QVERIFY(cube.columnCount() > 0);
    for (int c = 0; c < cube.columnCount(); ++c)
        QCOMPARE(SheetKeys::codeOf(cube.columnValue(0, c)), m_negative.at(0));
}

void tst_ConsultaSheet::packageMemoryCapacityReachesTheCube()
{
    QVERIFY(m_form->decCotacao->cube().isDense());
    const quint64 capacity = DecisionCube_Sup05200::MemoryCapacity();
    const auto restore = qScopeGuard([capacity] { DecisionCube_Sup05200::SetMemoryCapacity(capacity); });
    DecisionCube_Sup05200::SetMemoryCapacity(DecisionCube::kDenseCellBytes);
    m_form->close();
    CriaGridCotaPrecConsul(*m_context, {}, nullptr);
    QCOMPARE(frmGridCotaPrecConsul(), m_form);
    QVERIFY(m_form->decCotacao->rowCount() > 0);
    QVERIFY(!m_form->decCotacao->cube().isDense());
}

void tst_ConsultaSheet::drawingRulesOfDataCells()
{
    const DecisionGridDelegate *d = m_form->degCotacao->gridDelegate();
    const QPoint zero = cellOf(m_zeroAlt.at(0), m_zeroAlt.at(1), m_zeroAlt.at(2), m_zeroAlt.at(3));
    const DecisionDrawCell zeroCell = d->describeCell(zero.x(), zero.y(), false);
    QCOMPARE(zeroCell.text, QStringLiteral("0,00000"));
    // Zero wins over the alternative's yellow.
    QCOMPARE(zeroCell.background, kInactiveCaption);

    const QPoint alt = cellOf(m_alt.at(0), m_alt.at(1), m_alt.at(2), m_alt.at(3));
    const DecisionDrawCell altCell = d->describeCell(alt.x(), alt.y(), false);
    QCOMPARE(altCell.text, QStringLiteral("3,25000"));
    QCOMPARE(altCell.background, QColor(Qt::yellow));

    const QPoint normal = cellOf(m_negative.at(0), m_negative.at(1), m_negative.at(2), m_negative.at(3));
    QCOMPARE(d->describeCell(normal.x(), normal.y(), false).background, m_form->degCotacao->dataColor());

    const QPoint empty = cellOf(m_removed.at(0), m_removed.at(1), m_removed.at(2), m_removed.at(3));
    QVERIFY(empty.x() >= 0 && empty.y() >= 0);
    const DecisionDrawCell emptyCell = d->describeCell(empty.x(), empty.y(), false);
    QCOMPARE(emptyCell.text, QStringLiteral("    -     "));
    QCOMPARE(emptyCell.background, kInactiveCaption);
    // The details of an empty cell still name the product by its tree code, and show no
    // net price of the cell selected before.
    m_form->degCotacao->gotoCell(alt.x(), alt.y());
    QCOMPARE(m_form->nedDiferenca->value(), 3.25);
    m_form->degCotacao->gotoCell(empty.x(), empty.y());
    QCOMPARE(m_form->nedDiferenca->value(), 0.0);
    const QString tree = m_server.scalar(QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO = :P"),
                                         {{QStringLiteral("P"), m_removed.at(2)}}).toString();
    QVERIFY2(m_form->edtProduto->text().remove(QRegularExpression(QStringLiteral("[^0-9A-Za-z]")))
                 .startsWith(QString(tree).remove(QRegularExpression(QStringLiteral("[^0-9A-Za-z]")))),
             qPrintable(m_form->edtProduto->text() + QStringLiteral(" / ") + tree));
    QCOMPARE(m_form->nedPrecoEcon->value(), 0.0);
}

void tst_ConsultaSheet::productNamePrintedOncePerProduct()
{
    const DecisionGrid *grid = m_form->degCotacao;
    const DecisionGridDelegate *d = grid->gridDelegate();
    m_form->degCotacao->scrollToTop();
    int continued = 0;
    for (int r = 0; r < m_form->decCotacao->rowCount(); ++r) {
        const SheetKeys::ProductParts parts = SheetKeys::productParts(grid->cellValue(-1, r));
        const QString shown = d->describeCell(-1, r, false).text;
        const bool sameAsAbove = r > 0 && SheetKeys::productParts(grid->cellValue(-1, r - 1)).productCode == parts.productCode;
        QVERIFY(shown.endsWith(parts.brandName));
        QCOMPARE(shown.size(), 33 + parts.brandName.size());
        if (sameAsAbove && grid->rowAt(0) != r) {
            ++continued;
            QCOMPARE(shown.left(33), QString(33, QLatin1Char(' ')));
        } else {
            QCOMPARE(shown.left(33).trimmed(), parts.productName.left(30).trimmed());
        }
    }
    QVERIFY2(continued > 0, "no product spans two rows");
}

void tst_ConsultaSheet::lowestPriceOfEachRowIsMarked()
{
    const DecisionGridDelegate *d = m_form->degCotacao->gridDelegate();
    const DecisionCube &cube = m_form->decCotacao->cube();
    int marked = 0;
    for (int r = 0; r < cube.rowCount(); ++r) {
        double lowest = 0;
        QList<int> atLowest;
        for (int c = 0; c < cube.columnCount(); ++c) {
            const DecisionDrawCell cell = d->describeCell(c, r, false);
            double value = 0;
            if (!NumberFormat::parse(cell.text, &value) || value <= 0) {
                QVERIFY(!cell.emphasis);
                continue;
            }
            if (lowest == 0 || value < lowest) {
                lowest = value;
                atLowest = {c};
            } else if (value == lowest) {
                atLowest << c;
            }
        }
        for (int c = 0; c < cube.columnCount(); ++c) {
            QCOMPARE(d->describeCell(c, r, false).emphasis, atLowest.contains(c));
            marked += atLowest.contains(c) ? 1 : 0;
        }
    }
    QVERIFY(marked > 0);
}

void tst_ConsultaSheet::selectedCellFillsTheDetails()
{
    const QPoint at = cellOf(m_negative.at(0), m_negative.at(1), m_negative.at(2), m_negative.at(3));
    m_form->degCotacao->gotoCell(at.x(), at.y());
    QCOMPARE(m_form->stCdRegiao, m_negative.at(0));
    QCOMPARE(m_form->stCdForneced, m_negative.at(1));
    QCOMPARE(m_form->stCdProduto, m_negative.at(2));
    QCOMPARE(m_form->stCdMarca, m_negative.at(3));
    QCOMPARE(m_form->edtDesconto->text(), QStringLiteral("10,00 %"));
    QCOMPARE(m_form->nedDiferenca->value(), 4.05);
    QCOMPARE(m_form->nedPrecoEconPI->value(), -1.5);
    QCOMPARE(m_form->nedPrecoEconPI->palette().color(QPalette::Text), QColor(255, 0, 0));
    const QPoint other = cellOf(m_alt.at(0), m_alt.at(1), m_alt.at(2), m_alt.at(3));
    m_form->degCotacao->gotoCell(other.x(), other.y());
    QCOMPARE(m_form->nedPrecoEconPI->palette().color(QPalette::Text), QColor(Qt::black));
    // No discount: the net price is this cell's price, not the one selected before.
    QCOMPARE(m_form->edtDesconto->text(), QStringLiteral("0,00 %"));
    QCOMPARE(m_form->nedDiferenca->value(), 3.25);
}

void tst_ConsultaSheet::historyOnlyOnRowChangeWithPanelVisible()
{
    DecisionGrid *grid = m_form->degCotacao;
    QVERIFY(grid->columnCount() - grid->fixedColumns() >= 2);
    QVERIFY(!m_form->panHistorico->isVisible());
    grid->gotoCell(0, 0);
    grid->gotoCell(0, 1);
    QCOMPARE(historyCalls(), 0);

    m_form->sbtHistorico->click();
    QVERIFY(m_form->panHistorico->isVisible());
    QCOMPARE(historyCalls(), 1);
    QCOMPARE(m_form->sbtHistorico->toolTip(), QStringLiteral("Desabilitar Histórico"));
    QCOMPARE(m_form->mnuHistorico->text(), QStringLiteral("De&sabilitar Histórico"));
    // Another column of the same row: nothing asked.
    grid->gotoCell(1, 1);
    QCOMPARE(historyCalls(), 1);
    grid->gotoCell(1, 0);
    QCOMPARE(historyCalls(), 2);
    // The space key toggles it off: moving asks nothing more.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Space);
    QVERIFY(!m_form->panHistorico->isVisible());
    QCOMPARE(m_form->mnuHistorico->text(), QStringLiteral("&Habilitar Histórico"));
    grid->gotoCell(0, 1);
    QCOMPARE(historyCalls(), 2);
}

void tst_ConsultaSheet::historyMenuItemFirstClickTurnsItOn()
{
    QCOMPARE(m_form->mnuHistorico->text(), QStringLiteral("&Histórico"));
    QVERIFY(m_form->mnuHistorico->isEnabled());
    m_form->mnuHistorico->trigger();
    QVERIFY(m_form->sbtHistorico->isChecked());
    QVERIFY(m_form->panHistorico->isVisible());
    m_form->mnuHistorico->trigger();
    QVERIFY(!m_form->sbtHistorico->isChecked());
    QVERIFY(!m_form->panHistorico->isVisible());
}

void tst_ConsultaSheet::doubleClickJumpsBackToTheWorkspace()
{
    const QPoint at = cellOf(m_negative.at(0), m_negative.at(1), m_negative.at(2), m_negative.at(3));
    // Region or supplier not in the workspace: the sheet stays.
    m_jump.answer = false;
    m_form->degCotacao->gotoCell(at.x(), at.y());
    m_form->degCotacao->setFocus();
    QTest::keyClick(m_form->degCotacao, Qt::Key_Return);
    QCOMPARE(m_jump.args, m_negative);
    QVERIFY(m_form->isVisible());
    m_jump = {};
    const QRect r = m_form->degCotacao->visualRect(m_form->decCotacao->index(at.y(), at.x()));
    QTest::mousePress(m_form->degCotacao->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseRelease(m_form->degCotacao->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(m_form->degCotacao->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(m_jump.args, m_negative);
    QVERIFY(!m_form->isVisible());
}

void tst_ConsultaSheet::findStepsThroughMatchesAndResets()
{
    DecisionGrid *grid = m_form->degCotacao;
    // A text found in more than one row: the first word of a product spanning rows.
    QString needle;
    for (int r = 0; r < m_form->decCotacao->rowCount() && needle.isEmpty(); ++r) {
        const QString start = SheetKeys::productParts(grid->cellValue(-1, r)).productName.left(3);
        if (start.size() == 3 && std::all_of(start.begin(), start.end(), [](QChar c) { return c.isLetter() && c.unicode() < 128; }))
            needle = start.toLower();
    }
    QVERIFY(!needle.isEmpty());
    QList<int> expected;
    for (int r = 0; r < m_form->decCotacao->rowCount(); ++r)
        if (SheetKeys::productParts(grid->cellValue(-1, r)).productName.toUpper().contains(needle.toUpper()))
            expected << r;
    QVERIFY(!expected.isEmpty());

    TfrmGridProcuraCell dialog(m_form);
    dialog.setGrid(grid, -1, true);
    dialog.show();
    QCOMPARE(dialog.cbbCampo->currentText(), QStringLiteral("Nome do Produto"));
    QVERIFY(dialog.rbtPrefixo->isChecked());
    dialog.rbtParte->click();
    dialog.medConteudo->setFocus();
    QTest::keyClicks(dialog.medConteudo, needle);
    QCOMPARE(dialog.medConteudo->text(), needle.toUpper());
    for (int row : expected) {
        dialog.sbtConfirmar->click();
        QCOMPARE(grid->currentRow(), row);
        QCOMPARE(grid->currentColumn(), 0);
        QCOMPARE(dialog.inRow(), row + 1);
    }
    // Past the last match: no message, the grid stays.
    dialog.sbtConfirmar->click();
    QCOMPARE(grid->currentRow(), expected.last());
    QCOMPARE(m_server.ui().count(ScriptedUserInterface::Kind::Message), 0);
    // Editing the text starts again from the top.
    QTest::keyClick(dialog.medConteudo, Qt::Key_Backspace);
    QCOMPARE(dialog.inRow(), 0);
    QTest::keyClicks(dialog.medConteudo, needle.right(1));
    dialog.sbtConfirmar->click();
    QCOMPARE(grid->currentRow(), expected.first());

    // Identical name of a product with two brands: each row in turn.
    dialog.rbtIdentico->click();
    QCOMPARE(dialog.inRow(), 0);
    QList<int> rowsOfName;
    QString name;
    for (int r = 1; r < m_form->decCotacao->rowCount() && rowsOfName.isEmpty(); ++r) {
        const SheetKeys::ProductParts a = SheetKeys::productParts(grid->cellValue(-1, r - 1));
        if (a.productCode == SheetKeys::productParts(grid->cellValue(-1, r)).productCode) {
            name = a.productName;
            rowsOfName = {r - 1, r};
        }
    }
    QVERIFY(!rowsOfName.isEmpty());
    dialog.medConteudo->setText(name);
    dialog.sbtConfirmar->click();
    QCOMPARE(grid->currentRow(), rowsOfName.at(0));
    dialog.sbtConfirmar->click();
    QCOMPARE(grid->currentRow(), rowsOfName.at(1));

    // A start row beyond the last row fails at once.
    QVERIFY(!dialog.LocateCell(name, QStringLiteral("3"), grid, -1, m_form->decCotacao->rowCount()));
}

void tst_ConsultaSheet::findRefusesEmptyTextAndReportsByMatchType()
{
    TfrmGridProcuraCell dialog(m_form);
    dialog.setGrid(m_form->degCotacao, -1, true);
    dialog.show();
    dialog.sbtConfirmar->click();
    QCOMPARE(m_server.ui().texts(ScriptedUserInterface::Kind::Message),
             QStringList({QStringLiteral("Nenhum texto para pesquisa foi informado.")}));
    m_server.ui().clear();
    dialog.medConteudo->setText(QStringLiteral("ZZZ-NAO-EXISTE"));
    for (QRadioButton *b : {dialog.rbtIdentico, dialog.rbtPrefixo, dialog.rbtParte}) {
        b->click();
        dialog.sbtConfirmar->click();
    }
    QCOMPARE(m_server.ui().texts(ScriptedUserInterface::Kind::Message),
             QStringList({QStringLiteral("Texto idêntico não encontrado."),
                          QStringLiteral("Texto não encontrado como prefixo do campo."),
                          QStringLiteral("Texto não encontrado como parte do campo.")}));
    // The code field: a prefix of the product code compares only what was typed.
    const SheetKeys::ProductParts parts = SheetKeys::productParts(m_form->degCotacao->cellValue(-1, 2));
    dialog.cbbCampo->setCurrentIndex(0);
    dialog.rbtPrefixo->click();
    QVERIFY(dialog.LocateCell(parts.productCode.left(parts.productCode.size() - 1), QStringLiteral("2"),
                              m_form->degCotacao, -1, 0));
    QVERIFY(m_form->degCotacao->currentRow() <= 2);
    QVERIFY(!dialog.LocateCell(parts.productCode.left(parts.productCode.size() - 1) + QStringLiteral("#"),
                               QStringLiteral("2"), m_form->degCotacao, -1, 0));
}

void tst_ConsultaSheet::exportWritesTheSheetAsShown()
{
    const QString path = m_server.folder() + QStringLiteral("/sheet.csv");
    m_server.ui().answerSaveFileName(path);
    m_form->sbtExportar->click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QString text = QString::fromUtf8(bytes.mid(3));
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), m_form->decCotacao->rowCount() + 2);
    QVERIFY(lines.at(1).startsWith(QStringLiteral("Região/Fornecedor;")));
    const QPoint alt = cellOf(m_alt.at(0), m_alt.at(1), m_alt.at(2), m_alt.at(3));
    QCOMPARE(lines.at(alt.y() + 2).split(QLatin1Char(';')).at(alt.x() + 1), QStringLiteral("3,25000"));
    // Every line has the same number of fields.
    for (const QString &line : lines)
        QCOMPARE(line.count(QLatin1Char(';')), m_form->decCotacao->columnCount());
}

QTEST_MAIN(tst_ConsultaSheet)
#include "tst_consultasheet.moc"
