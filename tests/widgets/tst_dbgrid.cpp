#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DBGridDelegate.h"
#include "DataSetError.h"
#include "DataSource.h"

#include <QApplication>
#include <QtTest>

// A grid over three products: CODE (read-only column), NAME, PRICE.
class GridFixture
{
public:
    GridFixture()
    {
        DataPacket packet;
        packet.addField(QStringLiteral("CODE"), FieldType::String, 5);
        packet.addField(QStringLiteral("NAME"), FieldType::String, 20);
        packet.addField(QStringLiteral("PRICE"), FieldType::Float);
        packet.appendRow({QStringLiteral("001"), QStringLiteral("Arroz"), 10.5});
        packet.appendRow({QStringLiteral("002"), QStringLiteral("Feijão"), 0.0});
        packet.appendRow({QStringLiteral("003"), QStringLiteral("Milho"), 7.25});
        ds.setData(packet);
        ds.fieldByName(QStringLiteral("PRICE"))->setDisplayFormat(QStringLiteral("#,##0.00"));
        source.setDataSet(&ds);
        DBGridColumn code(QStringLiteral("CODE"), QStringLiteral("Código"), 60);
        code.readOnly = true;
        grid.setColumns({code, DBGridColumn(QStringLiteral("NAME"), QStringLiteral("Nome"), 150),
                         DBGridColumn(QStringLiteral("PRICE"), QStringLiteral("Preço"), 100)});
        grid.setDataSource(&source);
        grid.resize(400, 200);
        grid.show();
        QApplication::setActiveWindow(&grid);
        grid.setFocus();
    }

    bool ready() { return QTest::qWaitForWindowActive(&grid); }

    QString value(int row, const QString &field) const
    {
        return ds.valueAt(row, ds.fieldByName(field)->index()).toString();
    }

    // Types as a user does: every key goes to the widget with the focus.
    static void type(const QString &text)
    {
        for (QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }

    ClientDataSet ds;
    DataSource source;
    DBGrid grid;
};

class tst_DBGrid : public QObject
{
    Q_OBJECT

private slots:
    void typingEditsTheRecordAndMovingRowPosts();
    void escapeCancelsTheEdit();
    void testBugTypedCellTextLostWhenACommandPosts();
    void readOnlyColumnRefusesTyping();
    void columnEventsFireOnColumnChange();
    void refusedColumnExitKeepsTheColumn();
    void refusedPostKeepsTheEditedRow();
    void keyHandlersCanSwallowAndDiscard();
    void insertAndDeleteKeys();
    void currentRowFollowsTheDataSet();
    void delegateReportsWhatItWouldPaint();
    void derivedDelegateDecoratesBeforeTheForm();
    void editButtonRaisesItsEvent();
};

namespace {

// A grid's own rule: a zero price on a grey background.
class ZeroPriceDelegate : public DBGridDelegate
{
public:
    using DBGridDelegate::DBGridDelegate;

protected:
    void decorateCell(DBGridCell &cell) const override
    {
        if (cell.fieldName == QLatin1String("PRICE") && cell.value.toDouble() == 0)
            cell.background = Qt::lightGray;
    }
};

} // namespace

void tst_DBGrid::typingEditsTheRecordAndMovingRowPosts()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.grid.setSelectedField(QStringLiteral("NAME"));
    QCOMPARE(f.grid.selectedField()->fieldName(), QStringLiteral("NAME"));
    f.type(QStringLiteral("Trigo"));
    QCOMPARE(f.ds.state(), DataSetState::Edit);
    QVERIFY(f.grid.isEditorOpen());
    f.key(Qt::Key_Tab); // leaves the cell: the text goes into the field
    QCOMPARE(f.ds.fieldByName(QStringLiteral("NAME"))->asString(), QStringLiteral("Trigo"));
    QCOMPARE(f.ds.state(), DataSetState::Edit);
    QCOMPARE(f.grid.selectedField()->fieldName(), QStringLiteral("PRICE"));

    f.key(Qt::Key_Down);
    QCOMPARE(f.ds.state(), DataSetState::Browse);
    QCOMPARE(f.ds.currentRow(), 1);
    QCOMPARE(f.value(0, QStringLiteral("NAME")), QStringLiteral("Trigo"));

    // A price typed the pt-BR way is read into the float field.
    f.type(QStringLiteral("3,5"));
    f.key(Qt::Key_Up);
    QCOMPARE(f.ds.state(), DataSetState::Browse);
    QCOMPARE(f.ds.valueAt(1, f.ds.fieldByName(QStringLiteral("PRICE"))->index()).toDouble(), 3.5);
}

void tst_DBGrid::escapeCancelsTheEdit()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.grid.setSelectedField(QStringLiteral("NAME"));
    f.type(QStringLiteral("XYZ"));
    QCOMPARE(f.ds.state(), DataSetState::Edit);
    f.key(Qt::Key_Escape);
    QCOMPARE(f.ds.state(), DataSetState::Browse);
    QVERIFY(!f.grid.isEditorOpen());
    QCOMPARE(f.value(0, QStringLiteral("NAME")), QStringLiteral("Arroz"));

    // Esc also cancels an edit whose cell was already left.
    f.type(QStringLiteral("Soja"));
    f.key(Qt::Key_Tab);
    QCOMPARE(f.ds.fieldByName(QStringLiteral("NAME"))->asString(), QStringLiteral("Soja"));
    f.key(Qt::Key_Escape);
    QCOMPARE(f.ds.state(), DataSetState::Browse);
    QCOMPARE(f.value(0, QStringLiteral("NAME")), QStringLiteral("Arroz"));
}

// A toolbar command posts while the cell editor still holds what the user typed (a tool
// button does not take the focus): the text must reach the record, not be dropped.
void tst_DBGrid::testBugTypedCellTextLostWhenACommandPosts()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.grid.setSelectedField(QStringLiteral("PRICE"));
    f.type(QStringLiteral("12,75"));
    QVERIFY(f.grid.isEditorOpen());
    f.ds.post();
    QCOMPARE(f.ds.state(), DataSetState::Browse);
    QCOMPARE(f.ds.valueAt(0, f.ds.fieldByName(QStringLiteral("PRICE"))->index()).toDouble(), 12.75);
    QCOMPARE(f.ds.changeCount(), 1);

    // Unreadable text is not written: the post keeps the stored value and the editor
    // keeps the text for the user to correct.
    f.grid.setSelectedField(QStringLiteral("PRICE"));
    f.type(QStringLiteral("abc"));
    if (f.ds.state() == DataSetState::Edit) {
        try {
            f.ds.post();
        } catch (const DataSetError &) {
        }
    }
    QCOMPARE(f.ds.valueAt(0, f.ds.fieldByName(QStringLiteral("PRICE"))->index()).toDouble(), 12.75);
}

void tst_DBGrid::readOnlyColumnRefusesTyping()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.grid.setSelectedField(QStringLiteral("CODE"));
    f.type(QStringLiteral("9"));
    QVERIFY(!f.grid.isEditorOpen());
    QCOMPARE(f.ds.state(), DataSetState::Browse);
    QCOMPARE(f.value(0, QStringLiteral("CODE")), QStringLiteral("001"));

    // The editing option switched off refuses every column; on again, typing works.
    f.grid.setSelectedField(QStringLiteral("NAME"));
    f.grid.setOption(DBGrid::Editing, false);
    f.type(QStringLiteral("x"));
    QCOMPARE(f.ds.state(), DataSetState::Browse);
    f.grid.setOption(DBGrid::Editing, true);
    f.type(QStringLiteral("x"));
    QCOMPARE(f.ds.state(), DataSetState::Edit);
}

void tst_DBGrid::columnEventsFireOnColumnChange()
{
    GridFixture f;
    QVERIFY(f.ready());
    QStringList events;
    f.grid.onColExit = [&] { events << QStringLiteral("exit:") + f.grid.selectedField()->fieldName(); };
    f.grid.onColEnter = [&] { events << QStringLiteral("enter:") + f.grid.selectedField()->fieldName(); };
    f.grid.setSelectedField(QStringLiteral("CODE"));
    events.clear();
    f.key(Qt::Key_Right);
    QCOMPARE(events, QStringList({QStringLiteral("exit:CODE"), QStringLiteral("enter:NAME")}));
    events.clear();
    f.key(Qt::Key_Down); // another row, same column: no column events
    QVERIFY(events.isEmpty());
    QCOMPARE(f.ds.currentRow(), 1);
}

void tst_DBGrid::refusedColumnExitKeepsTheColumn()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.grid.setSelectedField(QStringLiteral("NAME"));
    int entered = 0;
    f.grid.onColExit = [] { throw DataSetError(QStringLiteral("Produto não cadastrado.")); };
    f.grid.onColEnter = [&] { ++entered; };
    f.key(Qt::Key_Right);
    QCOMPARE(f.grid.selectedField()->fieldName(), QStringLiteral("NAME"));
    QCOMPARE(entered, 0);
}

void tst_DBGrid::refusedPostKeepsTheEditedRow()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.ds.beforePost = [](ClientDataSet &) { throw DataSetError(QStringLiteral("Preço inválido")); };
    f.grid.setSelectedField(QStringLiteral("NAME"));
    f.type(QStringLiteral("Aveia"));
    f.key(Qt::Key_Down);
    QCOMPARE(f.ds.state(), DataSetState::Edit);
    QCOMPARE(f.ds.currentRow(), 0);
    QCOMPARE(f.grid.currentIndex().row(), 0);
    QCOMPARE(f.ds.fieldByName(QStringLiteral("NAME"))->asString(), QStringLiteral("Aveia"));
}

void tst_DBGrid::keyHandlersCanSwallowAndDiscard()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.grid.setSelectedField(QStringLiteral("PRICE"));
    f.grid.onKeyPress = [&](QChar &c) {
        if (f.grid.selectedField()->fieldName() == QLatin1String("PRICE") && (c == 'e' || c == '-'))
            c = QChar();
        else if (c == '.')
            c = QLatin1Char(','); // the decimal key types the comma
    };
    f.type(QStringLiteral("e"));
    QVERIFY(!f.grid.isEditorOpen());
    QCOMPARE(f.ds.state(), DataSetState::Browse);
    f.type(QStringLiteral("2.5e-"));
    f.key(Qt::Key_Down);
    QCOMPARE(f.ds.valueAt(0, f.ds.fieldByName(QStringLiteral("PRICE"))->index()).toDouble(), 2.5);

    bool swallow = true;
    f.grid.onKeyDown = [&](int &key, Qt::KeyboardModifiers modifiers) {
        if (swallow && key == Qt::Key_Delete && modifiers.testFlag(Qt::ControlModifier))
            key = 0;
    };
    f.key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(f.ds.recordCount(), 3);
    swallow = false;
    f.key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(f.ds.recordCount(), 2);
}

void tst_DBGrid::insertAndDeleteKeys()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.key(Qt::Key_Insert);
    QCOMPARE(f.ds.state(), DataSetState::Insert);
    QCOMPARE(f.ds.recordCount(), 4);
    f.key(Qt::Key_Escape);
    QCOMPARE(f.ds.recordCount(), 3);

    f.grid.setOption(DBGrid::InsertKey, false);
    f.key(Qt::Key_Insert);
    QCOMPARE(f.ds.state(), DataSetState::Browse);

    // Down on the last row appends, unless switched off.
    f.ds.last();
    f.key(Qt::Key_Down);
    QCOMPARE(f.ds.state(), DataSetState::Insert);
    f.key(Qt::Key_Escape);
    f.grid.setOption(DBGrid::AppendOnDown, false);
    f.ds.last();
    f.key(Qt::Key_Down);
    QCOMPARE(f.ds.state(), DataSetState::Browse);

    f.grid.setOption(DBGrid::DeleteKey, false);
    f.key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(f.ds.recordCount(), 3);
}

void tst_DBGrid::currentRowFollowsTheDataSet()
{
    GridFixture f;
    QVERIFY(f.ready());
    f.grid.setSelectedField(QStringLiteral("PRICE"));
    f.ds.last();
    QCOMPARE(f.grid.currentIndex().row(), 2);
    QCOMPARE(f.grid.selectedField()->fieldName(), QStringLiteral("PRICE"));
    f.ds.first();
    QCOMPARE(f.grid.currentIndex().row(), 0);

    // Clicking a row moves the dataset.
    const QRect cell = f.grid.visualRect(f.grid.model()->index(1, 1));
    QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(f.ds.currentRow(), 1);

    // A new packet: the grid shows the new rows and the dataset's record.
    DataPacket packet(f.ds.data().fields());
    packet.appendRow({QStringLiteral("010"), QStringLiteral("Sal"), 1.0});
    f.ds.setData(packet);
    QCOMPARE(f.grid.model()->rowCount(), 1);
    QCOMPARE(f.grid.currentIndex().row(), 0);
}

void tst_DBGrid::delegateReportsWhatItWouldPaint()
{
    GridFixture f;
    QVERIFY(f.ready());
    const QPixmap picture(16, 16);
    f.grid.setColor(QColor(255, 255, 225));
    f.grid.onDrawColumnCell = [&](DBGridCell &cell) {
        if (cell.fieldName == QLatin1String("PRICE") && !cell.selected && cell.value.toDouble() == 0)
            cell.background = Qt::lightGray;
        if (cell.fieldName == QLatin1String("CODE") && cell.fieldText(QStringLiteral("NAME")) == QLatin1String("Milho")) {
            cell.clear();
            cell.addPicture(picture, QPoint(2, 0), QColor(128, 128, 0));
        }
    };
    DBGridDelegate *delegate = f.grid.gridDelegate();

    const DBGridCell price = delegate->describeCell(0, 2);
    QCOMPARE(price.text, QStringLiteral("10,50"));
    QVERIFY(price.alignment.testFlag(Qt::AlignRight));
    QCOMPARE(price.background, QColor(255, 255, 225));

    const DBGridCell zero = delegate->describeCell(1, 2);
    QCOMPARE(zero.background, QColor(Qt::lightGray));

    const DBGridCell name = delegate->describeCell(1, 1);
    QVERIFY(name.alignment.testFlag(Qt::AlignLeft));
    QCOMPARE(name.text, QStringLiteral("Feijão"));

    // The handler reads other fields of the painted row, not of the current record.
    const DBGridCell code = delegate->describeCell(2, 0);
    QVERIFY(!code.drawText);
    QCOMPARE(code.pictures.size(), 1);
    QCOMPARE(code.pictures.first().transparentColor, QColor(128, 128, 0));
    QCOMPARE(delegate->describeCell(0, 0).pictures.size(), 0);

    // A throwing handler leaves the default look.
    f.grid.onDrawColumnCell = [](DBGridCell &) { throw DataSetError(QStringLiteral("x")); };
    QCOMPARE(delegate->describeCell(1, 2).background, QColor(255, 255, 225));
    f.grid.grab(); // painting runs through the same description
}

void tst_DBGrid::derivedDelegateDecoratesBeforeTheForm()
{
    GridFixture f;
    QVERIFY(f.ready());
    QPointer<DBGridDelegate> previous = f.grid.gridDelegate();
    auto *own = new ZeroPriceDelegate(&f.grid);
    f.grid.setGridDelegate(own);
    QCOMPARE(f.grid.gridDelegate(), own);
    QCOMPARE(f.grid.itemDelegate(), static_cast<QAbstractItemDelegate *>(own));
    QVERIFY(previous.isNull());

    QCOMPARE(own->describeCell(1, 2).background, QColor(Qt::lightGray));
    QVERIFY(own->describeCell(0, 2).background != QColor(Qt::lightGray));
    // The form's handler still has the last word.
    f.grid.onDrawColumnCell = [](DBGridCell &cell) {
        if (cell.background == QColor(Qt::lightGray))
            cell.background = Qt::red;
    };
    QCOMPARE(own->describeCell(1, 2).background, QColor(Qt::red));

    // Editing goes on through the new delegate.
    f.grid.setFocus();
    f.grid.setSelectedField(QStringLiteral("NAME"));
    GridFixture::type(QStringLiteral("Soja"));
    GridFixture::key(Qt::Key_Down);
    QCOMPARE(f.value(0, QStringLiteral("NAME")), QStringLiteral("Soja"));
    f.grid.grab();
}

void tst_DBGrid::editButtonRaisesItsEvent()
{
    GridFixture f;
    QVERIFY(f.ready());
    int clicks = 0;
    f.grid.onEditButtonClick = [&] { ++clicks; };
    const int name = f.grid.columnIndex(QStringLiteral("NAME"));
    f.grid.setColumnButtonStyle(name, ColumnButtonStyle::Ellipsis);
    f.grid.setSelectedField(QStringLiteral("NAME"));
    f.key(Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(clicks, 1);

    const QModelIndex index = f.grid.currentIndex();
    QVERIFY(f.grid.gridDelegate()->showsButton(index));
    const QRect button = f.grid.gridDelegate()->buttonRect(f.grid.visualRect(index));
    QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, button.center());
    QCOMPARE(clicks, 2);

    f.grid.setColumnButtonStyle(name, ColumnButtonStyle::None);
    QVERIFY(!f.grid.gridDelegate()->showsButton(index));
}

QTEST_MAIN(tst_DBGrid)
#include "tst_dbgrid.moc"
