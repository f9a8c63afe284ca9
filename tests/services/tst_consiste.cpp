#include "Consiste.h"
#include "DataPacket.h"
#include "DataSetError.h"
#include "NetError.h"
#include "TMessages.h"
#include "ScriptedUserInterface.h"
#include "ShowAvi.h"

#include <QTest>

using namespace Consiste;

class tst_Consiste : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_ui.clear(); setUserInterface(&m_ui); }
    void cleanup() { setUserInterface(nullptr); }

    void ajusta_data();
    void ajusta();
    void weekNumbersAtYearBoundaries_data();
    void weekNumbersAtYearBoundaries();
    void week53OnlyInYearsThatHaveIt();
    void dataSemanaFirstAndLastDays();
    void dataSemanaRoundTrip();
    void nomeSemanaAndUltDiaMes();
    void registrationMasks();
    void ajustaInscricaoNormalisesAndTypes_data();
    void ajustaInscricaoNormalisesAndTypes();
    void floatMaskOut_data();
    void floatMaskOut();
    void maxNumberKeepsLimits();
    void mensErroShowsThenThrows();
    void runGuardedStopsEveryException();
    void checkResultServStatusCodes();
    void checkResultServPackets();
    void showAviRemovedOnEveryPath();

private:
    ScriptedUserInterface m_ui;
};

void tst_Consiste::ajusta_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("region digit") << "7" << 3 << "007";
    QTest::newRow("blanks trimmed") << "  12 " << 3 << "012";
    QTest::newRow("operator text") << "comp1" << 12 << "comp1       ";
    QTest::newRow("brand mixed") << "A1" << 5 << "A1   ";
    QTest::newRow("already wide") << "123" << 3 << "123";
    QTest::newRow("longer kept") << "12345" << 3 << "12345";
    QTest::newRow("empty stays empty") << "   " << 3 << "";
    QTest::newRow("week") << "5" << 2 << "05";
}

void tst_Consiste::ajusta()
{
    QFETCH(QString, code);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(Ajusta(code, width), expected);
}

void tst_Consiste::weekNumbersAtYearBoundaries_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("week");
    QTest::addColumn<int>("weekYear");
    QTest::newRow("2020-12-31 week 53") << QDate(2020, 12, 31) << 53 << 2020;
    QTest::newRow("2021-01-03 still week 53 of 2020") << QDate(2021, 1, 3) << 53 << 2020;
    QTest::newRow("2021-01-04 week 1") << QDate(2021, 1, 4) << 1 << 2021;
    QTest::newRow("2021-12-31 week 52") << QDate(2021, 12, 31) << 52 << 2021;
    QTest::newRow("2024-12-30 week 1 of 2025") << QDate(2024, 12, 30) << 1 << 2025;
    QTest::newRow("2026-12-31 week 53") << QDate(2026, 12, 31) << 53 << 2026;
    QTest::newRow("2027-01-01 week 53 of 2026") << QDate(2027, 1, 1) << 53 << 2026;
    QTest::newRow("2027-01-04 week 1") << QDate(2027, 1, 4) << 1 << 2027;
}

void tst_Consiste::weekNumbersAtYearBoundaries()
{
    QFETCH(QDate, date);
    QFETCH(int, week);
    QFETCH(int, weekYear);
    QCOMPARE(NumeroSemana(date), week);
    QCOMPARE(AnoSemana(date), weekYear);
    QCOMPARE(NumeroSemana(QDate()), 0);
}

void tst_Consiste::week53OnlyInYearsThatHaveIt()
{
    QCOMPARE(SemanasAno(2020), 53);
    QCOMPARE(SemanasAno(2021), 52);
    QCOMPARE(SemanasAno(2026), 53);
    QCOMPARE(SemanasAno(2027), 52);
    // No date of a 52-week year is numbered 53.
    for (int year : {2021, 2022, 2023, 2025, 2027}) {
        for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
            if (AnoSemana(d) == year)
                QVERIFY2(NumeroSemana(d) <= 52, qPrintable(d.toString(Qt::ISODate)));
        }
    }
    // The forms' rule: 53 becomes 52 when December 31 lies in week 52.
    QCOMPARE(NumeroSemana(QDate(2021, 12, 31)), 52);
    QCOMPARE(NumeroSemana(QDate(2020, 12, 31)), 53);
    // Week 53 of a 52-week year gives week 52's days.
    QCOMPARE(DataSemana(53, u'I', 2021), DataSemana(52, u'I', 2021));
    QCOMPARE(DataSemana(53, u'F', 2027), QDate(2028, 1, 2));
}

void tst_Consiste::dataSemanaFirstAndLastDays()
{
    QCOMPARE(DataSemana(1, u'I', 2021), QDate(2021, 1, 4));
    QCOMPARE(DataSemana(1, u'F', 2021), QDate(2021, 1, 10));
    QCOMPARE(DataSemana(1, u'I', 2026), QDate(2025, 12, 29)); // week 1 starts in December
    QCOMPARE(DataSemana(53, u'I', 2020), QDate(2020, 12, 28));
    QCOMPARE(DataSemana(53, u'F', 2020), QDate(2021, 1, 3));
    QCOMPARE(DataSemana(53, u'F', 2026), QDate(2027, 1, 3));
    QCOMPARE(DataSemana(10, u'f', 2026).dayOfWeek(), 7);
    QCOMPARE(DataSemana(0, u'I', 2026), DataSemana(1, u'I', 2026));
}

void tst_Consiste::dataSemanaRoundTrip()
{
    for (int year : {2020, 2021, 2026, 2027}) {
        for (int w = 1; w <= SemanasAno(year); ++w) {
            const QDate first = DataSemana(w, u'I', year);
            const QDate last = DataSemana(w, u'F', year);
            QCOMPARE(first.dayOfWeek(), 1);
            QCOMPARE(first.daysTo(last), 6);
            QCOMPARE(NumeroSemana(first), w);
            QCOMPARE(NumeroSemana(last), w);
            QCOMPARE(AnoSemana(first), year);
        }
    }
}

void tst_Consiste::nomeSemanaAndUltDiaMes()
{
    QCOMPARE(NomeSemana(QDate(2026, 12, 7)).toLower(), QStringLiteral("segunda-feira"));
    QVERIFY(NomeSemana(QDate(2026, 12, 7)).at(0).isUpper());
    QCOMPARE(NomeSemana(QDate(2026, 12, 13)).toLower(), QStringLiteral("domingo"));
    QVERIFY(NomeSemana(QDate()).isEmpty());
    QCOMPARE(UltDiaMes(QDate(2024, 2, 10)), QDate(2024, 2, 29));
    QCOMPARE(UltDiaMes(QDate(2026, 2, 1)), QDate(2026, 2, 28));
    QCOMPARE(UltDiaMes(QDate(2026, 12, 31)), QDate(2026, 12, 31));
}

void tst_Consiste::registrationMasks()
{
    QCOMPARE(PictPess("J"), QStringLiteral("99.999.999/9999-99;0; "));
    QCOMPARE(PictPess("F"), QStringLiteral("999.999.999-99;0; "));
    QCOMPARE(PictPess("i").section(u';', 0, 0).size(), 20);
    QVERIFY(PictPess("O").isEmpty());
    QCOMPARE(FormataInscricao("12345678000195", "J"), QStringLiteral("12.345.678/0001-95"));
    QCOMPARE(FormataInscricao("12345678909", "F"), QStringLiteral("123.456.789-09"));
    QCOMPARE(FormataInscricao("ABC-1", "O"), QStringLiteral("ABC-1"));
    // A short value stops at the last placed character, without trailing literals.
    QCOMPARE(FormatMaskText("999.999.999-99;0; ", "1234"), QStringLiteral("123.4"));
}

void tst_Consiste::ajustaInscricaoNormalisesAndTypes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("normalised");
    QTest::addColumn<QString>("type");
    QTest::newRow("CNPJ masked") << "12.345.678/0001-95" << "12345678000195" << "J";
    QTest::newRow("CNPJ plain") << "12345678000195" << "12345678000195" << "J";
    QTest::newRow("CPF masked") << "123.456.789-09" << "12345678909" << "F";
    QTest::newRow("other digits") << " 123456 " << "123456" << "I";
    QTest::newRow("letters") << " MG-123 AB " << "MG-123 AB" << "O";
}

void tst_Consiste::ajustaInscricaoNormalisesAndTypes()
{
    QFETCH(QString, typed);
    QFETCH(QString, normalised);
    QFETCH(QString, type);
    QString number = typed;
    QCOMPARE(Ajusta_Inscricao(number), type);
    QCOMPARE(number, normalised);
}

void tst_Consiste::floatMaskOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("thousands") << "1.234,56" << 1234.56;
    QTest::newRow("percent") << "12,50 %" << 12.5;
    QTest::newRow("negative") << "-3,5" << -3.5;
    QTest::newRow("currency") << "R$ 10,00" << 10.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("no digit") << " % " << 0.0;
}

void tst_Consiste::floatMaskOut()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(FloatMaskOut(text), value);
}

void tst_Consiste::maxNumberKeepsLimits()
{
    // limits 3 and 2: up to 999,99
    QCOMPARE(MaxNumber("12", 3, 2, u'3', 2, 0), QChar(u'3'));
    QVERIFY(MaxNumber("123", 3, 2, u'4', 3, 0).isNull());
    QCOMPARE(MaxNumber("123", 3, 2, u',', 3, 0), QChar(u','));
    QCOMPARE(MaxNumber("123", 3, 2, u'.', 3, 0), QChar(u',')); // the period types a comma
    QVERIFY(MaxNumber("12,5", 3, 2, u',', 4, 0).isNull());
    QCOMPARE(MaxNumber("12,5", 3, 2, u'1', 4, 0), QChar(u'1'));
    QVERIFY(MaxNumber("12,51", 3, 2, u'1', 5, 0).isNull());
    QCOMPARE(MaxNumber("123", 3, 2, u'9', 0, 3), QChar(u'9')); // replaces the selection
    QVERIFY(MaxNumber("12", 3, 2, u'a', 2, 0).isNull());
    QCOMPARE(MaxNumber("12", 3, 2, u'-', 0, 0), QChar(u'-'));
    QVERIFY(MaxNumber("12", 3, 2, u'-', 1, 0).isNull());
    QCOMPARE(MaxNumber("123", 3, 2, QChar(8), 3, 0), QChar(8)); // backspace
    QVERIFY(MaxNumber("12", 3, 0, u',', 2, 0).isNull());
}

void tst_Consiste::mensErroShowsThenThrows()
{
    QVERIFY_THROWS_EXCEPTION(ConsisteError, MensErro("Região deve ser informada.", true));
    QCOMPARE(m_ui.errors(), QStringList{"Região deve ser informada."});
    MensErro("shown only", false);
    QCOMPARE(m_ui.errors().size(), 2);
}

void tst_Consiste::runGuardedStopsEveryException()
{
    QVERIFY(runGuarded([] {}));
    QVERIFY(!runGuarded([] { throw Abort(); }));
    QVERIFY(!runGuarded([] { MensErro("Comprador deve ser informado.", true); }));
    QCOMPARE(m_ui.errors().size(), 1); // shown once, by MensErro
    QVERIFY(!runGuarded([] { throw NetError("network", "Servidor indisponível"); }));
    QVERIFY(!runGuarded([] { throw NetError("conflict", "Alterado por outro usuário"); }));
    QVERIFY(!runGuarded([] { throw DataSetError("Campo obrigatório"); }));
    QVERIFY(!runGuarded([] { throw std::runtime_error("outro"); }));
    // A failed connection adds that nothing typed was discarded; a refusal is shown as sent.
    const QString kept = TMessages::padrao().Msg(QStringLiteral("Net_AlteracoesMantidas"));
    QVERIFY(kept.startsWith(QStringLiteral("Nada do que foi digitado foi descartado")));
    QCOMPARE(m_ui.errors(), (QStringList{"Comprador deve ser informado.", "Servidor indisponível\n\n" + kept,
                                         "Alterado por outro usuário", "Campo obrigatório", "outro"}));
    int calls = 0;
    auto slot = guarded([&calls] { ++calls; throw Abort(); });
    slot(true);
    QCOMPARE(calls, 1);
}

void tst_Consiste::checkResultServStatusCodes()
{
    // "2": refused silently
    QVERIFY_THROWS_EXCEPTION(Abort, CheckResultServ(QStringLiteral("2Recusado"), true));
    QVERIFY(m_ui.errors().isEmpty());
    QVERIFY(!CheckResultServ(QStringLiteral("2Recusado"), false));
    // "3": error, message from the second character
    QVERIFY_THROWS_EXCEPTION(ConsisteError, CheckResultServ(QStringLiteral("3Cotação bloqueada"), true));
    QCOMPARE(m_ui.errors(), QStringList{"Cotação bloqueada"});
    QVERIFY(!CheckResultServ(QStringLiteral("3x"), false));
    QCOMPARE(m_ui.errors().size(), 1);
    // other codes are the caller's
    QVERIFY(CheckResultServ(QStringLiteral("0"), true));
    QVERIFY(CheckResultServ(QStringLiteral("012"), true));
    // nothing where something was expected
    QVERIFY_THROWS_EXCEPTION(ConsisteError, CheckResultServ(QVariant(), true));
    QCOMPARE(m_ui.errors().size(), 2);
    QVERIFY(!m_ui.errors().last().isEmpty());
    QVERIFY(!CheckResultServ(QVariant(), false));
}

void tst_Consiste::checkResultServPackets()
{
    DataPacket packet;
    packet.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3);
    packet.appendRow({QStringLiteral("001")});

    DataPacket out;
    QVERIFY(CheckResultServ(packetVariant(packet), true, 0, &out));
    QCOMPARE(out, packet);

    DataPacket second;
    QVERIFY(CheckResultServ(QVariantList{QStringLiteral("S"), packetVariant(packet)}, true, 1, &second));
    QCOMPARE(second, packet);
    QVERIFY(CheckResultServ(QVariantList{QStringLiteral("S")}, false)); // caller reads elements

    DataPacket none;
    QVERIFY(!CheckResultServ(QStringLiteral("0"), false, 0, &none)); // text where a packet was due
    QVERIFY_THROWS_EXCEPTION(ConsisteError, CheckResultServ(QVariantList{1}, true, 0, &none));
}

void tst_Consiste::showAviRemovedOnEveryPath()
{
    QVERIFY(!runGuarded([] {
        ShowAviGuard avi(nullptr, ShowAviKind::Receiving, "Recebendo...");
        QVERIFY(ShowAviActive());
        throw NetError("network", "Conexão perdida");
    }));
    QVERIFY(!ShowAviActive());
    QVERIFY(!m_ui.progressActive());
    QCOMPARE(m_ui.count(ScriptedUserInterface::Kind::ProgressStart), 1);
    QCOMPARE(m_ui.count(ScriptedUserInterface::Kind::ProgressStop), 1);

    // Nested: removed only with the outer one; an early release is not repeated.
    {
        ShowAviGuard outer(nullptr, ShowAviKind::Storing);
        {
            ShowAviGuard inner(nullptr, ShowAviKind::Receiving);
            inner.release();
            QVERIFY(m_ui.progressActive());
        }
        QVERIFY(m_ui.progressActive());
    }
    QVERIFY(!m_ui.progressActive());
    DeactiveShowAvi(); // a surplus one does nothing
    QCOMPARE(m_ui.count(ScriptedUserInterface::Kind::ProgressStop), 2);
}

QTEST_GUILESS_MAIN(tst_Consiste)
#include "tst_consiste.moc"
