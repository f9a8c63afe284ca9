#include "DateEdit.h"
#include "NumberEdit.h"
#include "SpinEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class tst_EmptyEdits : public QObject
{
    Q_OBJECT

private slots:
    void dateEditStartsEmpty();
    void dateEditReportsInvalidDateWithoutChangingIt();
    void dateEditReadsTypedDate();
    void spinEditCanBeEmpty();
    void spinEditKeepsRangeAndRefusesMinus();
    void numberEditReadsPtBrText_data();
    void numberEditReadsPtBrText();
    void numberEditFormatsAndLimitsDecimals();
};

void tst_EmptyEdits::dateEditStartsEmpty()
{
    DateEdit edit;
    QVERIFY(edit.isEmpty());
    QVERIFY(!edit.isValidDate());
    QVERIFY(edit.isAcceptable());
    QVERIFY(!edit.date().isValid());
    edit.setDate(QDate(2026, 12, 7));
    QVERIFY(!edit.isEmpty());
    edit.setDate(QDate());
    QVERIFY(edit.isEmpty());
}

void tst_EmptyEdits::dateEditReportsInvalidDateWithoutChangingIt()
{
    QWidget window;
    auto *edit = new DateEdit(&window);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy invalid(edit, &DateEdit::invalidDate);
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("31022026"));
    QVERIFY(!edit->isEmpty());
    QVERIFY(!edit->isValidDate());
    QVERIFY(!edit->isAcceptable());
    other->setFocus();
    QCOMPARE(invalid.count(), 1);
    QCOMPARE(edit->displayText(), QStringLiteral("31/02/2026"));

    // An incomplete date is not a date either.
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("0712"));
    QVERIFY(!edit->isValidDate());
    other->setFocus();
    QCOMPARE(invalid.count(), 2);
}

void tst_EmptyEdits::dateEditReadsTypedDate()
{
    DateEdit edit;
    edit.show();
    edit.setFocus();
    QSignalSpy changed(&edit, &DateEdit::changed);
    QTest::keyClicks(&edit, QStringLiteral("07122026"));
    QCOMPARE(edit.date(), QDate(2026, 12, 7));
    QVERIFY(edit.isValidDate());
    QVERIFY(changed.count() >= 1);
}

void tst_EmptyEdits::spinEditCanBeEmpty()
{
    SpinEdit spin;
    spin.setRange(1, 53);
    spin.setDigits(2);
    QVERIFY(spin.isEmpty());
    QCOMPARE(spin.value(), 0);
    spin.setValue(5);
    QCOMPARE(spin.text(), QStringLiteral("05"));
    spin.clear();
    QVERIFY(spin.isEmpty());
    spin.stepBy(1); // from empty, stepping starts at the minimum
    QCOMPARE(spin.value(), 1);
}

void tst_EmptyEdits::spinEditKeepsRangeAndRefusesMinus()
{
    QWidget window;
    auto *spin = new SpinEdit(&window);
    spin->setRange(1, 53);
    spin->setDigits(2);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    spin->setFocus();
    QTest::keyClicks(spin, QStringLiteral("-"));
    QVERIFY(spin->isEmpty());
    QTest::keyClicks(spin, QStringLiteral("60"));
    QCOMPARE(spin->value(), 53);
    other->setFocus();
    QCOMPARE(spin->text(), QStringLiteral("53"));
}

void tst_EmptyEdits::numberEditReadsPtBrText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("thousands and decimals") << "1.234,50" << 1234.5;
    QTest::newRow("plain") << "1234,5" << 1234.5;
    QTest::newRow("negative") << "-3,25" << -3.25;
    QTest::newRow("integer") << "42" << 42.0;
}

void tst_EmptyEdits::numberEditReadsPtBrText()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    NumberEdit edit;
    edit.setDecimals(2);
    edit.setText(text);
    QVERIFY(!edit.isEmpty());
    QCOMPARE(edit.value(), value);
}

void tst_EmptyEdits::numberEditFormatsAndLimitsDecimals()
{
    NumberEdit edit;
    edit.setDecimals(2);
    QVERIFY(edit.isEmpty());
    QCOMPARE(edit.value(), 0.0);
    edit.setValue(1234.5);
    QCOMPARE(edit.text(), QStringLiteral("1.234,50"));
    edit.clear();
    QVERIFY(edit.isEmpty());

    QWidget window;
    auto *typed = new NumberEdit(&window);
    typed->setDecimals(2);
    typed->setAllowNegative(false);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    typed->setFocus();
    QTest::keyClicks(typed, QStringLiteral("-1234,567"));
    QCOMPARE(typed->text(), QStringLiteral("1234,56"));
    other->setFocus();
    QCOMPARE(typed->text(), QStringLiteral("1.234,56"));
    QCOMPARE(typed->value(), 1234.56);
}

QTEST_MAIN(tst_EmptyEdits)
#include "tst_emptyedits.moc"
