#include "ClientDataSet.h"

#include <QSignalSpy>
#include <QTest>

#include <stdexcept>
#include <utility>

namespace {

// Quotation items: product, brand, name, unit price, quantity, validity.
DataPacket itemsPacket()
{
    DataPacket p;
    p.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    p.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    p.addField(QStringLiteral("NMPRODUTO"), FieldType::String, 40);
    p.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    p.addField(QStringLiteral("QTITEM"), FieldType::Integer);
    p.addField(QStringLiteral("DTVALIDADE"), FieldType::Date);
    p.appendRow({QStringLiteral("P003"), QStringLiteral("M01"), QStringLiteral("Arroz"), 10.5, 3LL, QDate(2026, 12, 7)});
    p.appendRow({QStringLiteral("P001"), QStringLiteral("M02"), QStringLiteral("Feijão"), 7.25, 1LL, QDate(2026, 12, 8)});
    p.appendRow({QStringLiteral("P002"), QStringLiteral("m01"), QStringLiteral("Açúcar"), 4.0, 2LL, QVariant()});
    p.appendRow({QStringLiteral("P001"), QStringLiteral("M01"), QStringLiteral("Feijão preto"), 8.0, 5LL, QDate(2026, 12, 9)});
    return p;
}

struct Abort : std::runtime_error
{
    Abort() : std::runtime_error("abort") {}
};

QString product(ClientDataSet &ds) { return ds.fieldByName(QStringLiteral("CDPRODUTO"))->asString(); }

} // namespace

class tst_ClientDataSet : public QObject
{
    Q_OBJECT

private slots:
    void loadOpensOnFirstRecordWithEvents();
    void fieldsKeepIdentityAcrossReloads();
    void oldValueIsTheLoadedValueAfterSeveralEdits();
    void oldValueFollowsMerge();
    void deltaOfInsertThenDeleteIsEmpty();
    void deltaOfEditThenDeleteCarriesOriginalValues();
    void deltaOfEditedInsertIsAnInsertWithNewestValues();
    void deltaOfModifyCarriesOldAndNewValues();
    void editBackToOriginalDropsOutOfDelta();
    void abortInBeforePostKeepsEditStateAndValues();
    void abortInBeforeEventsLeavesDataSetAsItWas();
    void abortInOnNewRecordDropsTheNewRecord();
    void locateCaseInsensitiveOnTwoFields();
    void locatePartialKeyAndLookup();
    void locateSeesPostedChangesInsertsAndMerges();
    void firstLocateOverManyBlocksFindsTheFirstMatch_data();
    void firstLocateOverManyBlocksFindsTheFirstMatch();
    void indexOrdersRecordsAndPlacesPostedRecords();
    void namedIndexIsCaseInsensitive();
    void cancelUpdatesRestoresOriginalRows();
    void logChangesOffChangesTheOriginals();
    void calculatedFieldsForAnyRow();
    void requiredFieldRefusesPost();
    void writingOutsideEditIsRefused();
    void fieldTextsAndHooks();
    void movingWhileEditingPostsAndUntouchedInsertIsDropped();
    void testBugEditorTextLostWhenMovingOffTheRecord();
    void navigationBofEofAndScrollEvents();
    void rowSignalsForViews();
    void disableControlsIsNestedAndResetsOnEnable();
    void createDataSetAndCopyDataFrom();
    void manyInsertsAndDeletesKeepTheOrder();
};

void tst_ClientDataSet::loadOpensOnFirstRecordWithEvents()
{
    ClientDataSet ds;
    QStringList events;
    ds.afterOpen = [&](ClientDataSet &) { events << QStringLiteral("afterOpen"); };
    ds.afterScroll = [&](ClientDataSet &d) { events << QStringLiteral("afterScroll:%1").arg(d.recNo()); };
    QSignalSpy states(&ds, &ClientDataSet::stateChanged);
    ds.setData(itemsPacket());
    QCOMPARE(events, QStringList({QStringLiteral("afterOpen"), QStringLiteral("afterScroll:1")}));
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(states.count(), 1);
    QCOMPARE(ds.recordCount(), 4);
    QCOMPARE(ds.changeCount(), 0);
    QVERIFY(ds.bof());
    QCOMPARE(product(ds), QStringLiteral("P003"));
    QCOMPARE(ds.fieldByName(QStringLiteral("vrprecuniitm"))->asFloat(), 10.5);
    QVERIFY(ds.fieldByName(QStringLiteral("DTVALIDADE")) != nullptr);
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.fieldByName(QStringLiteral("NOPE")));
    QCOMPARE(ds.findField(QStringLiteral("NOPE")), nullptr);
}

void tst_ClientDataSet::fieldsKeepIdentityAcrossReloads()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    Field *price = ds.fieldByName(QStringLiteral("VRPRECUNIITM"));
    price->setDisplayFormat(QStringLiteral("#,##0.00000"));
    price->setDisplayLabel(QStringLiteral("Preço"));
    Field *calc = ds.addCalculatedField(QStringLiteral("TOTAL"), FieldType::Float);

    DataPacket second = itemsPacket();
    second.rows().removeLast();
    ds.setData(second);
    QCOMPARE(ds.fieldByName(QStringLiteral("VRPRECUNIITM")), price);
    QCOMPARE(ds.fieldByName(QStringLiteral("TOTAL")), calc);
    QCOMPARE(price->displayText(), QStringLiteral("10,50000"));
    QCOMPARE(price->displayLabel(), QStringLiteral("Preço"));
    QCOMPARE(ds.recordCount(), 3);

    // A packet without a field: the dataset drops it, a stale pointer fails cleanly.
    DataPacket narrow;
    narrow.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    narrow.appendRow({QStringLiteral("X")});
    ds.setData(narrow);
    QCOMPARE(ds.findField(QStringLiteral("VRPRECUNIITM")), nullptr);
    QVERIFY_THROWS_EXCEPTION(DataSetError, price->value());
}

void tst_ClientDataSet::oldValueIsTheLoadedValueAfterSeveralEdits()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    Field *price = ds.fieldByName(QStringLiteral("VRPRECUNIITM"));
    for (double v : {11.0, 12.0, 13.0}) {
        ds.edit();
        price->setAsFloat(v);
        QCOMPARE(price->oldValue().toDouble(), 10.5);
        ds.post();
    }
    QCOMPARE(price->value().toDouble(), 13.0);
    QCOMPARE(price->oldValue().toDouble(), 10.5);
    QCOMPARE(ds.updateStatus(), UpdateStatus::Modified);
    QCOMPARE(ds.changeCount(), 1);
}

void tst_ClientDataSet::oldValueFollowsMerge()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    Field *price = ds.fieldByName(QStringLiteral("VRPRECUNIITM"));
    ds.edit();
    price->setAsFloat(20);
    ds.post();
    ds.last();
    ds.deleteRecord();
    ds.append();
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P009"));
    ds.post();
    QCOMPARE(ds.changeCount(), 3);
    QSignalSpy merged(&ds, &ClientDataSet::valuesChanged);
    ds.mergeChangeLog();
    QCOMPARE(merged.count(), 1);
    QCOMPARE(ds.changeCount(), 0);
    QVERIFY(ds.delta().isEmpty());
    QCOMPARE(ds.recordCount(), 4);
    ds.first();
    QCOMPARE(price->oldValue().toDouble(), 20.0);
    QCOMPARE(ds.updateStatus(), UpdateStatus::Unmodified);
    ds.last();
    QCOMPARE(ds.fieldByName(QStringLiteral("CDPRODUTO"))->oldValue().toString(), QStringLiteral("P009"));
    // cancelUpdates after a merge goes back to the merged state only
    ds.cancelUpdates();
    QCOMPARE(ds.recordCount(), 4);
}

void tst_ClientDataSet::deltaOfInsertThenDeleteIsEmpty()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.append();
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P100"));
    ds.post();
    QCOMPARE(ds.changeCount(), 1);
    QCOMPARE(ds.updateStatus(), UpdateStatus::Inserted);
    QVERIFY(ds.fieldByName(QStringLiteral("CDPRODUTO"))->oldValue().isNull());
    ds.deleteRecord();
    QCOMPARE(ds.changeCount(), 0);
    const DataPacket delta = ds.delta();
    QVERIFY(delta.isDelta());
    QVERIFY(delta.changes().isEmpty());
}

void tst_ClientDataSet::deltaOfEditThenDeleteCarriesOriginalValues()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.next();
    ds.edit();
    ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(99);
    ds.post();
    ds.deleteRecord();
    const DataPacket delta = ds.delta();
    QCOMPARE(delta.changes().size(), 1);
    const DeltaRow &row = delta.changes().first();
    QCOMPARE(row.kind, RowChange::Delete);
    QCOMPARE(row.oldValues, itemsPacket().rows().at(1));
    QVERIFY(row.newValues.isEmpty());
    QCOMPARE(ds.changeCount(), 1);
}

void tst_ClientDataSet::deltaOfEditedInsertIsAnInsertWithNewestValues()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.append();
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P100"));
    ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(1);
    ds.post();
    ds.edit();
    ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(2);
    ds.post();
    const DataPacket delta = ds.delta();
    QCOMPARE(delta.changes().size(), 1);
    QCOMPARE(delta.changes().first().kind, RowChange::Insert);
    QVERIFY(delta.changes().first().oldValues.isEmpty());
    QCOMPARE(delta.changes().first().newValues.at(3).toDouble(), 2.0);
    QCOMPARE(delta.changes().first().newValues.at(0).toString(), QStringLiteral("P100"));
}

void tst_ClientDataSet::deltaOfModifyCarriesOldAndNewValues()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.edit();
    ds.fieldByName(QStringLiteral("NMPRODUTO"))->setAsString(QStringLiteral("Arroz integral"));
    ds.post();
    ds.edit();
    ds.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(30);
    ds.post();
    const DataPacket delta = ds.delta();
    QCOMPARE(delta.fields(), itemsPacket().fields());
    QCOMPARE(delta.changes().size(), 1);
    const DeltaRow &row = delta.changes().first();
    QCOMPARE(row.kind, RowChange::Modify);
    QCOMPARE(row.oldValues, itemsPacket().rows().at(0));
    QCOMPARE(row.newValues.at(2).toString(), QStringLiteral("Arroz integral"));
    QCOMPARE(row.newValues.at(4).toLongLong(), 30);
    QCOMPARE(row.newValues.at(0).toString(), QStringLiteral("P003"));
}

void tst_ClientDataSet::editBackToOriginalDropsOutOfDelta()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    Field *price = ds.fieldByName(QStringLiteral("VRPRECUNIITM"));
    ds.edit();
    price->setAsFloat(1);
    ds.post();
    QCOMPARE(ds.changeCount(), 1);
    ds.edit();
    price->setAsFloat(10.5);
    ds.post();
    QCOMPARE(ds.changeCount(), 0);
    QCOMPARE(ds.updateStatus(), UpdateStatus::Unmodified);
}

void tst_ClientDataSet::abortInBeforePostKeepsEditStateAndValues()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.beforePost = [](ClientDataSet &) { throw Abort(); };
    ds.edit();
    ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(55);
    QVERIFY_THROWS_EXCEPTION(Abort, ds.post());
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 55.0);
    QCOMPARE(ds.changeCount(), 0);
    // Moving away posts, so the refusal keeps the record where it is too.
    QVERIFY_THROWS_EXCEPTION(Abort, ds.next());
    QCOMPARE(ds.recNo(), 1);
    QCOMPARE(ds.state(), DataSetState::Edit);
    ds.beforePost = nullptr;
    ds.next();
    QCOMPARE(ds.changeCount(), 1);
}

void tst_ClientDataSet::abortInBeforeEventsLeavesDataSetAsItWas()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.next();
    ds.edit();
    ds.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(9);
    ds.post();
    const DataPacket before = ds.data();
    const DataPacket deltaBefore = ds.delta();
    QSignalSpy rows(&ds, &ClientDataSet::rowInserted);
    QSignalSpy removed(&ds, &ClientDataSet::rowRemoved);

    auto unchanged = [&] {
        QCOMPARE(ds.state(), DataSetState::Browse);
        QCOMPARE(ds.recNo(), 2);
        QCOMPARE(ds.recordCount(), 4);
        QVERIFY(ds.data() == before);
        QVERIFY(ds.delta() == deltaBefore);
        QCOMPARE(rows.count(), 0);
        QCOMPARE(removed.count(), 0);
    };
    ds.beforeDelete = [](ClientDataSet &) { throw Abort(); };
    QVERIFY_THROWS_EXCEPTION(Abort, ds.deleteRecord());
    unchanged();
    ds.beforeDelete = nullptr;

    ds.beforeInsert = [](ClientDataSet &) { throw Abort(); };
    QVERIFY_THROWS_EXCEPTION(Abort, ds.insert());
    QVERIFY_THROWS_EXCEPTION(Abort, ds.append());
    unchanged();
    ds.beforeInsert = nullptr;

    ds.beforeEdit = [](ClientDataSet &) { throw Abort(); };
    QVERIFY_THROWS_EXCEPTION(Abort, ds.edit());
    unchanged();
    ds.beforeEdit = nullptr;

    ds.beforeScroll = [](ClientDataSet &) { throw Abort(); };
    QVERIFY_THROWS_EXCEPTION(Abort, ds.next());
    QVERIFY_THROWS_EXCEPTION(Abort, ds.insert());
    QVERIFY_THROWS_EXCEPTION(Abort, ds.locate(QStringLiteral("CDPRODUTO"), QStringLiteral("P002")));
    unchanged();
}

void tst_ClientDataSet::abortInOnNewRecordDropsTheNewRecord()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.onNewRecord = [](ClientDataSet &) { throw Abort(); };
    QVERIFY_THROWS_EXCEPTION(Abort, ds.append());
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.recordCount(), 4);
    QCOMPARE(ds.recNo(), 1);

    // Defaults set by onNewRecord alone do not count as a change of the new record.
    ds.onNewRecord = [](ClientDataSet &d) { d.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(1); };
    ds.append();
    QCOMPARE(ds.fieldByName(QStringLiteral("QTITEM"))->asInteger(), 1);
    QVERIFY(!ds.modified());
}

void tst_ClientDataSet::locateCaseInsensitiveOnTwoFields()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    const QString key = QStringLiteral("CDPRODUTO;CDMARCA");
    QVERIFY(ds.locate(key, QVariantList{QStringLiteral("p002"), QStringLiteral("M01")},
                      LocateOption::CaseInsensitive));
    QCOMPARE(ds.recNo(), 3);
    QVERIFY(!ds.locate(key, QVariantList{QStringLiteral("p002"), QStringLiteral("M01")}));
    QCOMPARE(ds.recNo(), 3); // a failed locate stays put
    QVERIFY(ds.locate(key, QVariantList{QStringLiteral("P001"), QStringLiteral("M01")}));
    QCOMPARE(ds.fieldByName(QStringLiteral("NMPRODUTO"))->asString(), QStringLiteral("Feijão preto"));
    // Non-string keys are converted to the field type.
    QVERIFY(ds.locate(QStringLiteral("QTITEM"), 1));
    QCOMPARE(ds.recNo(), 2);
    QVERIFY(ds.locate(QStringLiteral("DTVALIDADE"), QVariant()));
    QCOMPARE(ds.recNo(), 3);
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.locate(key, QStringLiteral("P001")));
}

void tst_ClientDataSet::locatePartialKeyAndLookup()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    QVERIFY(ds.locate(QStringLiteral("NMPRODUTO"), QStringLiteral("FEIJÃO P"),
                      LocateOption::CaseInsensitive | LocateOption::PartialKey));
    QCOMPARE(ds.recNo(), 4);
    QVERIFY(!ds.locate(QStringLiteral("NMPRODUTO"), QStringLiteral("Feijão P"), LocateOption::PartialKey));
    QVERIFY(ds.locate(QStringLiteral("NMPRODUTO"), QStringLiteral("Feij"), LocateOption::PartialKey));
    QCOMPARE(ds.recNo(), 2);

    ds.first();
    QCOMPARE(ds.lookup(QStringLiteral("CDPRODUTO;CDMARCA"),
                       QVariantList{QStringLiteral("P001"), QStringLiteral("M01")},
                       QStringLiteral("NMPRODUTO")).toString(),
             QStringLiteral("Feijão preto"));
    const QVariantList both = ds.lookup(QStringLiteral("CDPRODUTO"), QStringLiteral("P002"),
                                        QStringLiteral("CDMARCA;QTITEM")).toList();
    QCOMPARE(both, QVariantList({QStringLiteral("m01"), 2LL}));
    QVERIFY(ds.lookup(QStringLiteral("CDPRODUTO"), QStringLiteral("X"), QStringLiteral("CDMARCA")).isNull());
    QCOMPARE(ds.recNo(), 1);
}

void tst_ClientDataSet::locateSeesPostedChangesInsertsAndMerges()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    const QString key = QStringLiteral("CDPRODUTO");
    QVERIFY(ds.locate(key, QStringLiteral("P002")));
    ds.edit();
    ds.fieldByName(key)->setAsString(QStringLiteral("Q002"));
    ds.post();
    QVERIFY(!ds.locate(key, QStringLiteral("P002")));
    QVERIFY(ds.locate(key, QStringLiteral("q002"), LocateOption::CaseInsensitive));

    ds.append();
    ds.fieldByName(key)->setAsString(QStringLiteral("X1"));
    ds.cancel(); // the cancelled record must not be found, nor leave a trace
    QVERIFY(!ds.locate(key, QStringLiteral("X1")));
    ds.append();
    ds.fieldByName(key)->setAsString(QStringLiteral("X2"));
    ds.post();
    ds.first();
    QVERIFY(ds.locate(key, QStringLiteral("X2")));
    QCOMPARE(ds.recNo(), 5);

    ds.first();
    ds.deleteRecord();
    ds.mergeChangeLog();
    QVERIFY(ds.locate(key, QStringLiteral("X2")));
    QCOMPARE(ds.recNo(), 4);
    QVERIFY(ds.locate(QStringLiteral("CDMARCA"), QStringLiteral("M02"))); // a digest built after the merge
    QCOMPARE(ds.recNo(), 1);
    QVERIFY(ds.locate(key, QStringLiteral("x"), LocateOption::PartialKey | LocateOption::CaseInsensitive));
    QVERIFY(!ds.locate(key, QStringLiteral("P003")));
    ds.cancelUpdates();
    QVERIFY(ds.locate(key, QStringLiteral("Q002")));
}

void tst_ClientDataSet::firstLocateOverManyBlocksFindsTheFirstMatch_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("one thread") << 3000;
    // Enough records for the scan to be shared out in chunks among threads.
    QTest::newRow("shared among threads") << 40000;
}

// The first locate on a field after a load is a plain scan that reads records ahead of
// the one it compares, across the blocks of the view, and on a large dataset in chunks on
// several threads at once.  In index order, with deleted, inserted and null values, with
// keys found in many chunks, in two chunks far apart or only in the last, it must find
// exactly the record a walk over the rows finds, and the second search (through the
// field's digest) agrees.
void tst_ClientDataSet::firstLocateOverManyBlocksFindsTheFirstMatch()
{
    QFETCH(int, rows);
    DataPacket p;
    p.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    p.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    p.addField(QStringLiteral("QTITEM"), FieldType::Integer);
    for (int i = 0; i < rows; ++i) {
        // The view runs by QTITEM descending: "MID00" lies at rows far apart, "LATE0"
        // near the end.
        const QString code = i == 5000 || i == 20000 ? QStringLiteral("MID00")
                             : i == 100              ? QStringLiteral("LATE0")
                                                     : QStringLiteral("P%1").arg(i % 1500, 5, 10, QLatin1Char('0'));
        p.appendRow({i % 97 == 0 ? QVariant() : QVariant(code), QStringLiteral("M%1").arg(i % 7), qlonglong(i)});
    }
    auto prepare = [&](ClientDataSet &ds) {
        ds.setData(p);
        ds.addIndex(QStringLiteral("DESC"), QStringLiteral("QTITEM"), IndexOption::Descending);
        ds.setIndexName(QStringLiteral("DESC"));
        for (int recNo : {5, 600, 1500}) { // deletes in several blocks
            ds.setRecNo(recNo);
            ds.deleteRecord();
        }
        ds.setRecNo(1000);
        ds.insert();
        ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("p00010"));
        ds.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(-1);
        ds.post();
        ds.first();
    };
    auto expected = [](ClientDataSet &ds, const QVariant &key, bool ci) {
        for (int row = 0; row < ds.recordCount(); ++row) {
            const QVariant v = ds.valueAt(row, 0);
            if (!key.isValid() ? v.isNull()
                               : (!v.isNull() && v.toString().compare(key.toString(), ci ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0))
                return row + 1;
        }
        return 0;
    };
    const QVariantList keys{QStringLiteral("P01499"), QStringLiteral("P00000"), QStringLiteral("P00010"),
                            QStringLiteral("p00010"), QStringLiteral("P00513"), QStringLiteral("P01024"),
                            QStringLiteral("P09999"), QStringLiteral("mid00"),  QStringLiteral("LATE0"),
                            QVariant()};
    for (const QVariant &key : keys) {
        for (bool ci : {false, true}) {
            ClientDataSet ds;
            prepare(ds);
            const int want = expected(ds, key, ci);
            const LocateOptions options = ci ? LocateOptions(LocateOption::CaseInsensitive) : LocateOptions();
            const bool found = ds.locate(QStringLiteral("CDPRODUTO"), key, options);
            QCOMPARE(found, want > 0);
            if (found)
                QCOMPARE(ds.recNo(), want);
            ds.first();
            QCOMPARE(ds.locate(QStringLiteral("CDPRODUTO"), key, options), want > 0); // through the digest
            if (found)
                QCOMPARE(ds.recNo(), want);
        }
    }
}

void tst_ClientDataSet::indexOrdersRecordsAndPlacesPostedRecords()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.locate(QStringLiteral("CDPRODUTO"), QStringLiteral("P002"));
    QSignalSpy resets(&ds, &ClientDataSet::dataReset);
    ds.setIndexFieldNames(QStringLiteral("CDPRODUTO;CDMARCA"));
    QCOMPARE(resets.count(), 1);
    QCOMPARE(product(ds), QStringLiteral("P002")); // the current record is kept
    auto order = [&] {
        QStringList keys;
        for (int r = 0; r < ds.recordCount(); ++r)
            keys << ds.valueAt(r, 0).toString() + u'/' + ds.valueAt(r, 1).toString();
        return keys;
    };
    QCOMPARE(order(), QStringList({"P001/M01", "P001/M02", "P002/m01", "P003/M01"}));

    ds.append();
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P0015"));
    ds.fieldByName(QStringLiteral("CDMARCA"))->setAsString(QStringLiteral("M01"));
    ds.post();
    QCOMPARE(order(), QStringList({"P001/M01", "P001/M02", "P0015/M01", "P002/m01", "P003/M01"}));
    QCOMPARE(ds.recNo(), 3);

    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P004"));
    ds.post();
    QCOMPARE(order().last(), QStringLiteral("P004/M01"));
    QCOMPARE(ds.recNo(), 5);

    ds.setIndexFieldNames(QString());
    QCOMPARE(order(), QStringList({"P003/M01", "P001/M02", "P002/m01", "P004/M01", "P0015/M01"}));
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setIndexFieldNames(QStringLiteral("NOPE")));
    QCOMPARE(ds.indexFieldNames(), QString());
}

void tst_ClientDataSet::namedIndexIsCaseInsensitive()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.addIndex(QStringLiteral("ixPreco"), QStringLiteral("VRPRECUNIITM"), IndexOption::Descending);
    ds.addIndex(QStringLiteral("ixMarca"), QStringLiteral("CDMARCA;CDPRODUTO"), IndexOption::CaseInsensitive);
    ds.setIndexName(QStringLiteral("IXPRECO"));
    QCOMPARE(ds.valueAt(0, 3).toDouble(), 10.5);
    QCOMPARE(ds.valueAt(3, 3).toDouble(), 4.0);
    ds.setIndexName(QStringLiteral("ixmarca"));
    QCOMPARE(ds.valueAt(0, 0).toString(), QStringLiteral("P001"));
    QCOMPARE(ds.valueAt(1, 1).toString(), QStringLiteral("m01"));
    QCOMPARE(ds.valueAt(2, 0).toString(), QStringLiteral("P003"));
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setIndexName(QStringLiteral("nope")));
    // The index survives a reload.
    ds.setData(itemsPacket());
    QCOMPARE(ds.valueAt(1, 1).toString(), QStringLiteral("m01"));
}

void tst_ClientDataSet::cancelUpdatesRestoresOriginalRows()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.edit();
    ds.fieldByName(QStringLiteral("NMPRODUTO"))->setAsString(QStringLiteral("x"));
    ds.post();
    ds.next();
    ds.deleteRecord();
    ds.append();
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P100"));
    ds.post();
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(77); // pending edit is cancelled too
    QCOMPARE(ds.changeCount(), 3);
    ds.cancelUpdates();
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.changeCount(), 0);
    QVERIFY(ds.data() == itemsPacket());
}

void tst_ClientDataSet::logChangesOffChangesTheOriginals()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.setLogChanges(false);
    ds.edit();
    ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(1);
    ds.post();
    ds.append();
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P100"));
    ds.post();
    ds.first();
    ds.next();
    ds.deleteRecord();
    QCOMPARE(ds.changeCount(), 0);
    QVERIFY(ds.delta().isEmpty());
    ds.first();
    QCOMPARE(ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->oldValue().toDouble(), 1.0);
    ds.cancelUpdates();
    QCOMPARE(ds.recordCount(), 4);
    QCOMPARE(ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 1.0);

    // A change logged before the log was switched off stays in the delta with its original.
    ds.setLogChanges(true);
    ds.edit();
    ds.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(50);
    ds.post();
    ds.setLogChanges(false);
    ds.edit();
    ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(2);
    ds.post();
    const DataPacket delta = ds.delta();
    QCOMPARE(delta.changes().size(), 1);
    QCOMPARE(delta.changes().first().oldValues.at(3).toDouble(), 2.0);
    QCOMPARE(delta.changes().first().oldValues.at(4).toLongLong(), 3);
    QCOMPARE(delta.changes().first().newValues.at(4).toLongLong(), 50);
}

void tst_ClientDataSet::calculatedFieldsForAnyRow()
{
    ClientDataSet ds;
    Field *total = ds.addCalculatedField(QStringLiteral("VRTOTAL"), FieldType::Float);
    int calls = 0;
    ds.onCalcFields = [&](ClientDataSet &d) {
        ++calls;
        d.fieldByName(QStringLiteral("VRTOTAL"))->setAsFloat(
                d.fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat()
                * d.fieldByName(QStringLiteral("QTITEM"))->asFloat());
    };
    ds.setData(itemsPacket());
    const int col = total->index();
    QCOMPARE(col, 6);
    QCOMPARE(total->asFloat(), 31.5);
    QCOMPARE(ds.valueAt(3, col).toDouble(), 40.0);
    QCOMPARE(ds.recNo(), 1);
    QVERIFY(calls >= 2);
    // While editing, the calculated value follows the typed values.
    ds.edit();
    ds.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(10);
    QCOMPARE(total->asFloat(), 105.0);
    QCOMPARE(ds.valueAt(0, col).toDouble(), 105.0);
    ds.cancel();
    QCOMPARE(total->asFloat(), 31.5);
    QVERIFY_THROWS_EXCEPTION(DataSetError, total->setAsFloat(1));
    // onCalcFields may not change data fields.
    ds.onCalcFields = [](ClientDataSet &d) { d.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(1); };
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.valueAt(0, col));
    QCOMPARE(ds.fieldByName(QStringLiteral("QTITEM"))->asInteger(), 3);
}

void tst_ClientDataSet::requiredFieldRefusesPost()
{
    DataPacket p = itemsPacket();
    p.setFields({});
    p.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10, true);
    p.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    p.rows().clear();
    ClientDataSet ds;
    ds.setData(p);
    ds.append();
    ds.fieldByName(QStringLiteral("CDMARCA"))->setAsString(QStringLiteral("M1"));
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.post());
    QCOMPARE(ds.state(), DataSetState::Insert);
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P1"));
    ds.post();
    QCOMPARE(ds.recordCount(), 1);
    // A required flag set by the form survives a reload.
    ds.fieldByName(QStringLiteral("CDMARCA"))->setRequired(true);
    ds.setData(p);
    ds.append();
    ds.fieldByName(QStringLiteral("CDPRODUTO"))->setAsString(QStringLiteral("P1"));
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.post());
}

void tst_ClientDataSet::writingOutsideEditIsRefused()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    Field *name = ds.fieldByName(QStringLiteral("NMPRODUTO"));
    QVERIFY_THROWS_EXCEPTION(DataSetError, name->setAsString(QStringLiteral("x")));
    QCOMPARE(name->asString(), QStringLiteral("Arroz"));
    ds.edit();
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.fieldByName(QStringLiteral("QTITEM"))->setText(QStringLiteral("abc")));
    ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->setText(QStringLiteral("1.234,50"));
    QCOMPARE(ds.fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 1234.5);
    ds.cancel();

    ds.setReadOnly(true);
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.edit());
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.insert());
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.append());
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.deleteRecord());
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.recordCount(), 4);
}

void tst_ClientDataSet::fieldTextsAndHooks()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    Field *price = ds.fieldByName(QStringLiteral("VRPRECUNIITM"));
    Field *date = ds.fieldByName(QStringLiteral("DTVALIDADE"));
    Field *name = ds.fieldByName(QStringLiteral("NMPRODUTO"));
    price->setDisplayFormat(QStringLiteral("#,##0.00000"));
    price->setEditFormat(QStringLiteral("#0.00"));
    QCOMPARE(price->displayText(), QStringLiteral("10,50000"));
    QCOMPARE(price->text(), QStringLiteral("10,50"));
    QCOMPARE(date->displayText(), QStringLiteral("07/12/2026"));
    QCOMPARE(ds.displayTextAt(2, date->index()), QString()); // null date
    QVERIFY(!date->isNull());

    QStringList changes;
    price->onChange = [&](Field &f) { changes << f.text(); };
    name->onSetText = [](Field &f, const QString &text) { f.setValue(text.toUpper()); };
    name->onGetText = [](const Field &f, bool display) {
        return display ? QStringLiteral("<%1>").arg(f.asString()) : f.asString();
    };
    ds.edit();
    price->setText(QStringLiteral("2.000,125"));
    QCOMPARE(price->asFloat(), 2000.125);
    QCOMPARE(changes, QStringList({QStringLiteral("2000,13")}));
    name->setText(QStringLiteral("arroz"));
    QCOMPARE(name->displayText(), QStringLiteral("<ARROZ>"));
    QCOMPARE(name->text(), QStringLiteral("ARROZ"));
    date->setText(QStringLiteral("31/12/2026"));
    QCOMPARE(date->asDate(), QDate(2026, 12, 31));
    QVERIFY_THROWS_EXCEPTION(DataSetError, date->setText(QStringLiteral("31/02/2026")));
    price->setText(QString());
    QVERIFY(price->isNull());
    QCOMPARE(price->asFloat(), 0.0);
    // Strings are cut to the field size.
    ds.fieldByName(QStringLiteral("CDMARCA"))->setAsString(QStringLiteral("ABCDEFGH"));
    QCOMPARE(ds.fieldByName(QStringLiteral("CDMARCA"))->asString(), QStringLiteral("ABCDE"));
    ds.post();
    QCOMPARE(ds.changeCount(), 1);
}

void tst_ClientDataSet::movingWhileEditingPostsAndUntouchedInsertIsDropped()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    int posts = 0;
    ds.afterPost = [&](ClientDataSet &) { ++posts; };
    ds.edit();
    ds.fieldByName(QStringLiteral("QTITEM"))->setAsInteger(8);
    ds.next();
    QCOMPARE(posts, 1);
    QCOMPARE(ds.state(), DataSetState::Browse);
    QCOMPARE(ds.valueAt(0, 4).toLongLong(), 8);

    ds.insert(); // before record 2
    QCOMPARE(ds.recordCount(), 5);
    QCOMPARE(ds.recNo(), 2);
    ds.next();
    QCOMPARE(posts, 1);
    QCOMPARE(ds.recordCount(), 4);
    QCOMPARE(product(ds), QStringLiteral("P002"));
}

void tst_ClientDataSet::testBugEditorTextLostWhenMovingOffTheRecord()
{
    // A view writes what its open editor holds when asked; until then the record looks
    // untouched.  Moving off it must post that text, not cancel the edit.
    ClientDataSet ds;
    ds.setData(itemsPacket());
    QString pendingText;
    connect(&ds, &ClientDataSet::updateRecord, &ds, [&] {
        if (!pendingText.isEmpty())
            ds.fieldByName(QStringLiteral("NMPRODUTO"))->setValue(std::exchange(pendingText, QString()));
    });
    ds.edit();
    pendingText = QStringLiteral("Arroz integral");
    ds.next();
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(ds.changeCount(), 1);
    ds.first();
    QCOMPARE(ds.fieldByName(QStringLiteral("NMPRODUTO"))->asString(), QStringLiteral("Arroz integral"));

    // Nothing typed: the edit is still cancelled.
    ds.edit();
    ds.next();
    QCOMPARE(ds.changeCount(), 1);
    QCOMPARE(ds.state(), DataSetState::Browse);
}

void tst_ClientDataSet::navigationBofEofAndScrollEvents()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    int before = 0, after = 0;
    ds.beforeScroll = [&](ClientDataSet &) { ++before; };
    ds.afterScroll = [&](ClientDataSet &) { ++after; };
    QStringList seen;
    for (ds.first(); !ds.eof(); ds.next())
        seen << product(ds);
    QCOMPARE(seen, QStringList({"P003", "P001", "P002", "P001"}));
    QCOMPARE(before, 3);
    QCOMPARE(after, 3);
    ds.last();
    QVERIFY(ds.eof());
    ds.prior();
    QVERIFY(!ds.eof() && !ds.bof());
    ds.setRecNo(1);
    ds.prior();
    QVERIFY(ds.bof());
    QCOMPARE(after, 5);

    ds.emptyDataSet();
    QVERIFY(ds.isEmpty());
    QVERIFY(ds.bof() && ds.eof());
    QCOMPARE(ds.recNo(), 0);
    QCOMPARE(ds.currentRow(), -1);
    ds.close();
    QVERIFY_THROWS_EXCEPTION(DataSetError, ds.next());
}

void tst_ClientDataSet::rowSignalsForViews()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    ds.next();
    QSignalSpy inserted(&ds, &ClientDataSet::rowInserted);
    QSignalSpy removed(&ds, &ClientDataSet::rowRemoved);
    QSignalSpy changed(&ds, &ClientDataSet::rowChanged);
    QSignalSpy current(&ds, &ClientDataSet::currentRowChanged);
    QSignalSpy fieldSpy(&ds, &ClientDataSet::fieldChanged);

    ds.insert();
    QCOMPARE(inserted.takeFirst().at(0).toInt(), 1);
    ds.cancel();
    QCOMPARE(removed.takeFirst().at(0).toInt(), 1);
    QCOMPARE(ds.currentRow(), 1);

    ds.edit();
    Field *qt = ds.fieldByName(QStringLiteral("QTITEM"));
    qt->setAsInteger(4);
    QCOMPARE(fieldSpy.count(), 1);
    QCOMPARE(fieldSpy.first().at(0).value<Field *>(), qt);
    ds.cancel();
    QCOMPARE(changed.takeFirst().at(0).toInt(), 1);
    QCOMPARE(qt->asInteger(), 1);

    current.clear();
    ds.deleteRecord();
    QCOMPARE(removed.takeFirst().at(0).toInt(), 1);
    QCOMPARE(current.count(), 1);
    QCOMPARE(ds.recordCount(), 3);
}

void tst_ClientDataSet::disableControlsIsNestedAndResetsOnEnable()
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    QSignalSpy removed(&ds, &ClientDataSet::rowRemoved);
    QSignalSpy resets(&ds, &ClientDataSet::dataReset);
    ds.disableControls();
    ds.disableControls();
    while (ds.locate(QStringLiteral("CDPRODUTO"), QStringLiteral("p001"), LocateOption::CaseInsensitive))
        ds.deleteRecord();
    ds.enableControls();
    QVERIFY(ds.controlsDisabled());
    QCOMPARE(resets.count(), 0);
    ds.enableControls();
    QVERIFY(!ds.controlsDisabled());
    QCOMPARE(resets.count(), 1);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(ds.recordCount(), 2);
    QCOMPARE(ds.changeCount(), 2);
}

void tst_ClientDataSet::createDataSetAndCopyDataFrom()
{
    ClientDataSet src;
    src.addFieldDef(QStringLiteral("CDREGIAO"), FieldType::String, 3);
    src.addFieldDef(QStringLiteral("NRORDEM"), FieldType::Integer);
    src.createDataSet();
    QVERIFY(src.active());
    QVERIFY(src.isEmpty());
    for (int i = 0; i < 3; ++i) {
        src.append();
        src.fieldByName(QStringLiteral("CDREGIAO"))->setAsString(QStringLiteral("R%1").arg(i));
        src.fieldByName(QStringLiteral("NRORDEM"))->setValue(QStringLiteral("%1").arg(i));
        src.post();
    }
    QCOMPARE(src.fieldByName(QStringLiteral("NRORDEM"))->value().metaType().id(), int(QMetaType::LongLong));
    ClientDataSet copy;
    copy.copyDataFrom(src);
    QCOMPARE(copy.recordCount(), 3);
    QCOMPARE(copy.changeCount(), 0);
    QCOMPARE(copy.fieldDefs(), src.fieldDefs());
    QCOMPARE(copy.valueAt(2, 0).toString(), QStringLiteral("R2"));
    copy.setTag(99);
    QCOMPARE(copy.tag(), 99);
}

// Thousands of rows, so that the row order spans many blocks that split and empty.
void tst_ClientDataSet::manyInsertsAndDeletesKeepTheOrder()
{
    DataPacket p;
    p.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    QStringList reference;
    for (int i = 0; i < 3000; ++i) {
        reference << QStringLiteral("P%1").arg(i, 5, 10, QLatin1Char('0'));
        p.appendRow({reference.last()});
    }
    ClientDataSet ds;
    ds.setData(p);
    Field *code = ds.field(0);
    auto contents = [&] {
        QStringList list;
        for (int r = 0; r < ds.recordCount(); ++r)
            list << ds.valueAt(r, 0).toString();
        return list;
    };
    quint32 seed = 7;
    auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % quint32(bound));
    };
    for (int i = 0; i < 4000; ++i) {
        const int row = next(ds.recordCount());
        ds.setRecNo(row + 1);
        if (i % 3 == 2) {
            ds.deleteRecord();
            reference.removeAt(row);
        } else {
            ds.insert();
            code->setAsString(QStringLiteral("N%1").arg(i));
            ds.post();
            reference.insert(row, QStringLiteral("N%1").arg(i));
        }
        QCOMPARE(ds.currentRow(), std::min(row, ds.recordCount() - 1));
    }
    QCOMPARE(contents(), reference);
    // Inserting again and again at one place keeps the natural order (also after an
    // index is set and cleared).
    ds.setRecNo(10);
    for (int i = 0; i < 200; ++i) {
        ds.insert();
        code->setAsString(QStringLiteral("S%1").arg(i));
        ds.post();
        reference.insert(9, QStringLiteral("S%1").arg(i));
    }
    ds.setIndexFieldNames(QStringLiteral("CDPRODUTO"));
    ds.setIndexFieldNames(QString());
    QCOMPARE(contents(), reference);
    QVERIFY(ds.locate(QStringLiteral("CDPRODUTO"), reference.at(2500)));
    QCOMPARE(ds.recNo(), 2501);

    // Under an index, posted records go to their sorted place.
    ds.setIndexFieldNames(QStringLiteral("CDPRODUTO"));
    reference.sort();
    QCOMPARE(contents(), reference);
    for (int i = 0; i < 1500; ++i) {
        ds.setRecNo(next(ds.recordCount()) + 1);
        const QString value = QStringLiteral("M%1").arg(next(100000), 6, 10, QLatin1Char('0'));
        reference.removeOne(code->asString());
        ds.edit();
        code->setAsString(value);
        ds.post();
        reference.append(value);
        QCOMPARE(code->asString(), value);
    }
    reference.sort();
    QCOMPARE(contents(), reference);
    ds.cancelUpdates();
    QCOMPARE(ds.recordCount(), 3000);
    QCOMPARE(ds.changeCount(), 0);
    QVERIFY(ds.data() == p);
}

QTEST_GUILESS_MAIN(tst_ClientDataSet)
#include "tst_clientdataset.moc"
