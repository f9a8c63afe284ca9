// The supplier price sheets through the real server and demo database: sheets exported for
// a quotation, filled by program as a supplier would, read back into the preview and
// stored with the audit of keyed prices; conflicts with changes on the server before and
// after the preview, a sheet of another quotation, a damaged file and the CSV form.
#include "Cli_sup05230.h"
#include "Cli_sup05231.h"
#include "Pkg_Sup05200.h"
#include "QuotationContext.h"

#include "QuotationTestData.h"
#include "ServerFixture.h"
#include "SheetFiles.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "Field.h"
#include "PriceSheet.h"
#include "CsvWriter.h"
#include "PriceSheetCsv.h"
#include "PriceSheetReader.h"

#include <QDir>
#include <QSet>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using Kind = ScriptedUserInterface::Kind;

namespace {

QDate weekDay(int week, char kind, int year = 2031)
{
    return Consiste::DataSemana(week, QLatin1Char(kind), year);
}
const QDate kFrom(2030, 1, 1);
const char *kNumber = "0000900001";
const char *kOther = "0000900002";

// Saves a picture of a dialog for the documentation when SUP_SCREENSHOT_DIR names a folder.
void screenshot(QWidget *dialog, const char *name)
{
    const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    dialog->show();
    dialog->adjustSize();
    QCoreApplication::processEvents();
    dialog->grab().save(QDir(folder).filePath(QLatin1String(name)));
    dialog->hide();
}

// The preview's lines, for the message of a failed comparison.
QByteArray previewText(const TfrmImportaPlanilha &dialog)
{
    QStringList lines;
    for (int r = 0; r < dialog.dbgPrevia->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < TfrmImportaPlanilha::ColCount; ++c)
            cells << dialog.dbgPrevia->item(r, c)->text();
        lines << cells.join(QLatin1Char('|'));
    }
    return lines.join(QLatin1Char('\n')).toUtf8();
}

// The preview's entry of a sheet line.
PriceSheetEntry entryOfLine(const TfrmImportaPlanilha &dialog, int line)
{
    for (const PriceSheetEntry &e : dialog.sheets().front().entries) {
        if (e.line == line)
            return e;
    }
    return {};
}

} // namespace

class tst_PlanilhaForn : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void exportWritesOneSheetPerSupplier();
    void filledSheetStoresPricesWithTheirAudit();
    void sheetsOfSeveralSuppliersStoredTogether();
    void itemChangedSinceExportIsRefusedOthersStored();
    void conflictAtConfirmationStoresNothingAndKeepsThePreview();
    void sheetOfAnotherQuotationIsRefused();
    void damagedFileIsRefusedInThePreview();
    void csvSheetRoundTrip();

private:
    QStringList exportSheets(bool csv = false);
    // The first sheet with at least n lines whose items pass the quotation's checks, with
    // only those lines in sheet.
    QString sheetWithLines(const QStringList &files, int n, PriceSheet *sheet);
    double storedPrice(const PriceSheetRow &row);
    void changeOnServer(const PriceSheetRow &row, double price);
    QString key(const PriceSheetRow &row, int part) const { return PriceSheetKey::parse(row.key)->text().section('|', part, part); }

    ServerFixture m_server;
    std::unique_ptr<QuotationTestData> m_data;
    std::unique_ptr<QuotationContext> m_context;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_PlanilhaForn::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_data = std::make_unique<QuotationTestData>(m_server);
    Pkg_Sup05200::setFilterDialogOpener([] {});
    PackageLoad();
}

void tst_PlanilhaForn::init()
{
    QString error;
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    QVERIFY2(m_data->addQuotation(QLatin1String(kNumber), QStringLiteral("COMP01"), weekDay(10, 'I'), weekDay(10, 'F'),
                                  QStringLiteral("A"), &error),
             qPrintable(error));
    // Collected on the demo's calendar, where the qualifications of its items are valid.
    QVERIFY2(m_server.execute(QStringLiteral("UPDATE COLETAPR SET DTCOLEPREC = '2026-12-07' WHERE NRCOLEPRECO IN (:N, :M)"),
                              {{QStringLiteral("N"), QLatin1String(kNumber)}, {QStringLiteral("M"), QLatin1String(kOther)}},
                              &error),
             qPrintable(error));
    m_context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    QVERIFY(m_context->hasQuotation());
    QCOMPARE(m_context->currentNumber(), QLatin1String(kNumber));
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_PlanilhaForn::cleanup()
{
    m_context.reset();
    m_data->removeFrom(kFrom);
    m_server.logout();
}

void tst_PlanilhaForn::cleanupTestCase()
{
    m_server.stop();
}

QStringList tst_PlanilhaForn::exportSheets(bool csv)
{
    TfrmExportaPlanilha dialog(*m_context, QString(), QString());
    dialog.edtPasta->setText(m_dir->path());
    (csv ? dialog.rbtCsv : dialog.rbtXlsx)->setChecked(true);
    dialog.rbtTodosForn->setChecked(true);
    if (!csv)
        screenshot(&dialog, "price-sheet-export.png");
    QTest::mouseClick(dialog.sbtImportExport, Qt::LeftButton);
    return dialog.writtenFiles();
}

QString tst_PlanilhaForn::sheetWithLines(const QStringList &files, int n, PriceSheet *sheet)
{
    for (const QString &file : files) {
        QString error;
        if (!PriceSheetReader::read(file, sheet, &error))
            continue;
        DataPacket items;
        for (const char *name : {"VRPRECUNIITM", "CDREGIAO", "CDFORNECED", "CDPRODUTO", "CDMARCA"})
            items.addField(QLatin1String(name), name[0] == 'V' ? FieldType::Float : FieldType::String, 21);
        for (const PriceSheetRow &row : sheet->rows) {
            const auto k = PriceSheetKey::parse(row.key);
            items.appendRow({1.0, k->region, k->supplier, k->product, k->brand});
        }
        const DataPacket failing = m_context->gridCotaPrec().validaDados(items, QStringLiteral("0001"), QStringLiteral("0001"),
                                                                          QDate(2026, 12, 7));
        QSet<QString> failed;
        for (int r = 0; r < failing.rowCount(); ++r)
            failed.insert(failing.value(r, QStringLiteral("CDREGIAO")).toString().trimmed() + QLatin1Char('|')
                          + failing.value(r, QStringLiteral("CDPRODUTO")).toString().trimmed() + QLatin1Char('|')
                          + failing.value(r, QStringLiteral("CDMARCA")).toString().trimmed());
        QList<PriceSheetRow> passing;
        for (const PriceSheetRow &row : sheet->rows) {
            const auto k = PriceSheetKey::parse(row.key);
            if (!failed.contains(k->region + QLatin1Char('|') + k->product + QLatin1Char('|') + k->brand))
                passing.append(row);
        }
        if (passing.size() >= n) {
            sheet->rows = passing;
            return file;
        }
    }
    return {};
}

double tst_PlanilhaForn::storedPrice(const PriceSheetRow &row)
{
    const auto k = PriceSheetKey::parse(row.key);
    return m_server
        .scalar(QStringLiteral("SELECT VRPRECUNIITM FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N AND CDREGIAO = :R"
                               " AND CDFORNECED = :S AND CDPRODUTO = :P AND CDMARCA = :M"),
                {{QStringLiteral("F"), k->branch}, {QStringLiteral("N"), k->number}, {QStringLiteral("R"), k->region},
                 {QStringLiteral("S"), k->supplier}, {QStringLiteral("P"), k->product}, {QStringLiteral("M"), k->brand}})
        .toDouble();
}

// Another buyer's change of an item after the export.
void tst_PlanilhaForn::changeOnServer(const PriceSheetRow &row, double price)
{
    const auto k = PriceSheetKey::parse(row.key);
    QString error;
    QVERIFY2(m_server.execute(
                 QStringLiteral("UPDATE ITCOLETAPR SET VRPRECUNIITM = :V, DTHRALTE = :T WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"
                                " AND CDREGIAO = :R AND CDFORNECED = :S AND CDPRODUTO = :P AND CDMARCA = :M"),
                 {{QStringLiteral("V"), price}, {QStringLiteral("T"), QDateTime(QDate(2031, 1, 2), QTime(9, 0), Qt::UTC)},
                  {QStringLiteral("F"), k->branch}, {QStringLiteral("N"), k->number}, {QStringLiteral("R"), k->region},
                  {QStringLiteral("S"), k->supplier}, {QStringLiteral("P"), k->product}, {QStringLiteral("M"), k->brand}},
                 &error),
             qPrintable(error));
}

void tst_PlanilhaForn::exportWritesOneSheetPerSupplier()
{
    const QStringList files = exportSheets();
    const qlonglong suppliers = m_data->count(
        QStringLiteral("SELECT COUNT(DISTINCT CDFORNECED) FROM COLEFORN WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
        {{QStringLiteral("N"), QLatin1String(kNumber)}});
    QVERIFY(suppliers > 1);
    QCOMPARE(files.size(), suppliers);
    int lines = 0;
    for (const QString &file : files) {
        QVERIFY2(QFileInfo(file).fileName().startsWith(QStringLiteral("Cotacao_%1_Forn_").arg(QLatin1String(kNumber))),
                 qPrintable(file));
        PriceSheet sheet;
        QString error;
        QVERIFY2(PriceSheetReader::read(file, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.number, QLatin1String(kNumber));
        QVERIFY(QFileInfo(file).fileName().contains(QStringLiteral("_Forn_%1_").arg(sheet.supplier.toLongLong())));
        lines += int(sheet.rows.size());
        for (const PriceSheetRow &row : sheet.rows) {
            QCOMPARE(key(row, 4), sheet.supplier);
            if (row.price.kind == PriceCell::Number)
                QCOMPARE(row.price.value, storedPrice(row));
        }
    }
    QCOMPARE(lines, m_data->count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                                  {{QStringLiteral("N"), QLatin1String(kNumber)}}));
    QCOMPARE(m_server.ui().count(Kind::Message), 1);  // "n planilha(s) gravada(s) em ..."
}

void tst_PlanilhaForn::filledSheetStoresPricesWithTheirAudit()
{
    PriceSheet sheet;
    const QString file = sheetWithLines(exportSheets(), 2, &sheet);
    QVERIFY(!file.isEmpty());
    const double first = storedPrice(sheet.rows[0]) + 1.23457;
    QVERIFY(SheetFiles::setPrice(file, sheet.rows[0].line, first));
    QVERIFY(SheetFiles::setPrice(file, sheet.rows[1].line, 0.5));
    const qlonglong historyBefore = m_data->count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE"));

    TfrmImportaPlanilha dialog(*m_context);
    dialog.load({file});
    QVERIFY2(dialog.accepted() == 2, previewText(dialog).constData());
    QCOMPARE(dialog.dbgPrevia->rowCount(), 2);
    QCOMPARE(dialog.dbgPrevia->item(0, TfrmImportaPlanilha::ColPrecoNovo)->text(), QLocale(QLocale::Portuguese, QLocale::Brazil).toString(first, 'f', 5));
    QVERIFY(dialog.sbtImportExport->isEnabled());
    QTest::mouseClick(dialog.sbtImportExport, Qt::LeftButton);
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join('\n')));
    QVERIFY(dialog.changed());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    QCOMPARE(storedPrice(sheet.rows[0]), first);
    QCOMPARE(storedPrice(sheet.rows[1]), 0.5);
    QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE")), historyBefore + 2);
    const QString fileName = QFileInfo(file).fileName();
    QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE NRCOLEPRECO = :N AND CDFORNECED = :S"
                                          " AND DSJUSTOPER = 'Planilha do fornecedor' AND DSALTERITMCOT LIKE :T"),
                           {{QStringLiteral("N"), QLatin1String(kNumber)}, {QStringLiteral("S"), sheet.supplier},
                            {QStringLiteral("T"), QStringLiteral("%") + fileName}}),
             2);
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT IDTIPCOLREG FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                             {{QStringLiteral("N"), QLatin1String(kNumber)}}).toString(),
             QStringLiteral("E"));
    QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE NRCOLEPRECO = :N AND NMCAMPO = 'IDTIPCOLREG'"
                                          " AND DSVALORNOVO = 'E'"),
                           {{QStringLiteral("N"), QLatin1String(kNumber)}}),
             1);
    // The quotation list shows the stored origin, not as a pending change of the buyer's.
    QCOMPARE(m_context->quotations()->fieldByName(QStringLiteral("IDTIPCOLREG"))->asString(), QStringLiteral("E"));
    QCOMPARE(m_context->quotations()->changeCount(), 0);

    // The same sheet read again changes nothing more.
    TfrmImportaPlanilha again(*m_context);
    again.load({file});
    QCOMPARE(again.accepted(), 0);
    QVERIFY(!again.sbtImportExport->isEnabled());
}

// Each sheet is its own call; the quotation's origin changes with the first of them.
void tst_PlanilhaForn::sheetsOfSeveralSuppliersStoredTogether()
{
    const QStringList files = exportSheets();
    PriceSheet first, second;
    const QString firstFile = sheetWithLines(files, 1, &first);
    QVERIFY(!firstFile.isEmpty());
    const QString secondFile = sheetWithLines(files.mid(files.indexOf(firstFile) + 1), 1, &second);
    QVERIFY(!secondFile.isEmpty());
    QVERIFY(SheetFiles::setPrice(firstFile, first.rows[0].line, 61.5));
    QVERIFY(SheetFiles::setPrice(secondFile, second.rows[0].line, 62.5));

    TfrmImportaPlanilha dialog(*m_context);
    dialog.load({firstFile, secondFile});
    QVERIFY2(dialog.accepted() == 2, previewText(dialog).constData());
    QTest::mouseClick(dialog.sbtImportExport, Qt::LeftButton);
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join('\n')));
    QCOMPARE(storedPrice(first.rows[0]), 61.5);
    QCOMPARE(storedPrice(second.rows[0]), 62.5);
}

void tst_PlanilhaForn::itemChangedSinceExportIsRefusedOthersStored()
{
    PriceSheet sheet;
    const QString file = sheetWithLines(exportSheets(), 2, &sheet);
    QVERIFY(!file.isEmpty());
    QVERIFY(SheetFiles::setPrice(file, sheet.rows[0].line, 41.5));
    QVERIFY(SheetFiles::setPrice(file, sheet.rows[1].line, 42.5));
    changeOnServer(sheet.rows[0], 40.25);

    TfrmImportaPlanilha dialog(*m_context);
    dialog.load({file});
    QVERIFY2(dialog.accepted() == 1, previewText(dialog).constData());
    QCOMPARE(entryOfLine(dialog, sheet.rows[0].line).reason, PriceSheetEntry::ChangedOnServer);
    QVERIFY(dialog.dbgPrevia->item(0, TfrmImportaPlanilha::ColSituacao)->text().contains(QStringLiteral("40,25000")));
    screenshot(&dialog, "price-sheet-preview.png");
    QTest::mouseClick(dialog.sbtImportExport, Qt::LeftButton);
    QVERIFY(m_server.ui().errors().isEmpty());
    QCOMPARE(storedPrice(sheet.rows[0]), 40.25);   // the other buyer's price stays
    QCOMPARE(storedPrice(sheet.rows[1]), 42.5);
}

void tst_PlanilhaForn::conflictAtConfirmationStoresNothingAndKeepsThePreview()
{
    PriceSheet sheet;
    const QString file = sheetWithLines(exportSheets(), 2, &sheet);
    QVERIFY(!file.isEmpty());
    QVERIFY(SheetFiles::setPrice(file, sheet.rows[0].line, 51.5));
    QVERIFY(SheetFiles::setPrice(file, sheet.rows[1].line, 52.5));
    const double second = storedPrice(sheet.rows[1]);

    TfrmImportaPlanilha dialog(*m_context);
    dialog.load({file});
    QVERIFY2(dialog.accepted() == 2, previewText(dialog).constData());
    changeOnServer(sheet.rows[0], 50.75);   // between the preview and the confirmation
    QTest::mouseClick(dialog.sbtImportExport, Qt::LeftButton);

    QCOMPARE(m_server.ui().errors().size(), 1);
    QVERIFY(m_server.ui().errors().first().contains(QFileInfo(file).fileName()));
    QVERIFY(!dialog.changed());
    QCOMPARE(storedPrice(sheet.rows[0]), 50.75);
    QCOMPARE(storedPrice(sheet.rows[1]), second);   // the whole sheet stored nothing
    // The preview is checked again: the conflict shown, the other price still to store.
    QVERIFY2(dialog.accepted() == 1, previewText(dialog).constData());
    QCOMPARE(entryOfLine(dialog, sheet.rows[0].line).reason, PriceSheetEntry::ChangedOnServer);
    QVERIFY(dialog.sbtImportExport->isEnabled());
}

void tst_PlanilhaForn::sheetOfAnotherQuotationIsRefused()
{
    QString error;
    QVERIFY2(m_data->addQuotation(QLatin1String(kOther), QStringLiteral("COMP01"), weekDay(10, 'I'), weekDay(10, 'F'),
                                  QStringLiteral("A"), &error),
             qPrintable(error));
    QVERIFY(m_server.execute(QStringLiteral("UPDATE COLETAPR SET DTCOLEPREC = '2026-12-07' WHERE NRCOLEPRECO = :N"),
                             {{QStringLiteral("N"), QLatin1String(kOther)}}));
    m_context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    QVERIFY(m_context->quotations()->locate(QStringLiteral("NRCOLEPRECO"), QLatin1String(kNumber)));
    PriceSheet sheet;
    const QString file = sheetWithLines(exportSheets(), 1, &sheet);
    QVERIFY(SheetFiles::setPrice(file, sheet.rows[0].line, 9.5));
    QVERIFY(m_context->quotations()->locate(QStringLiteral("NRCOLEPRECO"), QLatin1String(kOther)));

    TfrmImportaPlanilha dialog(*m_context);
    dialog.load({file});
    QVERIFY2(dialog.accepted() == 0, previewText(dialog).constData());
    PriceSheet whole;
    QString error2;
    QVERIFY(PriceSheetReader::read(file, &whole, &error2));
    QCOMPARE(dialog.dbgPrevia->rowCount(), whole.rows.size());
    for (const PriceSheetEntry &e : dialog.sheets().front().entries)
        QCOMPARE(e.reason, PriceSheetEntry::OtherQuotation);
    QVERIFY(dialog.dbgPrevia->item(0, TfrmImportaPlanilha::ColSituacao)->text().contains(QLatin1String(kNumber)));
    QVERIFY(!dialog.sbtImportExport->isEnabled());
}

void tst_PlanilhaForn::damagedFileIsRefusedInThePreview()
{
    PriceSheet sheet;
    const QString good = sheetWithLines(exportSheets(), 1, &sheet);
    QVERIFY(SheetFiles::setPrice(good, sheet.rows[0].line, 7.25));
    const QString bad = m_dir->filePath(QStringLiteral("danificada.xlsx"));
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("PK\x03\x04 isto nao e uma planilha");
    f.close();

    TfrmImportaPlanilha dialog(*m_context);
    dialog.load({bad, good});
    QVERIFY(!dialog.sheets().front().error.isEmpty());
    QCOMPARE(dialog.dbgPrevia->item(0, TfrmImportaPlanilha::ColArquivo)->text(), QStringLiteral("danificada.xlsx"));
    QVERIFY2(dialog.accepted() == 1, previewText(dialog).constData());   // the good sheet still goes
    QTest::mouseClick(dialog.sbtImportExport, Qt::LeftButton);
    QCOMPARE(storedPrice(sheet.rows[0]), 7.25);
}

void tst_PlanilhaForn::csvSheetRoundTrip()
{
    PriceSheet sheet;
    const QString file = sheetWithLines(exportSheets(true), 1, &sheet);
    QVERIFY(file.endsWith(QLatin1String(".csv")));
    // The supplier types a price with a decimal comma and a remark with a semicolon.
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll().mid(3));
    f.close();
    QList<QStringList> records = PriceSheetCsv::records(text);
    for (QStringList &r : records) {
        if (r.value(8) == sheet.rows[0].key) {
            r[6] = QStringLiteral("1.234,56789");
            r[7] = QStringLiteral("frete; incluso");
        }
    }
    QString rewritten;
    for (const QStringList &r : records) {
        QStringList fields;
        for (const QString &v : r)
            fields << CsvWriter::quoted(v);
        rewritten += fields.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray("\xEF\xBB\xBF") + rewritten.toUtf8());
    f.close();

    TfrmImportaPlanilha dialog(*m_context);
    dialog.load({file});
    QVERIFY2(dialog.accepted() == 1, previewText(dialog).constData());
    QTest::mouseClick(dialog.sbtImportExport, Qt::LeftButton);
    QCOMPARE(storedPrice(sheet.rows[0]), 1234.56789);
}

QTEST_MAIN(tst_PlanilhaForn)
#include "tst_planilhaforn.moc"
