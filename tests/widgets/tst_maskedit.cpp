#include "ClientDataSet.h"
#include "DataSource.h"
#include "EditMask.h"
#include "MaskEdit.h"

#include <QApplication>
#include <QtTest>

class tst_MaskEdit : public QObject
{
    Q_OBJECT

private slots:
    void typedDigitsWithoutLiterals();
    void registrationMask();
    void productTreePictureSavesLiterals();
    void emptyEditHasNoValue();
    void formatForDisplay_data();
    void formatForDisplay();
    void caseConversion();
    void boundEditWritesField();
};

void tst_MaskEdit::typedDigitsWithoutLiterals()
{
    MaskEdit edit;
    edit.setEditMask(QStringLiteral("999;0; "));
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("007"));
    QCOMPARE(edit.text(), QStringLiteral("007"));
    // A fourth digit has no position left.
    QTest::keyClicks(&edit, QStringLiteral("8"));
    QCOMPARE(edit.text(), QStringLiteral("007"));

    MaskEdit wide;
    wide.setEditMask(QStringLiteral("99999999999999999999;0; "));
    wide.show();
    wide.setFocus();
    QTest::keyClicks(&wide, QStringLiteral("12a34"));
    QCOMPARE(wide.text(), QStringLiteral("1234")); // the letter is refused
}

void tst_MaskEdit::registrationMask()
{
    MaskEdit edit;
    edit.setEditMask(QStringLiteral("99.999.999/9999-99;0;_"));
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("12345678000199"));
    QCOMPARE(edit.text(), QStringLiteral("12345678000199"));
    QCOMPARE(edit.maskedText(), QStringLiteral("12.345.678/0001-99"));

    // A stored value (digits only) is shown in its positions.
    edit.setText(QStringLiteral("98765432000110"));
    QCOMPARE(edit.maskedText(), QStringLiteral("98.765.432/0001-10"));
    QCOMPARE(edit.text(), QStringLiteral("98765432000110"));

    // A value that already carries the literals reads the same.
    edit.setText(QStringLiteral("11.222.333/0001-81"));
    QCOMPARE(edit.text(), QStringLiteral("11222333000181"));
}

void tst_MaskEdit::productTreePictureSavesLiterals()
{
    MaskEdit edit;
    edit.setEditMask(QStringLiteral("9.99.999.9999"));
    QVERIFY(edit.mask().saveLiterals());
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("1010010001"));
    QCOMPARE(edit.text(), QStringLiteral("1.01.001.0001"));
    QCOMPARE(edit.mask().blank(), QLatin1Char('_'));
}

void tst_MaskEdit::emptyEditHasNoValue()
{
    for (const QString &mask : {QStringLiteral("999;0; "), QStringLiteral("9.99.999.9999"),
                                QStringLiteral("99.999.999/9999-99;0;_")}) {
        MaskEdit edit;
        edit.setEditMask(mask);
        QVERIFY2(edit.text().isEmpty(), qPrintable(mask));
        QVERIFY(edit.isEmpty());
        edit.setText(QStringLiteral("1"));
        QVERIFY(!edit.isEmpty());
        edit.setText(QString());
        QVERIFY2(edit.isEmpty(), qPrintable(mask));
    }
}

void tst_MaskEdit::formatForDisplay_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("cnpj") << "99.999.999/9999-99;0; " << "12345678000199" << "12.345.678/0001-99";
    QTest::newRow("cpf") << "999.999.999-99;0; " << "12345678909" << "123.456.789-09";
    QTest::newRow("short value keeps blanks") << "999.999;0;_" << "12" << "12_.___";
    QTest::newRow("quoted literal") << "\\9-99;0; " << "12" << "9-12";
}

void tst_MaskEdit::formatForDisplay()
{
    QFETCH(QString, mask);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    const EditMask m(mask);
    QCOMPARE(m.format(value), shown);
    QCOMPARE(m.value(m.format(value)), value);
}

void tst_MaskEdit::caseConversion()
{
    MaskEdit edit;
    edit.setEditMask(QStringLiteral(">LLL;0;_"));
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    QCOMPARE(edit.text(), QStringLiteral("ABC"));
}

void tst_MaskEdit::boundEditWritesField()
{
    ClientDataSet ds;
    ds.addFieldDef(QStringLiteral("NRINSJURFORN"), FieldType::String, 20);
    ds.createDataSet();
    ds.append();
    ds.fieldByName(QStringLiteral("NRINSJURFORN"))->setAsString(QStringLiteral("12345678909"));
    ds.post();
    DataSource source;
    source.setDataSet(&ds);

    MaskEdit edit;
    edit.setEditMask(QStringLiteral("999.999.999-99;0; "));
    edit.setDataField(&source, QStringLiteral("NRINSJURFORN"));
    QCOMPARE(edit.maskedText(), QStringLiteral("123.456.789-09"));
    edit.show();
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("98765432100"));
    QCOMPARE(ds.state(), DataSetState::Edit);
    QCOMPARE(ds.fieldByName(QStringLiteral("NRINSJURFORN"))->asString(), QStringLiteral("98765432100"));
    ds.cancel();
    QCOMPARE(edit.text(), QStringLiteral("12345678909"));
}

QTEST_MAIN(tst_MaskEdit)
#include "tst_maskedit.moc"
