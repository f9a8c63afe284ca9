#include "NumberFormat.h"

#include <QTest>

class tst_NumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void format_data();
    void format();
    void parse_data();
    void parse();
    void parseRoundTrip();
    void dates();
};

void tst_NumberFormat::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    QTest::newRow("thousands five decimals") << 1234.5 << "#,##0.00000" << "1.234,50000";
    QTest::newRow("millions") << 1234567.891 << "#,##0.00000" << "1.234.567,89100";
    QTest::newRow("no grouping") << 1234.5 << "#0.00000" << "1234,50000";
    QTest::newRow("three decimals") << 0.5 << "#,##0.000" << "0,500";
    QTest::newRow("percent literal") << 12.5 << "#0.00 %" << "12,50 %";
    QTest::newRow("negative") << -1234.5 << "#,##0.00000" << "-1.234,50000";
    QTest::newRow("negative percent") << -3.0 << "#0.00 %" << "-3,00 %";
    QTest::newRow("half away from zero") << 2.5 << "#0" << "3";
    QTest::newRow("negative half away") << -2.5 << "#0" << "-3";
    QTest::newRow("decimal half, binary below") << 1.005 << "#0.00" << "1,01";
    QTest::newRow("decimal half five places") << 0.123455 << "#0.00000" << "0,12346";
    QTest::newRow("carry into thousands") << 999.9996 << "#,##0.000" << "1.000,000";
    QTest::newRow("negative zero") << -0.0 << "#,##0.00000" << "0,00000";
    QTest::newRow("rounds to zero") << -0.000001 << "#,##0.00000" << "0,00000";
    QTest::newRow("optional decimals") << 1.5 << "#0.0##" << "1,5";
    QTest::newRow("large") << 98765432.1 << "#,##0.00" << "98.765.432,10";
    QTest::newRow("no mask") << 7.25 << "" << "7,25";
}

void tst_NumberFormat::format()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(NumberFormat::format(value, mask), expected);
}

void tst_NumberFormat::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("expected");

    QTest::newRow("masked") << "1.234,50" << true << 1234.5;
    QTest::newRow("plain comma") << "1234,5" << true << 1234.5;
    QTest::newRow("percent") << "12,50 %" << true << 12.5;
    QTest::newRow("negative integer") << "-3" << true << -3.0;
    QTest::newRow("negative masked") << "-1.234.567,891" << true << -1234567.891;
    QTest::newRow("leading comma") << ",5" << true << 0.5;
    QTest::newRow("typed dot decimal") << "1.5" << true << 1.5;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("letters") << "12a" << false << 0.0;
    QTest::newRow("two commas") << "1,2,3" << false << 0.0;
    QTest::newRow("lone sign") << "-" << false << 0.0;
}

void tst_NumberFormat::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, expected);
    double value = -1;
    QCOMPARE(NumberFormat::parse(text, &value), ok);
    QCOMPARE(value, expected);
}

void tst_NumberFormat::parseRoundTrip()
{
    const QStringList masks{"#,##0.00000", "#0.00000", "#,##0.000", "#0.00 %"};
    const double values[] = {0, 1, -1, 0.00001, 1234.56789, -98765.4321, 1000000, 12.5};
    for (const QString &mask : masks) {
        for (double v : values) {
            const QString text = NumberFormat::format(v, mask);
            double back = 0;
            QVERIFY2(NumberFormat::parse(text, &back), qPrintable(text));
            QCOMPARE(NumberFormat::format(back, mask), text);
        }
    }
}

void tst_NumberFormat::dates()
{
    QCOMPARE(NumberFormat::formatDate(QDate(2026, 12, 7)), QStringLiteral("07/12/2026"));
    QCOMPARE(NumberFormat::formatDateTime(QDateTime(QDate(2026, 12, 7), QTime(14, 30), Qt::UTC)),
             QStringLiteral("07/12/2026 14:30:00"));
    QCOMPARE(NumberFormat::formatDate(QDate()), QString());
    QCOMPARE(NumberFormat::parseDate(QStringLiteral("07/12/2026")), QDate(2026, 12, 7));
    QCOMPARE(NumberFormat::parseDate(QStringLiteral("7/2/2026")), QDate(2026, 2, 7));
    QCOMPARE(NumberFormat::parseDate(QStringLiteral("07122026")), QDate(2026, 12, 7));
    QVERIFY(!NumberFormat::parseDate(QStringLiteral("31/02/2026")).isValid());
    QVERIFY(!NumberFormat::parseDate(QStringLiteral("  /  /    ")).isValid());
}

QTEST_GUILESS_MAIN(tst_NumberFormat)
#include "tst_numberformat.moc"
