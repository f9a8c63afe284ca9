#include "PriceSheetCsv.h"

#include "CsvWriter.h"

#include "PriceSheet.h"
#include "PriceSheetLayout.h"
#include "PriceSheetReader.h"
#include "TMessages.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

using namespace PriceSheetLayout;

namespace {

constexpr QChar kSeparator = QLatin1Char(';');
const QByteArray kBom("\xEF\xBB\xBF");
constexpr qint64 kMaxFileSize = 64LL * 1024 * 1024;

} // namespace

QByteArray PriceSheetCsv::write(const PriceSheet &sheet)
{
    const TMessages texts(QStringLiteral("planilhaforn"));
    QString text;
    text.reserve(200 + sheet.rows.size() * 160);
    const auto record = [&](const QStringList &fields) {
        bool first = true;
        for (const QString &f : fields) {
            if (!first)
                text += kSeparator;
            first = false;
            text += f;
        }
        text += QLatin1String("\r\n");
    };
    // Every text is guarded against being taken for a formula; numbers are written bare.
    const auto field = [](const QString &value) { return CsvWriter::field(value); };
    const auto textRecord = [&](const QStringList &values) {
        QStringList out;
        for (const QString &v : values)
            out << field(v);
        record(out);
    };
    textRecord({texts.Msg(QStringLiteral("Planilha_Titulo"))});
    textRecord({texts.Msg(QStringLiteral("Rot_Filial")), sheet.branch.trimmed() + QStringLiteral(" - ") + sheet.branchName.trimmed()});
    textRecord({texts.Msg(QStringLiteral("Rot_Cotacao")), sheet.number.trimmed()});
    textRecord({texts.Msg(QStringLiteral("Rot_Validade")), sheet.validity});
    textRecord({texts.Msg(QStringLiteral("Rot_Comprador")), sheet.buyer.trimmed()});
    textRecord({texts.Msg(QStringLiteral("Rot_Fornecedor")),
            sheet.supplier.trimmed() + QStringLiteral(" - ") + sheet.supplierName.trimmed()});
    textRecord({texts.Msg(QStringLiteral("Rot_Instrucao"))});
    record({});
    textRecord({texts.Msg(QStringLiteral("Col_Regiao")), texts.Msg(QStringLiteral("Col_Produto")),
            texts.Msg(QStringLiteral("Col_NmProduto")), texts.Msg(QStringLiteral("Col_Unidade")),
            texts.Msg(QStringLiteral("Col_Marca")), texts.Msg(QStringLiteral("Col_Qtde")), texts.Msg(QStringLiteral("Col_Preco")),
            texts.Msg(QStringLiteral("Col_Obs")), texts.Msg(QStringLiteral("Col_Chave"))});
    for (const PriceSheetRow &row : sheet.rows) {
        record({field(row.region.trimmed() + QLatin1Char(' ') + row.regionName.trimmed()), field(row.treeCode.trimmed()),
                field(row.productName.trimmed()), field(row.unit.trimmed()),
                field(row.brand.trimmed() + QLatin1Char(' ') + row.brandName.trimmed()), CsvWriter::number(row.quantity, 3),
                row.price.kind == PriceCell::Number ? CsvWriter::number(row.price.value, 5) : QString(),
                field(row.observation), field(row.key)});
    }
    return kBom + text.toUtf8();
}

bool PriceSheetCsv::writeFile(const PriceSheet &sheet, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(write(sheet)) < 0 || !file.commit()) {
        if (error)
            *error = TMessages(QStringLiteral("planilhaforn")).Msg(QStringLiteral("Erro_Gravar")).arg(path, file.errorString());
        return false;
    }
    return true;
}

QList<QStringList> PriceSheetCsv::records(const QString &text)
{
    QList<QStringList> result;
    QStringList current;
    QString value;
    bool quoted = false;
    bool fieldStarted = false;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    value += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                value += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == kSeparator) {
            current.append(value);
            value.clear();
            fieldStarted = false;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            current.append(value);
            result.append(current);
            current.clear();
            value.clear();
            fieldStarted = false;
        } else {
            value += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !current.isEmpty() || !value.isEmpty()) {
        current.append(value);
        result.append(current);
    }
    return result;
}

bool PriceSheetCsv::read(const QByteArray &bytes, PriceSheet *sheet, QString *error)
{
    Q_UNUSED(error);
    const TMessages texts(QStringLiteral("planilhaforn"));
    *sheet = PriceSheet{};
    const QByteArray body = bytes.startsWith(kBom) ? bytes.mid(kBom.size()) : bytes;
    const QList<QStringList> lines = records(QString::fromUtf8(body));
    const QHash<QString, QString *> header = {
        {texts.Msg(QStringLiteral("Rot_Filial")), &sheet->branch},
        {texts.Msg(QStringLiteral("Rot_Cotacao")), &sheet->number},
        {texts.Msg(QStringLiteral("Rot_Validade")), &sheet->validity},
        {texts.Msg(QStringLiteral("Rot_Comprador")), &sheet->buyer},
        {texts.Msg(QStringLiteral("Rot_Fornecedor")), &sheet->supplier},
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList &f = lines.at(i);
        const QString key = f.value(Key).trimmed();
        if (key.isEmpty()) {
            if (QString *target = header.value(f.value(0).trimmed()); target && target->isEmpty())
                *target = f.value(1).trimmed();
            continue;
        }
        if (key == texts.Msg(QStringLiteral("Col_Chave")))
            continue;
        PriceSheetRow row;
        row.line = i + 1;
        row.key = PriceSheetKey::parse(key) ? key : QString();
        row.region = f.value(Region).trimmed().section(QLatin1Char(' '), 0, 0);
        row.treeCode = f.value(TreeCode).trimmed();
        row.productName = f.value(ProductName).trimmed();
        row.unit = f.value(Unit).trimmed();
        row.brand = f.value(Brand).trimmed().section(QLatin1Char(' '), 0, 0);
        row.quantity = parsePriceText(f.value(Quantity)).value_or(0);
        const QString price = f.value(Price);
        if (!price.trimmed().isEmpty()) {
            row.price.text = price;
            if (price.trimmed().startsWith(QLatin1Char('='))) {
                row.price.kind = PriceCell::Formula;
            } else if (const auto value = parsePriceText(price)) {
                row.price.kind = PriceCell::Number;
                row.price.value = *value;
            } else {
                row.price.kind = PriceCell::Text;
            }
        }
        row.observation = CsvWriter::unguarded(f.value(Observation).trimmed());
        sheet->rows.append(row);
    }
    PriceSheetReader::splitCodeAndName(sheet);
    return true;
}

bool PriceSheetCsv::readFile(const QString &path, PriceSheet *sheet, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) {
        if (error)
            *error = TMessages(QStringLiteral("planilhaforn")).Msg(QStringLiteral("Arq_N_Abre")).arg(path);
        return false;
    }
    return read(file.readAll(), sheet, error);
}
