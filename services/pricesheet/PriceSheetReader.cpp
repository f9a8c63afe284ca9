#include "PriceSheetReader.h"

#include "PriceSheet.h"
#include "PriceSheetCsv.h"
#include "PriceSheetLayout.h"
#include "TMessages.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <array>

using namespace PriceSheetLayout;

namespace {

// A part larger than this is not a price sheet (and could be a compression bomb).
constexpr qint64 kMaxPartSize = 256LL * 1024 * 1024;

struct Cell
{
    enum Type { Empty, Number, String, Boolean, Error };
    Type type = Empty;
    QString text;        // the value as written (number text, string, error code)
    bool formula = false;
};

using Line = std::array<Cell, ColumnCount>;

class XlsxPackage
{
public:
    explicit XlsxPackage(const QString &path) : m_zip(path) {}

    bool open() { return m_zip.open(QuaZip::mdUnzip); }
    bool contains(const QString &name) { return m_zip.setCurrentFile(name); }

    // The bytes of a part; false when missing, damaged or too large.
    bool part(const QString &name, QByteArray *bytes, bool *missing)
    {
        *missing = false;
        if (!m_zip.setCurrentFile(name)) {
            *missing = true;
            return false;
        }
        QuaZipFileInfo64 info;
        if (!m_zip.getCurrentFileInfo(&info) || qint64(info.uncompressedSize) > kMaxPartSize)
            return false;
        QuaZipFile file(&m_zip);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        *bytes = file.read(kMaxPartSize + 1);
        file.close();
        return file.getZipError() == UNZ_OK && bytes->size() <= kMaxPartSize;
    }

private:
    QuaZip m_zip;
};

// "AB12" -> column 27 (0-based); -1 when it is not a cell reference.
int columnOf(QStringView ref)
{
    int column = 0;
    int letters = 0;
    for (const QChar c : ref) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            column = column * 26 + (c.unicode() - 'A' + 1);
            if (++letters > 3)
                return -1;
        } else {
            break;
        }
    }
    return letters == 0 ? -1 : column - 1;
}

// The text of an element holding runs (<si>, <is>): every <t> inside it but phonetic runs.
QString runsText(QXmlStreamReader &xml)
{
    const QString end = xml.name().toString();
    QString text;
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (xml.name() == QLatin1String("t") && phonetic == 0)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("rPh"))
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}

bool readSharedStrings(const QByteArray &bytes, QStringList *strings, QString *detail)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si"))
            strings->append(runsText(xml));
    }
    if (xml.hasError()) {
        *detail = xml.errorString();
        return false;
    }
    return true;
}

// The worksheet part of the workbook's first sheet.
QString firstSheetPart(XlsxPackage &package)
{
    const QString fallback = QStringLiteral("xl/worksheets/sheet1.xml");
    QByteArray workbook, rels;
    bool missing = false;
    if (!package.part(QStringLiteral("xl/workbook.xml"), &workbook, &missing)
        || !package.part(QStringLiteral("xl/_rels/workbook.xml.rels"), &rels, &missing))
        return fallback;
    QString id;
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd() && id.isEmpty()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("sheet")) {
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                if (a.name() == QLatin1String("id"))
                    id = a.value().toString();
            }
        }
    }
    QXmlStreamReader r(rels);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("Relationship")
            && r.attributes().value(QLatin1String("Id")) == id) {
            const QString target = r.attributes().value(QLatin1String("Target")).toString();
            return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    }
    return fallback;
}

// Reads the cells of the sheet's rows, first ColumnCount columns; lines by their number.
bool readLines(const QByteArray &bytes, const QStringList &strings, QList<std::pair<int, Line>> *lines, QString *detail)
{
    QXmlStreamReader xml(bytes);
    int lineNumber = 0;
    Line line;
    bool inRow = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("row")) {
                bool ok = false;
                const int r = xml.attributes().value(QLatin1String("r")).toInt(&ok);
                lineNumber = ok ? r : lineNumber + 1;
                line = Line{};
                inRow = true;
            } else if (xml.name() == QLatin1String("c") && inRow) {
                const QXmlStreamAttributes attributes = xml.attributes();
                const int column = columnOf(attributes.value(QLatin1String("r")));
                const QString type = attributes.value(QLatin1String("t")).toString();
                Cell cell;
                QString value;
                bool hasValue = false;
                while (!xml.atEnd()) {
                    xml.readNext();
                    if (xml.isStartElement()) {
                        if (xml.name() == QLatin1String("f")) {
                            cell.formula = true;
                            xml.readElementText();
                        } else if (xml.name() == QLatin1String("v")) {
                            value = xml.readElementText();
                            hasValue = true;
                        } else if (xml.name() == QLatin1String("is")) {
                            value = runsText(xml);
                            hasValue = true;
                        }
                    } else if (xml.isEndElement() && xml.name() == QLatin1String("c")) {
                        break;
                    }
                }
                if (hasValue) {
                    if (type == QLatin1String("s")) {
                        bool ok = false;
                        const int index = value.trimmed().toInt(&ok);
                        cell.type = Cell::String;
                        cell.text = ok && index >= 0 && index < strings.size() ? strings.at(index) : QString();
                    } else if (type == QLatin1String("str") || type == QLatin1String("inlineStr")) {
                        cell.type = Cell::String;
                        cell.text = value;
                    } else if (type == QLatin1String("b")) {
                        cell.type = Cell::Boolean;
                        cell.text = value;
                    } else if (type == QLatin1String("e")) {
                        cell.type = Cell::Error;
                        cell.text = value;
                    } else {
                        cell.type = Cell::Number;
                        cell.text = value.trimmed();
                    }
                }
                if (column >= 0 && column < ColumnCount)
                    line[column] = cell;
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row") && inRow) {
            lines->append({lineNumber, line});
            inRow = false;
        }
    }
    if (xml.hasError()) {
        *detail = xml.errorString();
        return false;
    }
    return true;
}

PriceCell priceCell(const Cell &cell)
{
    PriceCell price;
    if (cell.formula) {
        price.kind = PriceCell::Formula;
        price.text = cell.text;
        return price;
    }
    switch (cell.type) {
    case Cell::Empty:
        break;
    case Cell::Number: {
        bool ok = false;
        const double value = cell.text.toDouble(&ok);  // the file's own format: C locale
        price.kind = ok ? PriceCell::Number : PriceCell::Text;
        price.value = value;
        price.text = cell.text;
        break;
    }
    case Cell::String:
        // A price typed as text: the supplier may have written "12,50"; the check decides.
        price.kind = cell.text.trimmed().isEmpty() ? PriceCell::Empty : PriceCell::Text;
        price.text = cell.text;
        break;
    case Cell::Boolean:
        price.kind = PriceCell::Text;
        price.text = cell.text;
        break;
    case Cell::Error:
        price.kind = PriceCell::Error;
        price.text = cell.text;
        break;
    }
    return price;
}

QString cellText(const Cell &cell)
{
    return cell.text;
}

// "code rest" -> code (the region and brand columns show code and name).
QString firstWord(const QString &text)
{
    return text.trimmed().section(QLatin1Char(' '), 0, 0);
}

} // namespace

void PriceSheetReader::splitCodeAndName(PriceSheet *sheet)
{
    const QString separator = QStringLiteral(" - ");
    sheet->branchName = sheet->branch.section(separator, 1).trimmed();
    sheet->branch = sheet->branch.section(separator, 0, 0).trimmed();
    sheet->supplierName = sheet->supplier.section(separator, 1).trimmed();
    sheet->supplier = sheet->supplier.section(separator, 0, 0).trimmed();
}

bool PriceSheetReader::read(const QString &path, PriceSheet *sheet, QString *error)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return PriceSheetCsv::readFile(path, sheet, error);
    return readXlsx(path, sheet, error);
}

bool PriceSheetReader::readXlsx(const QString &path, PriceSheet *sheet, QString *error)
{
    const TMessages texts(QStringLiteral("planilhaforn"));
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    *sheet = PriceSheet{};
    if (!QFileInfo(path).isFile())
        return fail(texts.Msg(QStringLiteral("Arq_N_Abre")).arg(path));
    XlsxPackage package(path);
    if (!package.open())
        return fail(texts.Msg(QStringLiteral("Arq_Corrompido")));

    QStringList strings;
    QByteArray bytes;
    bool missing = false;
    QString detail;
    if (package.part(QStringLiteral("xl/sharedStrings.xml"), &bytes, &missing)) {
        if (!readSharedStrings(bytes, &strings, &detail))
            return fail(texts.Msg(QStringLiteral("Arq_Xml_Invalido")).arg(detail));
    } else if (!missing) {
        return fail(texts.Msg(QStringLiteral("Arq_Corrompido")));
    }
    if (!package.part(firstSheetPart(package), &bytes, &missing))
        return fail(texts.Msg(missing ? QStringLiteral("Arq_Sem_Aba") : QStringLiteral("Arq_Corrompido")));
    QList<std::pair<int, Line>> lines;
    if (!readLines(bytes, strings, &lines, &detail))
        return fail(texts.Msg(QStringLiteral("Arq_Xml_Invalido")).arg(detail));

    const QHash<QString, QString *> header = {
        {texts.Msg(QStringLiteral("Rot_Filial")), &sheet->branch},
        {texts.Msg(QStringLiteral("Rot_Cotacao")), &sheet->number},
        {texts.Msg(QStringLiteral("Rot_Validade")), &sheet->validity},
        {texts.Msg(QStringLiteral("Rot_Comprador")), &sheet->buyer},
        {texts.Msg(QStringLiteral("Rot_Fornecedor")), &sheet->supplier},
    };
    for (const auto &[number, line] : lines) {
        const QString key = line[Key].text.trimmed();
        if (key.isEmpty()) {
            if (QString *target = header.value(line[0].text.trimmed()); target && target->isEmpty())
                *target = line[1].text.trimmed();
            continue;
        }
        if (key == texts.Msg(QStringLiteral("Col_Chave")))
            continue;
        PriceSheetRow row;
        row.line = number;
        row.key = PriceSheetKey::parse(key) ? key : QString();
        row.region = firstWord(cellText(line[Region]));
        row.treeCode = cellText(line[TreeCode]).trimmed();
        row.productName = cellText(line[ProductName]).trimmed();
        row.unit = cellText(line[Unit]).trimmed();
        row.brand = firstWord(cellText(line[Brand]));
        row.quantity = line[Quantity].text.toDouble();
        row.price = priceCell(line[Price]);
        row.observation = cellText(line[Observation]).trimmed();
        sheet->rows.append(row);
    }
    // The branch and supplier lines show "code - name".
    splitCodeAndName(sheet);
    return true;
}
