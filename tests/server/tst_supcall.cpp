// sup-call's reading of typed arguments and its packet tables.

#include "CallArguments.h"
#include "DataPacket.h"

#include <QtTest>

class tst_SupCall : public QObject
{
    Q_OBJECT

private slots:
    void parseTyped_data();
    void parseTyped();
    void parseRefused_data();
    void parseRefused();
    void packetTableIsAligned();
    void deltaTableShowsChanges();
};

void tst_SupCall::parseTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("byRef");
    QTest::newRow("text") << "s:abc" << QVariant(QStringLiteral("abc")) << false;
    QTest::newRow("empty text") << "s:" << QVariant(QString()) << false;
    QTest::newRow("text that looks like a number") << "s:12" << QVariant(QStringLiteral("12")) << false;
    QTest::newRow("code stays text") << "0001" << QVariant(QStringLiteral("0001")) << false;
    QTest::newRow("integer") << "i:-12" << QVariant(qlonglong(-12)) << false;
    QTest::newRow("float") << "f:1.5" << QVariant(1.5) << false;
    QTest::newRow("boolean") << "b:false" << QVariant(false) << false;
    QTest::newRow("bare true") << "true" << QVariant(true) << false;
    QTest::newRow("date") << "d:2026-12-07" << QVariant(QDate(2026, 12, 7)) << false;
    QTest::newRow("bare date") << "2026-12-07" << QVariant(QDate(2026, 12, 7)) << false;
    QTest::newRow("date-time keeps wall clock")
        << "t:2026-12-07T10:00:00" << QVariant(QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC)) << false;
    QTest::newRow("null") << "null" << QVariant() << false;
    QTest::newRow("ref text") << "ref:s:T" << QVariant(QStringLiteral("T")) << true;
    QTest::newRow("ref date") << "ref:d:2026-01-31" << QVariant(QDate(2026, 1, 31)) << true;
    QTest::newRow("ref bare") << "ref:T" << QVariant(QStringLiteral("T")) << true;
}

void tst_SupCall::parseTyped()
{
    QFETCH(QString, text);
    QFETCH(QVariant, value);
    QFETCH(bool, byRef);
    CallArgument argument;
    QString error;
    QVERIFY2(CallArguments::parse(text, &argument, &error), qPrintable(error));
    QCOMPARE(argument.value.typeId(), value.typeId());
    QCOMPARE(argument.value, value);
    QCOMPARE(argument.byRef, byRef);
}

void tst_SupCall::parseRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("integer") << "i:1.5";
    QTest::newRow("float") << "f:abc";
    QTest::newRow("boolean") << "b:yes";
    QTest::newRow("date") << "d:2026-02-30";
    QTest::newRow("date-time") << "t:2026-12-07";
}

void tst_SupCall::parseRefused()
{
    QFETCH(QString, text);
    CallArgument argument;
    QString error;
    QVERIFY(!CallArguments::parse(text, &argument, &error));
    QVERIFY(error.contains(text));
}

void tst_SupCall::packetTableIsAligned()
{
    DataPacket packet;
    packet.addField(QStringLiteral("CDFILIAL"), FieldType::String, 4);
    packet.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
    packet.addField(QStringLiteral("DTCOLEPREC"), FieldType::DateTime);
    packet.appendRow({QStringLiteral("0001"), QStringLiteral("0000000001"),
                      QDateTime(QDate(2026, 12, 7), QTime(0, 0), Qt::UTC)});
    packet.appendRow({QStringLiteral("0010"), QStringLiteral("22"), QVariant()});
    const QStringList lines = CallArguments::formatPacket(packetVariant(packet));
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.at(0), QStringLiteral("CDFILIAL  NRCOLEPRECO  DTCOLEPREC"));
    QCOMPARE(lines.at(2), QStringLiteral("0001      0000000001   2026-12-07 00:00:00"));
    QCOMPARE(lines.at(3), QStringLiteral("0010      22"));
    QCOMPARE(lines.at(4), QStringLiteral("(2 rows)"));
}

void tst_SupCall::deltaTableShowsChanges()
{
    DataPacket delta;
    delta.setDelta(true);
    delta.addField(QStringLiteral("IDSITUCOLETA"), FieldType::String, 1);
    delta.appendChange({RowChange::Modify, {QStringLiteral("A")}, {QStringLiteral("C")}});
    delta.appendChange({RowChange::Delete, {QStringLiteral("A")}, {}});
    const QStringList lines = CallArguments::formatPacket(packetVariant(delta));
    QCOMPARE(lines.at(0), QStringLiteral("(change)    IDSITUCOLETA"));
    QCOMPARE(lines.at(2), QStringLiteral("modify old  A"));
    QCOMPARE(lines.at(3), QStringLiteral("modify new  C"));
    QCOMPARE(lines.at(4), QStringLiteral("delete      A"));
    QCOMPARE(lines.at(5), QStringLiteral("(2 changes)"));
}

QTEST_GUILESS_MAIN(tst_SupCall)
#include "tst_supcall.moc"
