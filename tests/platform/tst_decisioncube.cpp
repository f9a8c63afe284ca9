// The decision cube over a packet, its table model and the decision grid: the pivot with
// and without sparsing, cells that gather several records, dense and hashed storage
// agreeing, header values by grid coordinates, the drawing hook, activation, and that
// painting touches only the visible cells.

#include "DecisionCube.h"
#include "DecisionCubeModel.h"
#include "DecisionGrid.h"
#include "DecisionGridDelegate.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {

DataPacket packetOf(const QList<QStringList> &rows)
{
    DataPacket p;
    p.addField(QStringLiteral("REG"), FieldType::String, 10);
    p.addField(QStringLiteral("FORN"), FieldType::String, 10);
    p.addField(QStringLiteral("PROD"), FieldType::String, 10);
    p.addField(QStringLiteral("CONTA"), FieldType::Float);
    for (const QStringList &r : rows)
        p.appendRow({r.at(0), r.at(1), r.at(2), 1.0});
    return p;
}

DecisionCube::Layout layout()
{
    return {{QStringLiteral("REG"), QStringLiteral("FORN")}, {QStringLiteral("PROD")}, QStringLiteral("CONTA")};
}

// Every cell as "row/column=sum@record", empty cells left out.
QStringList cells(const DecisionCube &cube)
{
    QStringList out;
    for (int r = 0; r < cube.rowCount(); ++r)
        for (int c = 0; c < cube.columnCount(); ++c)
            if (cube.hasData(r, c))
                out << QStringLiteral("%1/%2=%3@%4").arg(r).arg(c).arg(cube.summary(r, c)).arg(cube.sourceRow(r, c));
    return out;
}

} // namespace

class tst_DecisionCube : public QObject
{
    Q_OBJECT

private slots:
    void recordsOfOneCellAreSummedAndTheFirstKept();
    void valuesSortCaseInsensitivelyOuterDimensionFirst();
    void columnSparsingKeepsOnlyCombinationsWithRecords();
    void hashedStorageAgreesWithDense();
    void missingFieldIsRefused();
    void modelPassesTheModelTester();

    void headerValuesByCoordinatesShowOuterValueOnce();
    void drawingHookDecidesWhatIsPaintedAndKinds();
    void gotoCellAndActivationByEnterAndDoubleClick();
    void paintingTouchesOnlyVisibleCells();
};

void tst_DecisionCube::recordsOfOneCellAreSummedAndTheFirstKept()
{
    DecisionCube cube;
    // A single record given twice: one cell counting two.
    cube.build(packetOf({{"R1", "F1", "P1"}, {"R1", "F1", "P1"}}), layout());
    QCOMPARE(cube.rowCount(), 1);
    QCOMPARE(cube.columnCount(), 1);
    QCOMPARE(cells(cube), QStringList({"0/0=2@0"}));
    QCOMPARE(cube.rowOfRecord(1), 0);
    QCOMPARE(cube.columnOfRecord(1), 0);
}

void tst_DecisionCube::valuesSortCaseInsensitivelyOuterDimensionFirst()
{
    DecisionCube cube;
    cube.build(packetOf({{"r2", "Fb", "p2"}, {"R1", "fa", "P1"}, {"R1", "Fc", "p2"}, {"r2", "fa", "P1"}}), layout());
    QCOMPARE(cube.rowCount(), 2);
    QCOMPARE(cube.rowValue(0, 0), QStringLiteral("P1"));
    QCOMPARE(cube.rowValue(0, 1), QStringLiteral("p2"));
    QStringList columns;
    for (int c = 0; c < cube.columnCount(); ++c)
        columns << cube.columnValue(0, c) + QLatin1Char(':') + cube.columnValue(1, c);
    QCOMPARE(columns, QStringList({"R1:fa", "R1:Fc", "r2:fa", "r2:Fb"}));
    // Record 0 (r2, Fb, p2) is the last column of the second row.
    QCOMPARE(cube.sourceRow(1, 3), 0);
    QCOMPARE(cube.sourceRow(0, 1), -1);
}

void tst_DecisionCube::columnSparsingKeepsOnlyCombinationsWithRecords()
{
    const DataPacket p = packetOf({{"R1", "F1", "P1"}, {"R2", "F2", "P2"}});
    DecisionCube sparse;
    sparse.build(p, layout());
    QCOMPARE(sparse.columnCount(), 2);
    DecisionCube full;
    full.setColumnSparsing(false);
    full.build(p, layout());
    // Every region with every supplier.
    QCOMPARE(full.columnCount(), 4);
    QCOMPARE(full.columnValue(0, 1) + full.columnValue(1, 1), QStringLiteral("R1F2"));
    QCOMPARE(cells(full), QStringList({"0/0=1@0", "1/3=1@1"}));

    // Two row dimensions: rows for every combination only without row sparsing.
    DecisionCube rows;
    rows.setRowSparsing(false);
    rows.build(p, {{QStringLiteral("REG")}, {QStringLiteral("FORN"), QStringLiteral("PROD")}, QString()});
    QCOMPARE(rows.rowCount(), 4);
    rows.setRowSparsing(true);
    rows.build(p, {{QStringLiteral("REG")}, {QStringLiteral("FORN"), QStringLiteral("PROD")}, QString()});
    QCOMPARE(rows.rowCount(), 2);
    QCOMPARE(cells(rows), QStringList({"0/0=1@0", "1/1=1@1"}));
}

void tst_DecisionCube::hashedStorageAgreesWithDense()
{
    QList<QStringList> rows;
    for (int i = 0; i < 60; ++i)
        rows << QStringList{QStringLiteral("R%1").arg(i % 3), QStringLiteral("F%1").arg(i % 7), QStringLiteral("P%1").arg(i % 11)};
    const DataPacket p = packetOf(rows);
    DecisionCube dense;
    dense.build(p, layout());
    QVERIFY(dense.isDense());
    DecisionCube hashed;
    hashed.setCapacity(DecisionCube::kDenseCellBytes); // room for one cell only
    hashed.build(p, layout());
    QVERIFY(!hashed.isDense());
    QCOMPARE(cells(hashed), cells(dense));
}

void tst_DecisionCube::missingFieldIsRefused()
{
    DecisionCube cube;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             cube.build(packetOf({{"R", "F", "P"}}), {{QStringLiteral("NONE")}, {QStringLiteral("PROD")}, {}}));
    QVERIFY(!cube.isActive());
}

void tst_DecisionCube::modelPassesTheModelTester()
{
    DecisionCubeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.rebuild(packetOf({{"R1", "F1", "P1"}, {"R1", "F2", "P2"}, {"R2", "F1", "P1"}}), layout());
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("1"));
    QCOMPARE(model.data(model.index(1, 0)).toString(), QString());
    QCOMPARE(model.data(model.index(1, 1), DecisionCubeModel::SourceRowRole).toInt(), 1);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("F1"));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

void tst_DecisionCube::headerValuesByCoordinatesShowOuterValueOnce()
{
    DecisionCubeModel model;
    DecisionGrid grid;
    grid.setCubeModel(&model);
    grid.setCaption(QStringLiteral("Cap"));
    model.rebuild(packetOf({{"R1", "F1", "P1"}, {"R1", "F2", "P2"}, {"R2", "F1", "P1"}}), layout());
    QCOMPARE(grid.fixedRows(), 2);
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.columnCount(), 4);
    // Region row -2: the value on the first column of its run only.
    QCOMPARE(grid.cellValue(0, -2), QStringLiteral("R1"));
    QCOMPARE(grid.cellValue(1, -2), QString());
    QCOMPARE(grid.cellValue(2, -2), QStringLiteral("R2"));
    // Supplier row -1: every column, also where it repeats under another region.
    QCOMPARE(grid.cellValue(0, -1), QStringLiteral("F1"));
    QCOMPARE(grid.cellValue(2, -1), QStringLiteral("F1"));
    QCOMPARE(grid.cellValue(-1, 1), QStringLiteral("P2"));
    QCOMPARE(grid.cellValue(-1, -1), QStringLiteral("Cap"));
    QCOMPARE(grid.cellValue(1, 1), QStringLiteral("1"));
}

void tst_DecisionCube::drawingHookDecidesWhatIsPaintedAndKinds()
{
    DecisionCubeModel model;
    DecisionGrid grid;
    grid.setCubeModel(&model);
    model.rebuild(packetOf({{"R1", "F1", "P1"}}), layout());
    QList<DecisionDrawCell::Kind> seen;
    grid.setDrawCellHandler([&](DecisionDrawCell &cell) {
        seen << cell.kind;
        if (cell.kind == DecisionDrawCell::Kind::Data) {
            cell.text = QStringLiteral("x");
            cell.background = Qt::yellow;
        }
    });
    const DecisionDrawCell data = grid.gridDelegate()->describeCell(0, 0, true);
    QCOMPARE(data.text, QStringLiteral("x"));
    QCOMPARE(data.background, QColor(Qt::yellow));
    QVERIFY(data.selected);
    grid.gridDelegate()->describeCell(-1, 0, false);
    grid.gridDelegate()->describeCell(0, -2, false);
    grid.gridDelegate()->describeCell(-1, -1, false);
    QCOMPARE(seen, QList<DecisionDrawCell::Kind>({DecisionDrawCell::Kind::Data, DecisionDrawCell::Kind::RowHeader,
                                                  DecisionDrawCell::Kind::ColumnHeader, DecisionDrawCell::Kind::Caption}));
}

void tst_DecisionCube::gotoCellAndActivationByEnterAndDoubleClick()
{
    DecisionCubeModel model;
    DecisionGrid grid;
    grid.setCubeModel(&model);
    model.rebuild(packetOf({{"R1", "F1", "P1"}, {"R1", "F2", "P2"}}), layout());
    grid.resize(600, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy activated(&grid, &DecisionGrid::cellActivated);
    grid.gotoCell(1, 1);
    QCOMPARE(grid.currentRow(), 1);
    QCOMPARE(grid.currentColumn(), 1);
    grid.gotoCell(5, 9); // no such row: stays
    QCOMPARE(grid.currentRow(), 1);
    QTest::keyClick(&grid, Qt::Key_Return);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.at(0), QVariantList({1, 1}));
    const QRect r = grid.visualRect(model.index(0, 0));
    // A double click follows the press of its first click.
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(activated.count(), 2);
    QCOMPARE(activated.at(1), QVariantList({0, 0}));
}

void tst_DecisionCube::paintingTouchesOnlyVisibleCells()
{
    QList<QStringList> rows;
    for (int p = 0; p < 2000; ++p)
        for (int f = 0; f < 50; f += 1 + p % 3)
            rows << QStringList{QStringLiteral("R%1").arg(f % 2), QStringLiteral("F%1").arg(f, 3, 10, QLatin1Char('0')),
                                QStringLiteral("P%1").arg(p, 5, 10, QLatin1Char('0'))};
    DecisionCubeModel model;
    DecisionGrid grid;
    grid.setCubeModel(&model);
    model.rebuild(packetOf(rows), layout());
    grid.resize(900, 400);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    const int visibleRows = grid.viewport()->height() / grid.rowHeight(0) + 2;
    const int visibleColumns = grid.viewport()->width() / grid.columnWidth(0) + 2;
    const int visible = visibleRows * visibleColumns;

    grid.gridDelegate()->resetPaintCount();
    grid.viewport()->repaint();
    QVERIFY(grid.gridDelegate()->paintCount() > 0);
    QVERIFY2(grid.gridDelegate()->paintCount() <= visible,
             qPrintable(QStringLiteral("%1 > %2").arg(grid.gridDelegate()->paintCount()).arg(visible)));

    // Scrolling far down repaints a screenful, never the sheet.
    grid.gridDelegate()->resetPaintCount();
    grid.gotoCell(10, 1500);
    grid.viewport()->repaint();
    QVERIFY(grid.gridDelegate()->paintCount() > 0);
    QVERIFY(grid.gridDelegate()->paintCount() <= 2 * visible);
    QVERIFY(model.rowCount() * model.columnCount() > 50 * visible);
}

QTEST_MAIN(tst_DecisionCube)
#include "tst_decisioncube.moc"
