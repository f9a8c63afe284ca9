// The XLSX writing module: everything that calls libxlsxwriter.  Built as a module of its
// own and loaded by PriceSheetWriter with its symbols bound to its own libraries first:
// libxlsxwriter writes its ZIP container through the system's minizip, whose function
// names QuaZip (which reads the sheets back, in the same process) also exports.
#include "PriceSheet.h"
#include "PriceSheetLayout.h"
#include "TMessages.h"

#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

using namespace PriceSheetLayout;

namespace {

// libxlsxwriter keeps the pointers it is given until the workbook is closed.
class Utf8Texts
{
public:
    const char *operator()(const QString &text)
    {
        m_texts.append(text.toUtf8());
        return m_texts.constLast().constData();
    }

private:
    QList<QByteArray> m_texts;
};

} // namespace

extern "C" Q_DECL_EXPORT bool supWritePriceSheetXlsx(const PriceSheet &sheet, const QString &path, QString *error)
{
    const TMessages texts(QStringLiteral("planilhaforn"));
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    const QByteArray tmpDir = QFile::encodeName(QFileInfo(path).absolutePath());
    options.tmpdir = const_cast<char *>(tmpDir.constData());
    lxw_workbook *book = workbook_new_opt(fileName.constData(), &options);
    if (!book) {
        if (error)
            *error = texts.Msg(QStringLiteral("Erro_Gravar")).arg(path, QStringLiteral("workbook"));
        return false;
    }
    Utf8Texts utf8;
    lxw_worksheet *ws = workbook_add_worksheet(book, utf8(texts.Msg(QStringLiteral("Planilha_Aba"))));

    lxw_format *title = workbook_add_format(book);
    format_set_bold(title);
    format_set_font_size(title, 14);
    lxw_format *label = workbook_add_format(book);
    format_set_bold(label);
    lxw_format *text = workbook_add_format(book);
    lxw_format *columnTitle = workbook_add_format(book);
    format_set_bold(columnTitle);
    format_set_bg_color(columnTitle, 0xD9E1F2);
    format_set_border(columnTitle, LXW_BORDER_THIN);
    format_set_text_wrap(columnTitle);
    lxw_format *quantity = workbook_add_format(book);
    format_set_num_format(quantity, "#,##0.000");
    lxw_format *price = workbook_add_format(book);
    format_set_num_format(price, "#,##0.00000");
    format_set_unlocked(price);
    format_set_bg_color(price, 0xFFF2CC);
    format_set_border(price, LXW_BORDER_HAIR);
    lxw_format *observation = workbook_add_format(book);
    format_set_unlocked(observation);
    format_set_bg_color(observation, 0xFFF2CC);
    format_set_border(observation, LXW_BORDER_HAIR);
    lxw_format *instruction = workbook_add_format(book);
    format_set_italic(instruction);

    worksheet_set_column(ws, Region, Region, 8, nullptr);
    worksheet_set_column(ws, TreeCode, TreeCode, 14, nullptr);
    worksheet_set_column(ws, ProductName, ProductName, 42, nullptr);
    worksheet_set_column(ws, Unit, Unit, 8, nullptr);
    worksheet_set_column(ws, Brand, Brand, 20, nullptr);
    worksheet_set_column(ws, Quantity, Quantity, 14, nullptr);
    worksheet_set_column(ws, Price, Price, 16, nullptr);
    worksheet_set_column(ws, Observation, Observation, 40, nullptr);
    lxw_row_col_options hidden{};
    hidden.hidden = LXW_TRUE;
    worksheet_set_column_opt(ws, Key, Key, 30, nullptr, &hidden);

    worksheet_write_string(ws, kTitleLine, 0, utf8(texts.Msg(QStringLiteral("Planilha_Titulo"))), title);
    const QList<std::pair<const char *, QString>> header = {
        {"Rot_Filial", sheet.branch.trimmed() + QStringLiteral(" - ") + sheet.branchName.trimmed()},
        {"Rot_Cotacao", sheet.number.trimmed()},
        {"Rot_Validade", sheet.validity},
        {"Rot_Comprador", sheet.buyer.trimmed()},
        {"Rot_Fornecedor", sheet.supplier.trimmed() + QStringLiteral(" - ") + sheet.supplierName.trimmed()},
    };
    int line = kFirstHeaderLine;
    for (const auto &[key, value] : header) {
        worksheet_write_string(ws, line, 0, utf8(texts.Msg(QLatin1String(key))), label);
        worksheet_write_string(ws, line, 1, utf8(value), text);
        ++line;
    }
    worksheet_write_string(ws, kInstructionLine, 0, utf8(texts.Msg(QStringLiteral("Rot_Instrucao"))), instruction);

    const char *titles[ColumnCount] = {"Col_Regiao", "Col_Produto", "Col_NmProduto", "Col_Unidade", "Col_Marca",
                                       "Col_Qtde", "Col_Preco", "Col_Obs", "Col_Chave"};
    for (int c = 0; c < ColumnCount; ++c)
        worksheet_write_string(ws, kColumnTitleLine, c, utf8(texts.Msg(QLatin1String(titles[c]))), columnTitle);
    worksheet_freeze_panes(ws, kFirstItemLine, 0);

    line = kFirstItemLine;
    for (const PriceSheetRow &row : sheet.rows) {
        worksheet_write_string(ws, line, Region, utf8(row.region.trimmed() + QLatin1Char(' ') + row.regionName.trimmed()),
                               text);
        worksheet_write_string(ws, line, TreeCode, utf8(row.treeCode.trimmed()), text);
        worksheet_write_string(ws, line, ProductName, utf8(row.productName.trimmed()), text);
        worksheet_write_string(ws, line, Unit, utf8(row.unit.trimmed()), text);
        worksheet_write_string(ws, line, Brand, utf8(row.brand.trimmed() + QLatin1Char(' ') + row.brandName.trimmed()),
                               text);
        worksheet_write_number(ws, line, Quantity, row.quantity, quantity);
        if (row.price.kind == PriceCell::Number)
            worksheet_write_number(ws, line, Price, row.price.value, price);
        else
            worksheet_write_blank(ws, line, Price, price);
        if (row.observation.isEmpty())
            worksheet_write_blank(ws, line, Observation, observation);
        else
            worksheet_write_string(ws, line, Observation, utf8(row.observation), observation);
        worksheet_write_string(ws, line, Key, utf8(row.key), text);
        ++line;
    }

    // Locked cells cannot be changed and the key column cannot be shown again; rows may
    // still be resized so that long observations can be read.
    lxw_protection protection{};
    protection.format_rows = LXW_TRUE;
    worksheet_protect(ws, nullptr, &protection);

    const lxw_error result = workbook_close(book);
    if (result != LXW_NO_ERROR) {
        if (error)
            *error = texts.Msg(QStringLiteral("Erro_Gravar")).arg(path, QString::fromUtf8(lxw_strerror(result)));
        return false;
    }
    return true;
}
