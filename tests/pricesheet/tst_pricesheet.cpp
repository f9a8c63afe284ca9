// Supplier price sheets without a server: the workbook written and read back, its
// protection, what a supplier's spreadsheet program may leave in it (formulas, texts,
// errors, a damaged file), the CSV form, and the check of filled lines against the
// supplier's items.
#include "PriceSheet.h"
#include "PriceSheetCheck.h"
#include "CsvWriter.h"
#include "PriceSheetCsv.h"
#include "PriceSheetReader.h"
#include "PriceSheetWriter.h"
#include "ProtocolContract.h"
#include "SheetFiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime kChanged(QDate(2026, 12, 7), QTime(10, 30, 15, 250), Qt::UTC);

struct Item
{
    const char *region;
    const char *product;
    const char *tree;
    const char *brand;
    double price;
    QDateTime changed;
};

// Items of supplier 000077 in quotation 0001/0000000042 as GetItensForn answers them.
DataPacket items(const QList<Item> &list, const char *origin = "G")
{
    DataPacket packet(Protocol::packetLayout(QStringLiteral("ItensForn")));
    for (const Item &i : list) {
        packet.appendRow({QStringLiteral("0001"), QStringLiteral("0000000042"), QLatin1String(i.region),
                          QStringLiteral("Região ") + QLatin1String(i.region), QStringLiteral("000077"),
                          QLatin1String(i.product), QLatin1String(i.tree), QStringLiteral("Produto ") + QLatin1String(i.product),
                          QStringLiteral("UN"), QLatin1String(i.brand), QStringLiteral("Marca"), 12.0, i.price,
                          i.price > 0 ? QVariant(QStringLiteral("Negociado")) : QVariant(), QVariant(), QStringLiteral("N"),
                          i.changed.isValid() ? QVariant(i.changed) : QVariant(), QLatin1String(origin)});
    }
    return packet;
}

const QList<Item> kItems = {
    {"001", "P1", "0101001", "M1", 0.0, {}},
    {"001", "P2", "0101002", "M1", 10.5, kChanged},
    {"002", "P1", "0101001", "M1", 3.25, kChanged},
    {"002", "P3", "0101003", "M2", 7.0, kChanged},
};

// The sheet the export writes for kItems.
PriceSheet sheetOf(const DataPacket &packet)
{
    PriceSheet sheet;
    sheet.branch = QStringLiteral("0001");
    sheet.branchName = QStringLiteral("Matriz São Paulo");
    sheet.number = QStringLiteral("0000000042");
    sheet.validity = QStringLiteral("07/12/2026 a 13/12/2026");
    sheet.buyer = QStringLiteral("COMP01 - Ana");
    sheet.supplier = QStringLiteral("000077");
    sheet.supplierName = QStringLiteral("Distribuidora \"Boa\"; Ltda");
    for (const QVariantList &r : packet.rows()) {
        PriceSheetRow row;
        const double price = r.at(12).toDouble();
        row.key = PriceSheetKey{r.at(0).toString(), r.at(1).toString(), r.at(2).toString(), r.at(4).toString(),
                                r.at(5).toString(), r.at(9).toString(), PriceSheetKey::stampOf(price, r.at(16).toDateTime())}
                      .text();
        row.region = r.at(2).toString();
        row.regionName = r.at(3).toString();
        row.treeCode = r.at(6).toString();
        row.productName = r.at(7).toString();
        row.unit = r.at(8).toString();
        row.brand = r.at(9).toString();
        row.brandName = r.at(10).toString();
        row.quantity = r.at(11).toDouble();
        if (price > 0)
            row.price = {PriceCell::Number, price, {}};
        sheet.rows.append(row);
    }
    return sheet;
}

PriceSheetRow withPrice(PriceSheetRow row, PriceCell::Kind kind, double value, const QString &text = {})
{
    row.price = {kind, value, text};
    return row;
}

} // namespace

class tst_PriceSheet : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void workbookReadsBackKeysHeaderAndPrices();
    void workbookLocksAllButPriceAndObservation();
    void pricesTheSupplierTypedAreReadAsTheyAre();
    void damagedWorkbooksAreRefusedNotCrashedOn();

    void csvQuotesDecimalCommaAndByteOrderMark();
    void csvReadsBackWhatItWrote();
    void priceTextsInBrazilianNotation();

    void acceptedPricesBecomeTheItemDelta();
    void everyRefusalHasItsReason();
    void sheetOfAnotherQuotationIsRefusedWhole();
    void itemChangedOnServerSinceExportIsRefused();
    void failingValidationRefusesOnlyItsLines();

private:
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_PriceSheet::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_PriceSheet::workbookReadsBackKeysHeaderAndPrices()
{
    PriceSheet sheet = sheetOf(items(kItems));
    sheet.rows[1].price = {PriceCell::Number, 1234.56789, {}};
    sheet.rows[1].productName = QStringLiteral("Açúcar \"refinado\" <1kg> & cia");
    const QString file = path("sheet.xlsx");
    QString error;
    QVERIFY2(PriceSheetWriter::writeXlsx(sheet, file, &error), qPrintable(error));

    PriceSheet back;
    QVERIFY2(PriceSheetReader::read(file, &back, &error), qPrintable(error));
    QCOMPARE(back.number, sheet.number);
    QCOMPARE(back.branch, sheet.branch);
    QCOMPARE(back.supplier, sheet.supplier);
    QCOMPARE(back.supplierName, sheet.supplierName);
    QCOMPARE(back.validity, sheet.validity);
    QCOMPARE(back.rows.size(), sheet.rows.size());
    for (int i = 0; i < sheet.rows.size(); ++i) {
        QCOMPARE(back.rows[i].key, sheet.rows[i].key);
        QCOMPARE(back.rows[i].region, sheet.rows[i].region);
        QCOMPARE(back.rows[i].brand, sheet.rows[i].brand);
        QCOMPARE(back.rows[i].productName, sheet.rows[i].productName);
        QCOMPARE(back.rows[i].price.kind, sheet.rows[i].price.kind);
        QCOMPARE(back.rows[i].line, 10 + i);
    }
    QCOMPARE(back.rows[1].price.value, 1234.56789);
    QCOMPARE(back.rows[0].price.kind, PriceCell::Empty);
}

void tst_PriceSheet::workbookLocksAllButPriceAndObservation()
{
    const QString file = path("locked.xlsx");
    QString error;
    QVERIFY2(PriceSheetWriter::writeXlsx(sheetOf(items(kItems)), file, &error), qPrintable(error));
    const QString sheetXml = QString::fromUtf8(SheetFiles::part(file, QStringLiteral("xl/worksheets/sheet1.xml")));
    const QString styles = QString::fromUtf8(SheetFiles::part(file, QStringLiteral("xl/styles.xml")));
    QVERIFY(sheetXml.contains(QLatin1String("<sheetProtection")));
    // The key column (I) is hidden.
    QVERIFY(sheetXml.contains(QRegularExpression(QStringLiteral("<col min=\"9\" max=\"9\"[^>]*hidden=\"1\""))));

    // The styles of the cell formats, in order: which are unlocked, which show five decimals.
    const int xfsAt = styles.indexOf(QLatin1String("<cellXfs"));
    QVERIFY(xfsAt >= 0);
    const QString xfs = styles.mid(xfsAt, styles.indexOf(QLatin1String("</cellXfs>")) - xfsAt);
    QList<bool> unlocked;
    QList<int> numberFormat;
    const QRegularExpression xf(QStringLiteral("<xf [^>]*?numFmtId=\"(\\d+)\"[^>]*?(/>|>.*?</xf>)"),
                                QRegularExpression::DotMatchesEverythingOption);
    for (auto it = xf.globalMatch(xfs); it.hasNext();) {
        const auto m = it.next();
        unlocked.append(m.captured(0).contains(QLatin1String("locked=\"0\"")));
        numberFormat.append(m.captured(1).toInt());
    }
    const QRegularExpression fiveDecimals(QStringLiteral("numFmtId=\"(\\d+)\" formatCode=\"#,##0.00000\""));
    const auto fmt = fiveDecimals.match(styles);
    QVERIFY(fmt.hasMatch());

    // Every cell of a line: only the price (G) and observation (H) take input.
    // (A cell without a style attribute has the default style 0.)
    const QRegularExpression cell(QStringLiteral("<c r=\"([A-I])10\"([^>]*?)/?>"));
    const QRegularExpression styleOf(QStringLiteral(" s=\"(\\d+)\""));
    int checked = 0;
    for (auto it = cell.globalMatch(sheetXml); it.hasNext();) {
        const auto m = it.next();
        const QString column = m.captured(1);
        const int style = styleOf.match(m.captured(2)).captured(1).toInt();
        QVERIFY(style < unlocked.size());
        QCOMPARE(unlocked.at(style), column == QLatin1String("G") || column == QLatin1String("H"));
        if (column == QLatin1String("G"))
            QCOMPARE(numberFormat.at(style), fmt.captured(1).toInt());
        ++checked;
    }
    QCOMPARE(checked, 9);
}

void tst_PriceSheet::pricesTheSupplierTypedAreReadAsTheyAre()
{
    const QString file = path("filled.xlsx");
    QString error;
    QVERIFY2(PriceSheetWriter::writeXlsx(sheetOf(items(kItems)), file, &error), qPrintable(error));
    QVERIFY(SheetFiles::setPrice(file, 10, 2.12345));
    QVERIFY(SheetFiles::setCell(file, QStringLiteral("G11"),
                                QStringLiteral("<c r=\"G11\"><f>B11*2</f><v>20</v></c>")));
    QVERIFY(SheetFiles::setCell(file, QStringLiteral("G12"),
                                QStringLiteral("<c r=\"G12\" t=\"inlineStr\"><is><t>a combinar</t></is></c>")));
    QVERIFY(SheetFiles::setCell(file, QStringLiteral("G13"), QStringLiteral("<c r=\"G13\" t=\"e\"><v>#VALUE!</v></c>")));

    PriceSheet back;
    QVERIFY2(PriceSheetReader::read(file, &back, &error), qPrintable(error));
    QCOMPARE(back.rows.size(), 4);
    QCOMPARE(back.rows[0].price.kind, PriceCell::Number);
    QCOMPARE(back.rows[0].price.value, 2.12345);
    QCOMPARE(back.rows[1].price.kind, PriceCell::Formula);
    QCOMPARE(back.rows[2].price.kind, PriceCell::Text);
    QCOMPARE(back.rows[2].price.text, QStringLiteral("a combinar"));
    QCOMPARE(back.rows[3].price.kind, PriceCell::Error);

    // Each becomes a refusal of its own line, never of the sheet.
    const PriceSheetCheck check(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"), items(kItems));
    const QList<PriceSheetEntry> entries = check.check(back);
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[0].status, PriceSheetEntry::Accepted);
    QCOMPARE(entries[1].reason, PriceSheetEntry::FormulaPrice);
    QCOMPARE(entries[2].reason, PriceSheetEntry::NotANumber);
    QCOMPARE(entries[3].reason, PriceSheetEntry::ErrorCell);
}

void tst_PriceSheet::damagedWorkbooksAreRefusedNotCrashedOn()
{
    const QString file = path("good.xlsx");
    QString error;
    QVERIFY2(PriceSheetWriter::writeXlsx(sheetOf(items(kItems)), file, &error), qPrintable(error));
    QFile good(file);
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();

    const auto readBack = [&](const char *name, const QByteArray &content) {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(content);
        f.close();
        PriceSheet sheet;
        QString reason;
        const bool ok = PriceSheetReader::read(f.fileName(), &sheet, &reason);
        return std::make_pair(ok, reason);
    };
    auto [ok, reason] = readBack("text.xlsx", "not a workbook at all");
    QVERIFY(!ok);
    QVERIFY(!reason.isEmpty());
    std::tie(ok, reason) = readBack("cut.xlsx", bytes.left(bytes.size() / 2));
    QVERIFY(!ok);
    QVERIFY(!reason.isEmpty());
    // Damaged compressed data of the worksheet (its local header: 30 bytes, name, extra).
    QByteArray flipped = bytes;
    const QByteArray name("xl/worksheets/sheet1.xml");
    const int header = int(flipped.indexOf(name)) - 30;
    QVERIFY(header >= 0);
    const int extra = uchar(flipped[header + 28]) | (uchar(flipped[header + 29]) << 8);
    const int data = header + 30 + int(name.size()) + extra;
    for (int i = data + 20; i < data + 60; ++i)
        flipped[i] = char(~flipped[i]);
    std::tie(ok, reason) = readBack("flipped.xlsx", flipped);
    QVERIFY(!ok);
    QVERIFY(!reason.isEmpty());

    // A worksheet that is not well-formed XML.
    QVERIFY(SheetFiles::editPart(file, QStringLiteral("xl/worksheets/sheet1.xml"),
                                 [](QByteArray xml) { return xml.left(xml.size() - 40); }));
    PriceSheet sheet;
    QVERIFY(!PriceSheetReader::read(file, &sheet, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!PriceSheetReader::read(path("missing.xlsx"), &sheet, &error));
}

void tst_PriceSheet::csvQuotesDecimalCommaAndByteOrderMark()
{
    PriceSheet sheet = sheetOf(items(kItems));
    sheet.rows[1].price = {PriceCell::Number, 1234.5, {}};
    sheet.rows[1].observation = QStringLiteral("entrega; em \"48h\"\nsem frete");
    sheet.rows[2].observation = QStringLiteral(" Feijão ");
    const QByteArray csv = PriceSheetCsv::write(sheet);
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    const QString text = QString::fromUtf8(csv.mid(3));
    QVERIFY(text.contains(QStringLiteral(";1234,50000;\"entrega; em \"\"48h\"\"\nsem frete\";")));
    QVERIFY(text.contains(QStringLiteral(";\" Feijão \";")));
    QVERIFY(text.contains(QStringLiteral(";12,000;")));          // quantity with a decimal comma
    QVERIFY(text.contains(QStringLiteral("000077 - Distribuidora \"\"Boa\"\"; Ltda\"")));
    QVERIFY(!text.contains(QStringLiteral("1234.5")));
    // A text a spreadsheet would run as a formula goes out behind an apostrophe.
    sheet.rows[0].productName = QStringLiteral("=HYPERLINK(\"http://x\")");
    sheet.rows[2].observation = QStringLiteral("@SUM(A1)");
    const QString guarded = QString::fromUtf8(PriceSheetCsv::write(sheet).mid(3));
    QVERIFY(guarded.contains(QStringLiteral(";\"'=HYPERLINK(\"\"http://x\"\")\";")));
    QVERIFY(guarded.contains(QStringLiteral(";'@SUM(A1);")));
    QCOMPARE(CsvWriter::quoted(QStringLiteral("simples")), QStringLiteral("simples"));
    QCOMPARE(CsvWriter::quoted(QStringLiteral("a;b")), QStringLiteral("\"a;b\""));
    QCOMPARE(PriceSheetCsv::records(QStringLiteral("a;\"b;\"\"c\"\"\r\nd\";e\r\nf")),
             (QList<QStringList>{{QStringLiteral("a"), QStringLiteral("b;\"c\"\r\nd"), QStringLiteral("e")},
                                 {QStringLiteral("f")}}));
}

void tst_PriceSheet::csvReadsBackWhatItWrote()
{
    PriceSheet sheet = sheetOf(items(kItems));
    sheet.rows[1].observation = QStringLiteral("linha 1\nlinha; 2");
    sheet.rows[2].observation = QStringLiteral("-10% à vista");
    const QString file = path("sheet.csv");
    QString error;
    QVERIFY2(PriceSheetCsv::writeFile(sheet, file, &error), qPrintable(error));
    PriceSheet back;
    QVERIFY2(PriceSheetReader::read(file, &back, &error), qPrintable(error));
    QCOMPARE(back.number, sheet.number);
    QCOMPARE(back.supplier, sheet.supplier);
    QCOMPARE(back.supplierName, sheet.supplierName);
    QCOMPARE(back.rows.size(), sheet.rows.size());
    for (int i = 0; i < sheet.rows.size(); ++i) {
        QCOMPARE(back.rows[i].key, sheet.rows[i].key);
        QCOMPARE(back.rows[i].price.kind, sheet.rows[i].price.kind);
        QCOMPARE(back.rows[i].price.value, sheet.rows[i].price.value);
    }
    QCOMPARE(back.rows[1].observation, sheet.rows[1].observation);
    QCOMPARE(back.rows[2].observation, sheet.rows[2].observation);   // the guard is not read back

    // Without the byte-order mark (saved by a program that drops it) it reads the same.
    const QByteArray bytes = PriceSheetCsv::write(sheet).mid(3);
    PriceSheet plain;
    QVERIFY(PriceSheetCsv::read(bytes, &plain, &error));
    QCOMPARE(plain.number, sheet.number);
    QCOMPARE(plain.rows.size(), sheet.rows.size());
}

void tst_PriceSheet::priceTextsInBrazilianNotation()
{
    QCOMPARE(parsePriceText(QStringLiteral("12,5")), std::optional<double>(12.5));
    QCOMPARE(parsePriceText(QStringLiteral("1.234,56789")), std::optional<double>(1234.56789));
    QCOMPARE(parsePriceText(QStringLiteral(" R$ 7,00 ")), std::optional<double>(7.0));
    QCOMPARE(parsePriceText(QStringLiteral("12.5")), std::optional<double>(12.5));
    QCOMPARE(parsePriceText(QStringLiteral("-3,1")), std::optional<double>(-3.1));
    for (const char *bad : {"", "abc", "1,2,3", "1.2.3", "12,5x", "nan", "inf", "1e400", "--1"})
        QVERIFY2(!parsePriceText(QLatin1String(bad)), bad);
}

void tst_PriceSheet::acceptedPricesBecomeTheItemDelta()
{
    const DataPacket packet = items(kItems);
    PriceSheet sheet = sheetOf(packet);
    sheet.rows[0] = withPrice(sheet.rows[0], PriceCell::Number, 4.123456);  // was 0: rounded to five decimals
    sheet.rows[1] = withPrice(sheet.rows[1], PriceCell::Text, 0, QStringLiteral("11,25"));
    // rows[2] keeps the price it was written with; rows[3] left empty
    sheet.rows[3].price = {};
    const PriceSheetCheck check(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"), packet);
    const QList<PriceSheetEntry> entries = check.check(sheet);
    QCOMPARE(PriceSheetCheck::count(entries, PriceSheetEntry::Accepted), 2);
    QCOMPARE(PriceSheetCheck::count(entries, PriceSheetEntry::Unchanged), 2);
    QCOMPARE(PriceSheetCheck::count(entries, PriceSheetEntry::Refused), 0);

    const DataPacket delta = check.itemDelta(entries, QStringLiteral("Planilha do fornecedor"),
                                             [](double o, double n) { return QStringLiteral("%1>%2").arg(o).arg(n); });
    QVERIFY(delta.isDelta());
    QCOMPARE(delta.changes().size(), 2);
    const int price = delta.fieldIndex(QStringLiteral("VRPRECUNIITM"));
    const int just = delta.fieldIndex(QStringLiteral("DSJUSTOPER"));
    const int text = delta.fieldIndex(QStringLiteral("DSALTERITMCOT"));
    const int product = delta.fieldIndex(QStringLiteral("CDPRODUTO"));
    const DeltaRow &first = delta.changes().at(0);
    QCOMPARE(first.kind, RowChange::Modify);
    QCOMPARE(first.oldValues.at(product).toString(), QStringLiteral("P1"));
    QCOMPARE(first.oldValues.at(price).toDouble(), 0.0);
    QCOMPARE(first.newValues.at(price).toDouble(), 4.12346);
    QVERIFY(first.oldValues.at(just).isNull());
    QCOMPARE(first.newValues.at(just).toString(), QStringLiteral("Planilha do fornecedor"));
    QCOMPARE(first.newValues.at(text).toString(), QStringLiteral("0>4.12346"));
    const DeltaRow &second = delta.changes().at(1);
    QCOMPARE(second.oldValues.at(price).toDouble(), 10.5);
    QCOMPARE(second.oldValues.at(just).toString(), QStringLiteral("Negociado"));  // as stored: the conflict check
    QCOMPARE(second.newValues.at(price).toDouble(), 11.25);

    // The quotation's origin becomes "file"; once it is, nothing more to change.
    const QVariant header = check.headerDelta();
    QVERIFY(isPacket(header));
    const DataPacket h = header.value<DataPacket>();
    QCOMPARE(h.changes().size(), 1);
    QCOMPARE(h.changes().at(0).oldValues.at(h.fieldIndex(QStringLiteral("IDTIPCOLREG"))).toString(), QStringLiteral("G"));
    QCOMPARE(h.changes().at(0).newValues.at(h.fieldIndex(QStringLiteral("IDTIPCOLREG"))).toString(), QStringLiteral("E"));
    const PriceSheetCheck already(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"),
                                  items(kItems, "E"));
    QVERIFY(already.headerDelta().isNull());
}

void tst_PriceSheet::everyRefusalHasItsReason()
{
    using E = PriceSheetEntry;
    const DataPacket packet = items(kItems);
    const PriceSheet written = sheetOf(packet);
    PriceSheet sheet = written;
    sheet.rows.clear();
    const auto key = [&](int row) { return *PriceSheetKey::parse(written.rows[row].key); };
    const auto line = [&](const PriceSheetKey &k, PriceCell price) {
        PriceSheetRow row;
        row.key = k.text();
        row.price = price;
        row.line = int(sheet.rows.size()) + 10;
        sheet.rows.append(row);
    };
    PriceSheetKey other = key(0);
    other.supplier = QStringLiteral("000099");
    line(other, {PriceCell::Number, 1, {}});
    PriceSheetKey otherQuotation = key(0);
    otherQuotation.number = QStringLiteral("0000000041");
    line(otherQuotation, {PriceCell::Number, 1, {}});
    PriceSheetKey unknown = key(0);
    unknown.product = QStringLiteral("P9");
    line(unknown, {PriceCell::Number, 1, {}});
    line(key(0), {PriceCell::Number, -2, {}});
    line(key(1), {PriceCell::Text, 0, QStringLiteral("doze")});
    line(key(1), {PriceCell::Number, 5, {}});   // the item again
    line(key(2), {PriceCell::Formula, 0, QStringLiteral("A1")});
    PriceSheetRow broken;
    broken.key = QStringLiteral("SUPPS1|alterada");
    broken.price = {PriceCell::Number, 1, {}};
    sheet.rows.append(broken);
    sheet.rows.append(broken);
    sheet.rows.last().key = PriceSheet().rows.value(0).key;  // the key cell emptied: read as no key

    const PriceSheetCheck check(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"), packet);
    const QList<E> entries = check.check(sheet);
    const QList<E::Reason> reasons = {E::OtherSupplier, E::OtherQuotation, E::UnknownItem, E::NegativePrice,
                                      E::NotANumber, E::Repeated, E::FormulaPrice, E::BadKey, E::BadKey};
    QCOMPARE(entries.size(), reasons.size());
    for (int i = 0; i < reasons.size(); ++i) {
        QCOMPARE(entries[i].status, E::Refused);
        QCOMPARE(entries[i].reason, reasons[i]);
    }
    QCOMPARE(entries[0].detail, QStringLiteral("000099"));
    QCOMPARE(entries[1].detail, QStringLiteral("0000000041"));
    QCOMPARE(entries[4].detail, QStringLiteral("doze"));
    QVERIFY(check.itemDelta(entries, QStringLiteral("J"), [](double, double) { return QString(); }).changes().isEmpty());
}

void tst_PriceSheet::sheetOfAnotherQuotationIsRefusedWhole()
{
    const DataPacket packet = items(kItems);
    PriceSheet sheet = sheetOf(packet);
    sheet.number = QStringLiteral("0000000041");
    for (PriceSheetRow &row : sheet.rows)
        row.price = {PriceCell::Number, 99, {}};
    const PriceSheetCheck check(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"), packet);
    const QList<PriceSheetEntry> entries = check.check(sheet);
    QCOMPARE(PriceSheetCheck::count(entries, PriceSheetEntry::Refused), sheet.rows.size());
    for (const PriceSheetEntry &e : entries) {
        QCOMPARE(e.reason, PriceSheetEntry::OtherQuotation);
        QCOMPARE(e.detail, QStringLiteral("0000000041"));
    }
}

void tst_PriceSheet::itemChangedOnServerSinceExportIsRefused()
{
    const PriceSheet sheet = [] {
        PriceSheet s = sheetOf(items(kItems));
        s.rows[1].price = {PriceCell::Number, 11, {}};   // supplier's new price
        s.rows[2].price = {PriceCell::Number, 3.25, {}}; // left as written
        s.rows[3].price = {PriceCell::Number, 8, {}};
        return s;
    }();
    // After the export another buyer stored 10.75 for P2 and touched P1 in region 002 and P3
    // without changing their prices.
    QList<Item> now = kItems;
    now[1].price = 10.75;
    now[1].changed = kChanged.addSecs(60);
    now[2].changed = kChanged.addSecs(60);
    now[3].changed = kChanged.addMSecs(1);
    const PriceSheetCheck check(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"), items(now));
    const QList<PriceSheetEntry> entries = check.check(sheet);
    QCOMPARE(entries[1].status, PriceSheetEntry::Refused);
    QCOMPARE(entries[1].reason, PriceSheetEntry::ChangedOnServer);
    QCOMPARE(entries[1].detail, QStringLiteral("10.75000"));
    QCOMPARE(entries[1].oldPrice, 10.75);
    QCOMPARE(entries[2].status, PriceSheetEntry::Unchanged);   // nothing to store, nothing overwritten
    QCOMPARE(entries[3].reason, PriceSheetEntry::ChangedOnServer);

    // The same sheet against the items as written: both prices accepted.
    const PriceSheetCheck before(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"),
                                 items(kItems));
    QCOMPARE(PriceSheetCheck::count(before.check(sheet), PriceSheetEntry::Accepted), 2);
}

void tst_PriceSheet::failingValidationRefusesOnlyItsLines()
{
    const DataPacket packet = items(kItems);
    PriceSheet sheet = sheetOf(packet);
    sheet.rows[0].price = {PriceCell::Number, 1, {}};
    sheet.rows[3].price = {PriceCell::Number, 9, {}};
    const PriceSheetCheck check(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"), packet);
    QList<PriceSheetEntry> entries = check.check(sheet);
    const DataPacket validation = check.validationItems(entries);
    QCOMPARE(validation.rowCount(), 2);
    DataPacket errors(Protocol::packetLayout(QStringLiteral("ErrosCota")));
    errors.appendRow({QStringLiteral("002"), QStringLiteral("000077"), QStringLiteral("P3"), QStringLiteral("M2"),
                      QStringLiteral("SNNNNNNN")});
    PriceSheetCheck::refuseFailing(entries, errors);
    QCOMPARE(entries[0].status, PriceSheetEntry::Accepted);
    QCOMPARE(entries[3].status, PriceSheetEntry::Refused);
    QCOMPARE(entries[3].reason, PriceSheetEntry::FailsChecks);
}

QTEST_GUILESS_MAIN(tst_PriceSheet)
#include "tst_pricesheet.moc"
