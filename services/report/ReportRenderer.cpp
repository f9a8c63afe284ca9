#include "ReportRenderer.h"

#include "TMessages.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {

constexpr qreal kMarginMm = 12.0;

// The texts of the page frame.
const TMessages &frameTexts()
{
    static const TMessages texts(QStringLiteral("relatorio"));
    return texts;
}

struct Fonts
{
    QFont title;
    QFont normal;
    QFont bold;
    QFont small;

    Fonts()
    {
        title.setFamily(QStringLiteral("Sans Serif"));
        title.setPointSizeF(13);
        title.setBold(true);
        normal.setFamily(QStringLiteral("Sans Serif"));
        normal.setPointSizeF(8);
        bold = normal;
        bold.setBold(true);
        small = normal;
        small.setPointSizeF(7);
    }
};

// Measures and paints texts in boxes of the device.
class Page
{
public:
    Page(QPainter &painter, QPagedPaintDevice &device)
        : m_painter(painter), m_device(device)
    {
    }

    qreal lineHeight(const QFont &font) const { return QFontMetricsF(font, &m_device).height(); }
    qreal advance(const QFont &font, const QString &text) const
    {
        return QFontMetricsF(font, &m_device).horizontalAdvance(text);
    }

    // Height of text wrapped into width.
    qreal textHeight(const QFont &font, const QString &text, qreal width) const
    {
        const QFontMetricsF fm(font, &m_device);
        if (!text.contains(QLatin1Char('\n')) && fm.horizontalAdvance(text) <= width)
            return fm.height();
        return fm.boundingRect(QRectF(0, 0, std::max<qreal>(width, 1), 1e9), Qt::TextWordWrap, text).height();
    }

    void text(const QFont &font, const QRectF &box, const QString &text, Qt::Alignment alignment = Qt::AlignLeft)
    {
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        m_painter.drawText(box, int(alignment | Qt::AlignTop | Qt::TextWordWrap), text);
    }

private:
    QPainter &m_painter;
    QPagedPaintDevice &m_device;
};

// Where each piece goes: the rows of each page, the height of each row.
struct Layout
{
    qreal width = 0;
    qreal height = 0;
    qreal padding = 0;
    qreal headerHeight = 0;
    qreal footerHeight = 0;
    qreal columnHeaderHeight = 0;
    qreal parametersHeight = 0;
    qreal closingHeight = 0;
    qreal labelWidth = 0;
    QList<qreal> columnX;
    QList<qreal> columnWidth;
    QList<qreal> rowHeight;
    QList<QList<int>> pages;   // row indexes per page
    int closingPage = 0;       // the page the closing lines (or the empty text) go on
};

QString paddedCell(const QStringList &cells, int i)
{
    return i < cells.size() ? cells.at(i) : QString();
}

Layout layOut(const ReportDocument &doc, Page &page, const Fonts &fonts, qreal width, qreal height)
{
    Layout l;
    l.width = width;
    l.height = height;
    const qreal line = page.lineHeight(fonts.normal);
    l.padding = line * 0.25;
    l.headerHeight = page.lineHeight(fonts.title) + page.lineHeight(fonts.normal) + 3 * l.padding;
    l.footerHeight = page.lineHeight(fonts.small) + 2 * l.padding;

    int totalWidth = 0;
    for (const ReportColumn &c : doc.columns)
        totalWidth += std::max(1, c.width);
    qreal x = 0;
    for (const ReportColumn &c : doc.columns) {
        const qreal w = totalWidth ? width * std::max(1, c.width) / totalWidth : width;
        l.columnX << x;
        l.columnWidth << w;
        x += w;
    }
    for (int i = 0; i < doc.columns.size(); ++i)
        l.columnHeaderHeight = std::max(l.columnHeaderHeight,
                                        page.textHeight(fonts.bold, doc.columns.at(i).title,
                                                        l.columnWidth.at(i) - 2 * l.padding));
    l.columnHeaderHeight += 2 * l.padding;

    if (!doc.parameters.isEmpty()) {
        qreal labels = 0;
        for (const auto &p : doc.parameters)
            labels = std::max(labels, page.advance(fonts.bold, p.first));
        l.labelWidth = std::min(width * 0.35, labels + 4 * l.padding);
        l.parametersHeight = page.lineHeight(fonts.bold) + l.padding;
        for (const auto &p : doc.parameters)
            l.parametersHeight += page.textHeight(fonts.normal, p.second, width - l.labelWidth - 2 * l.padding) + l.padding;
        l.parametersHeight += 2 * l.padding;
    }

    for (const ReportRow &row : doc.rows) {
        qreal h = 0;
        if (row.kind == ReportRow::Kind::Group) {
            h = page.textHeight(fonts.bold, row.cells.value(0), width - 2 * l.padding);
        } else {
            for (int i = 0; i < doc.columns.size(); ++i)
                h = std::max(h, page.textHeight(fonts.normal, paddedCell(row.cells, i), l.columnWidth.at(i) - 2 * l.padding));
        }
        l.rowHeight << h + 2 * l.padding;
    }

    const QStringList closing = doc.rows.isEmpty() && !doc.emptyText.isEmpty() ? QStringList{doc.emptyText} + doc.closing
                                                                                : doc.closing;
    for (const QString &text : closing)
        l.closingHeight += page.textHeight(fonts.normal, text, width) + l.padding;
    if (l.closingHeight > 0)
        l.closingHeight += 2 * l.padding;

    // Rows go on a page while they fit under the header, the parameters (first page) and
    // the column titles; a row taller than a whole page gets a page of its own.
    const qreal body = height - l.headerHeight - l.footerHeight;
    qreal used = l.parametersHeight;
    l.pages.append(QList<int>());
    for (int i = 0; i < doc.rows.size(); ++i) {
        const qreal needed = (l.pages.last().isEmpty() ? l.columnHeaderHeight : 0) + l.rowHeight.at(i);
        if (!l.pages.last().isEmpty() && used + needed > body) {
            l.pages.append(QList<int>());
            used = 0;
        }
        if (l.pages.last().isEmpty())
            used += l.columnHeaderHeight;
        l.pages.last() << i;
        used += l.rowHeight.at(i);
    }
    if (l.closingHeight > 0 && used + l.closingHeight > body && !(l.pages.size() == 1 && l.pages.first().isEmpty()))
        l.pages.append(QList<int>());
    l.closingPage = int(l.pages.size()) - 1;
    return l;
}

void paintHeader(const ReportDocument &doc, Page &page, QPainter &painter, const Fonts &fonts, const Layout &l)
{
    const qreal titleHeight = page.lineHeight(fonts.title);
    page.text(fonts.title, QRectF(0, 0, l.width * 0.75, titleHeight), doc.title);
    page.text(fonts.normal, QRectF(l.width * 0.75, 0, l.width * 0.25, titleHeight), doc.code, Qt::AlignRight);
    const qreal second = titleHeight + l.padding;
    const qreal line = page.lineHeight(fonts.normal);
    page.text(fonts.normal, QRectF(0, second, l.width * 0.7, line), doc.subject);
    page.text(fonts.normal, QRectF(l.width * 0.7, second, l.width * 0.3, line),
              doc.printedAt.toString(QStringLiteral("dd/MM/yyyy HH:mm")), Qt::AlignRight);
    const qreal y = l.headerHeight - l.padding;
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(0, y), QPointF(l.width, y));
}

void paintFooter(const ReportDocument &doc, Page &page, QPainter &painter, const Fonts &fonts, const Layout &l,
                 int number, int total)
{
    const qreal y = l.height - l.footerHeight;
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(0, y), QPointF(l.width, y));
    const QRectF box(0, y + l.padding, l.width, page.lineHeight(fonts.small));
    page.text(fonts.small, box,
              frameTexts().Msg(QStringLiteral("Emitido")).arg(doc.printedAt.toString(QStringLiteral("dd/MM/yyyy HH:mm"))));
    page.text(fonts.small, box, frameTexts().Msg(QStringLiteral("Pagina")).arg(number).arg(total), Qt::AlignRight);
}

qreal paintParameters(const ReportDocument &doc, Page &page, QPainter &painter, const Fonts &fonts, const Layout &l,
                      qreal y)
{
    const qreal line = page.lineHeight(fonts.bold);
    page.text(fonts.bold, QRectF(0, y, l.width, line), frameTexts().Msg(QStringLiteral("Parametros")));
    y += line + l.padding;
    for (const auto &p : doc.parameters) {
        const qreal valueWidth = l.width - l.labelWidth - 2 * l.padding;
        const qreal h = page.textHeight(fonts.normal, p.second, valueWidth);
        page.text(fonts.bold, QRectF(l.padding, y, l.labelWidth, line), p.first);
        page.text(fonts.normal, QRectF(l.labelWidth + l.padding, y, valueWidth, h), p.second);
        y += h + l.padding;
    }
    y += l.padding;
    painter.setPen(QPen(Qt::gray, 0));
    painter.drawLine(QPointF(0, y), QPointF(l.width, y));
    return y + l.padding;
}

qreal paintColumnHeader(const ReportDocument &doc, Page &page, QPainter &painter, const Fonts &fonts, const Layout &l,
                        qreal y)
{
    painter.fillRect(QRectF(0, y, l.width, l.columnHeaderHeight), QColor(225, 225, 225));
    for (int i = 0; i < doc.columns.size(); ++i) {
        const ReportColumn &c = doc.columns.at(i);
        page.text(fonts.bold,
                  QRectF(l.columnX.at(i) + l.padding, y + l.padding, l.columnWidth.at(i) - 2 * l.padding,
                         l.columnHeaderHeight - 2 * l.padding),
                  c.title, c.alignment);
    }
    return y + l.columnHeaderHeight;
}

qreal paintRow(const ReportDocument &doc, Page &page, QPainter &painter, const Fonts &fonts, const Layout &l, int index,
               qreal y)
{
    const ReportRow &row = doc.rows.at(index);
    const qreal h = l.rowHeight.at(index);
    if (row.kind == ReportRow::Kind::Group) {
        painter.fillRect(QRectF(0, y, l.width, h), QColor(242, 242, 242));
        page.text(fonts.bold, QRectF(l.padding, y + l.padding, l.width - 2 * l.padding, h - 2 * l.padding),
                  row.cells.value(0));
    } else {
        for (int i = 0; i < doc.columns.size(); ++i)
            page.text(fonts.normal,
                      QRectF(l.columnX.at(i) + l.padding, y + l.padding, l.columnWidth.at(i) - 2 * l.padding,
                             h - 2 * l.padding),
                      paddedCell(row.cells, i), doc.columns.at(i).alignment);
    }
    painter.setPen(QPen(QColor(200, 200, 200), 0));
    painter.drawLine(QPointF(0, y + h), QPointF(l.width, y + h));
    return y + h;
}

void paintClosing(const ReportDocument &doc, Page &page, const Fonts &fonts, const Layout &l, qreal y)
{
    QStringList lines = doc.closing;
    if (doc.rows.isEmpty() && !doc.emptyText.isEmpty())
        lines.prepend(doc.emptyText);
    y += 2 * l.padding;
    for (const QString &text : std::as_const(lines)) {
        const qreal h = page.textHeight(fonts.normal, text, l.width);
        page.text(fonts.normal, QRectF(0, y, l.width, h), text);
        y += h + l.padding;
    }
}

} // namespace

int ReportRenderer::render(const ReportDocument &doc, QPagedPaintDevice &device)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const Fonts fonts;
    Page page(painter, device);
    const Layout l = layOut(doc, page, fonts, device.width(), device.height());
    const int total = int(l.pages.size());
    for (int p = 0; p < total; ++p) {
        if (p > 0)
            device.newPage();
        paintHeader(doc, page, painter, fonts, l);
        qreal y = l.headerHeight;
        if (p == 0 && !doc.parameters.isEmpty())
            y = paintParameters(doc, page, painter, fonts, l, y);
        if (!l.pages.at(p).isEmpty())
            y = paintColumnHeader(doc, page, painter, fonts, l, y);
        for (int index : l.pages.at(p))
            y = paintRow(doc, page, painter, fonts, l, index, y);
        if (p == l.closingPage)
            paintClosing(doc, page, fonts, l, y);
        paintFooter(doc, page, painter, fonts, l, p + 1, total);
    }
    painter.end();
    return total;
}

int ReportRenderer::exportPdf(const ReportDocument &doc, const QString &fileName)
{
    int pages = 0;
    {
        QPdfWriter writer(fileName);
        writer.setResolution(300);
        writer.setTitle(doc.title);
        writer.setCreator(doc.code);
        pages = render(doc, writer);
    }
    return pages > 0 && QFileInfo::exists(fileName) ? pages : 0;
}
