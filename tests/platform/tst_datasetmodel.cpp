#include "DataSetModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

DataPacket pricesPacket(int rows)
{
    DataPacket p;
    p.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    p.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    p.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    for (int i = 0; i < rows; ++i)
        p.appendRow({QStringLiteral("P%1").arg(rows - i, 3, 10, QLatin1Char('0')), QStringLiteral("M1"), 1.5 * i});
    return p;
}

} // namespace

class tst_DataSetModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void passesModelTesterThroughChanges();
    void rolesAndColumns();
    void editingACellEditsTheDataSetAndMovingPosts();
    void cancelShowsTheOldValues();
    void currentRowFollowsTheDataSetBothWays();
    void dataSourceRelaysAndSwitches();

private:
    ClientDataSet *m_ds = nullptr;
    DataSource *m_source = nullptr;
    DataSetModel *m_model = nullptr;
};

void tst_DataSetModel::init()
{
    m_ds = new ClientDataSet(this);
    m_source = new DataSource(this);
    m_source->setDataSet(m_ds);
    m_model = new DataSetModel(m_source, this);
}

void tst_DataSetModel::cleanup()
{
    delete m_model;
    delete m_source;
    delete m_ds;
}

void tst_DataSetModel::passesModelTesterThroughChanges()
{
    QAbstractItemModelTester tester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(m_model->rowCount(), 0);
    m_ds->setData(pricesPacket(5));
    QCOMPARE(m_model->rowCount(), 5);
    QCOMPARE(m_model->columnCount(), 3);

    m_ds->setRecNo(3);
    m_ds->insert();
    QCOMPARE(m_model->rowCount(), 6);
    m_ds->cancel();
    QCOMPARE(m_model->rowCount(), 5);

    m_ds->append();
    m_ds->fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P000"));
    m_ds->post();
    QCOMPARE(m_model->rowCount(), 6);
    m_ds->setIndexFieldNames(QStringLiteral("CDPRODUTO"));
    QCOMPARE(m_model->index(0, 0).data().toString(), QStringLiteral("P000"));

    // A posted record moves to its place in the index.
    m_ds->last();
    m_ds->edit();
    m_ds->fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P0005"));
    m_ds->post();
    QCOMPARE(m_model->index(1, 0).data().toString(), QStringLiteral("P0005"));

    m_ds->first();
    m_ds->deleteRecord();
    QCOMPARE(m_model->rowCount(), 5);
    m_ds->cancelUpdates();
    QCOMPARE(m_model->rowCount(), 5);
    m_ds->disableControls();
    m_ds->deleteRecord();
    m_ds->deleteRecord();
    QCOMPARE(m_model->rowCount(), 5); // views hear nothing until enabled
    m_ds->enableControls();
    QCOMPARE(m_model->rowCount(), 3);
    m_ds->mergeChangeLog();
    m_ds->fieldByName(QStringLiteral("CDMARCA"))->setVisible(false);
    QCOMPARE(m_model->columnCount(), 2);
    m_ds->close();
    QCOMPARE(m_model->rowCount(), 0);
    m_ds->open();
    QCOMPARE(m_model->rowCount(), 3);
    m_ds->emptyDataSet();
    QCOMPARE(m_model->rowCount(), 0);
}

void tst_DataSetModel::rolesAndColumns()
{
    m_ds->setData(pricesPacket(3));
    Field *price = m_ds->fieldByName(QStringLiteral("VRPRECUNIITM"));
    price->setDisplayFormat(QStringLiteral("#,##0.00000"));
    price->onGetText = nullptr;
    m_model->setColumnFields({QStringLiteral("VRPRECUNIITM"), QStringLiteral("CDPRODUTO"), QStringLiteral("NOPE")});
    QCOMPARE(m_model->columnCount(), 2);
    QCOMPARE(m_model->columnForField(QStringLiteral("cdproduto")), 1);
    QCOMPARE(m_model->columnForField(QStringLiteral("CDMARCA")), -1);
    const QModelIndex cell = m_model->index(2, 0);
    QCOMPARE(cell.data(Qt::DisplayRole).toString(), QStringLiteral("3,00000"));
    QCOMPARE(cell.data(Qt::EditRole).toString(), QStringLiteral("3,00000"));
    QCOMPARE(cell.data(DataSetModel::FieldValueRole).toDouble(), 3.0);
    QCOMPARE(cell.data(DataSetModel::FieldNameRole).toString(), QStringLiteral("VRPRECUNIITM"));
    QCOMPARE(cell.data(DataSetModel::FieldTypeRole).toInt(), int(FieldType::Float));
    QVERIFY(cell.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    QCOMPARE(m_ds->recNo(), 1); // reading another row does not move the current record

    // onGetText decides the text of every row, not only the current one.
    price->onGetText = [](const Field &f, bool display) {
        return (display ? QStringLiteral("R$ ") : QString()) + f.asString();
    };
    QCOMPARE(m_model->index(1, 0).data().toString(), QStringLiteral("R$ 1,5"));
    QCOMPARE(m_model->index(1, 0).data(Qt::EditRole).toString(), QStringLiteral("1,5"));

    m_model->setColumnTitle(0, QStringLiteral("Preço"));
    QCOMPARE(m_model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Preço"));
    QCOMPARE(m_model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("CDPRODUTO"));
    m_model->setColumnReadOnly(1, true);
    QVERIFY(!(m_model->flags(m_model->index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(m_model->flags(m_model->index(0, 0)) & Qt::ItemIsEditable);
    m_ds->setReadOnly(true);
    QVERIFY(!(m_model->flags(m_model->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!m_model->setData(m_model->index(0, 0), QStringLiteral("1")));
}

void tst_DataSetModel::editingACellEditsTheDataSetAndMovingPosts()
{
    QAbstractItemModelTester tester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_ds->setData(pricesPacket(4));
    const int priceCol = m_model->columnForField(QStringLiteral("VRPRECUNIITM"));
    QSignalSpy changed(m_model, &QAbstractItemModel::dataChanged);

    QVERIFY(m_model->setData(m_model->index(2, priceCol), QStringLiteral("1.234,5")));
    QCOMPARE(m_ds->state(), DataSetState::Edit);
    QCOMPARE(m_ds->recNo(), 3);
    QCOMPARE(m_ds->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 1234.5);
    QCOMPARE(m_model->index(2, priceCol).data(DataSetModel::FieldValueRole).toDouble(), 1234.5);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(m_ds->changeCount(), 0);

    // A non-string value goes in as it is.
    QVERIFY(m_model->setData(m_model->index(2, priceCol), 7.75));
    QCOMPARE(m_ds->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 7.75);

    // Editing another row posts the pending edit first.
    QVERIFY(m_model->setData(m_model->index(0, priceCol), 1.0));
    QCOMPARE(m_ds->changeCount(), 1);
    QCOMPARE(m_ds->recNo(), 1);
    QCOMPARE(m_model->index(2, priceCol).data(DataSetModel::UpdateStatusRole).toInt(), int(UpdateStatus::Modified));
    QCOMPARE(m_model->index(2, priceCol).data(DataSetModel::OldValueRole).toDouble(), 3.0);

    // Moving the current row through the model posts too.
    m_model->setCurrentRow(3);
    QCOMPARE(m_ds->state(), DataSetState::Browse);
    QCOMPARE(m_ds->changeCount(), 2);

    // An unreadable number is refused by the field and leaves the value.
    QVERIFY_THROWS_EXCEPTION(DataSetError, m_model->setData(m_model->index(3, priceCol), QStringLiteral("abc")));
    QCOMPARE(m_model->index(3, priceCol).data(DataSetModel::FieldValueRole).toDouble(), 4.5);
}

void tst_DataSetModel::cancelShowsTheOldValues()
{
    QAbstractItemModelTester tester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_ds->setData(pricesPacket(3));
    const QModelIndex cell = m_model->index(1, 0);
    m_model->setData(cell, QStringLiteral("XYZ"));
    QCOMPARE(cell.data().toString(), QStringLiteral("XYZ"));
    QSignalSpy changed(m_model, &QAbstractItemModel::dataChanged);
    m_ds->cancel();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 1);
    QCOMPARE(cell.data().toString(), QStringLiteral("P002"));

    // A cancelled insert disappears from the view.
    m_ds->append();
    QCOMPARE(m_model->rowCount(), 4);
    m_model->setData(m_model->index(3, 0), QStringLiteral("NEW"));
    QCOMPARE(m_model->index(3, 0).data().toString(), QStringLiteral("NEW"));
    m_ds->cancel();
    QCOMPARE(m_model->rowCount(), 3);
}

void tst_DataSetModel::currentRowFollowsTheDataSetBothWays()
{
    m_ds->setData(pricesPacket(5));
    QSignalSpy modelRow(m_model, &DataSetModel::currentRowChanged);
    m_ds->next();
    m_ds->next();
    QCOMPARE(modelRow.count(), 2);
    QCOMPARE(modelRow.last().at(0).toInt(), 2);
    m_model->setCurrentRow(4);
    QCOMPARE(m_ds->currentRow(), 4);
    QCOMPARE(m_ds->recNo(), 5);
    QCOMPARE(modelRow.last().at(0).toInt(), 4);
    m_ds->locate(QStringLiteral("CDPRODUTO"), QStringLiteral("P004"));
    QCOMPARE(modelRow.last().at(0).toInt(), 1);
    m_ds->deleteRecord();
    QCOMPARE(modelRow.last().at(0).toInt(), m_ds->currentRow());
    m_ds->setIndexFieldNames(QStringLiteral("CDPRODUTO"));
    QCOMPARE(modelRow.last().at(0).toInt(), m_ds->currentRow());
    QCOMPARE(m_model->index(m_ds->currentRow(), 0).data().toString(), QStringLiteral("P003"));
    // A refused move keeps the dataset where it was.
    m_ds->beforeScroll = [](ClientDataSet &) { throw DataSetError(QStringLiteral("no")); };
    const int row = m_ds->currentRow();
    QVERIFY_THROWS_EXCEPTION(DataSetError, m_model->setCurrentRow(0));
    QCOMPARE(m_ds->currentRow(), row);
}

void tst_DataSetModel::dataSourceRelaysAndSwitches()
{
    m_ds->setData(pricesPacket(2));
    QSignalSpy states(m_source, &DataSource::stateChanged);
    QSignalSpy data(m_source, &DataSource::dataChanged);
    m_ds->edit();
    QCOMPARE(states.count(), 1);
    QCOMPARE(m_source->state(), DataSetState::Edit);
    Field *f = m_ds->field(0);
    f->setAsString(QStringLiteral("A"));
    QCOMPARE(data.last().at(0).value<Field *>(), f);
    m_ds->post();
    QCOMPARE(data.last().at(0).value<Field *>(), nullptr);

    ClientDataSet other;
    other.setData(pricesPacket(7));
    QSignalSpy switched(m_source, &DataSource::dataSetChanged);
    QAbstractItemModelTester tester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_source->setDataSet(&other);
    QCOMPARE(switched.count(), 1);
    QCOMPARE(m_model->rowCount(), 7);
    m_source->setEnabled(false);
    data.clear();
    other.next();
    QCOMPARE(data.count(), 0);
    m_source->setEnabled(true);
    QCOMPARE(data.count(), 1);
    m_source->setDataSet(nullptr);
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(m_source->state(), DataSetState::Inactive);
}

QTEST_GUILESS_MAIN(tst_DataSetModel)
#include "tst_datasetmodel.moc"
