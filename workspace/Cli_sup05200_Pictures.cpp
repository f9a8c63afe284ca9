// The pictures of the workspace: the cell pictures of the quotation grid and the icons
// of the quotation tools, drawn once per process on an olive background that is their
// transparent colour.
#include "Cli_sup05200.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSize = 16;

QPixmap blank(int size = kSize)
{
    QPixmap pix(size, size);
    pix.fill(TfrmGridCotaPrec::transparentColour());
    return pix;
}

QPixmap drawAlert()
{
    QPixmap pix = blank();
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(8, 1);
    triangle.lineTo(15, 14);
    triangle.lineTo(1, 14);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(120, 80, 0), 1));
    p.setBrush(QColor(255, 200, 0));
    p.drawPath(triangle);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(8, 5, 8, 9);
    p.drawPoint(8, 12);
    return pix;
}

QPixmap drawEmail()
{
    QPixmap pix = blank();
    QPainter p(&pix);
    p.setPen(QPen(QColor(40, 60, 120), 1));
    p.setBrush(Qt::white);
    p.drawRect(1, 3, 13, 9);
    p.drawLine(1, 3, 8, 9);
    p.drawLine(14, 3, 8, 9);
    return pix;
}

QPixmap drawNet()
{
    QPixmap pix = blank();
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 70, 140), 1));
    p.setBrush(QColor(120, 180, 240));
    p.drawEllipse(1, 1, 13, 13);
    p.drawEllipse(5, 1, 5, 13);
    p.drawLine(1, 8, 14, 8);
    return pix;
}

QPixmap drawCheckBox(bool checked)
{
    QPixmap pix = blank();
    QPainter p(&pix);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 11, 11);
    if (checked) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 120, 0), 2));
        p.drawLine(4, 8, 7, 11);
        p.drawLine(7, 11, 12, 4);
    }
    return pix;
}

// A tool icon: a coloured badge with a short sign.
QPixmap drawTool(const QString &sign, const QColor &colour)
{
    QPixmap pix(20, 20);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 4, 4);
    QFont font = p.font();
    font.setPixelSize(sign.size() > 2 ? 7 : 9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, sign);
    return pix;
}

QPixmap drawToolIcon(const QString &name)
{
    struct Tool { const char *name; const char *sign; QRgb colour; };
    static const Tool tools[] = {
        {"Filtro", "F", 0x2e6da4},       {"ExclPrZero", "0", 0xb03a2e},   {"CopiarCota", "D", 0x1e8449},
        {"Simulacao", "N/S", 0x7d3c98},  {"AutoMelhor", "M", 0xb9770e},   {"Obs", "Ob", 0x5d6d7e},
        {"Planilha", "i", 0x2874a6},     {"GridCotaPrecConsul", "C", 0x117a65},
        {"ReajustPr", "%", 0xa04000},    {"QtComprar", "Q", 0x6e2c00},    {"AtualizaFormPgto", "$", 0x196f3d},
        {"Copy", "J", 0x566573},         {"AlteraValidade", "V", 0x1a5276},
    };
    for (const Tool &t : tools) {
        if (name == QLatin1String(t.name))
            return drawTool(QString::fromUtf8(t.sign), QColor(t.colour));
    }
    return drawTool(QStringLiteral("?"), Qt::gray);
}

} // namespace

QColor TfrmGridCotaPrec::transparentColour()
{
    // The colour value 32896 (0x008080 in blue-green-red order): olive.
    return QColor(0x80, 0x80, 0x00);
}

QPixmap TfrmGridCotaPrec::picture(const QString &name)
{
    static QHash<QString, QPixmap> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QPixmap pix;
    if (name == QLatin1String("imgAlert"))
        pix = drawAlert();
    else if (name == QLatin1String("imgEmail"))
        pix = drawEmail();
    else if (name == QLatin1String("imgNet"))
        pix = drawNet();
    else if (name == QLatin1String("imgChecked"))
        pix = drawCheckBox(true);
    else if (name == QLatin1String("imgUnChecked"))
        pix = drawCheckBox(false);
    else if (name.startsWith(QLatin1String("tool:")))
        pix = drawToolIcon(name.mid(5));
    cache.insert(name, pix);
    return pix;
}

QString TfrmGridCotaPrec::cotacaoPictureName(const QString &fieldName, const QString &value)
{
    const QString v = value.trimmed().toUpper();
    if (fieldName == QLatin1String("IDTIPCOLREG")) {
        if (v.isEmpty() || v == QLatin1String("L"))
            return QStringLiteral("imgAlert");
        if (v == QLatin1String("E"))
            return QStringLiteral("imgEmail");
        if (v == QLatin1String("W"))
            return QStringLiteral("imgNet");
        return QString();
    }
    if (fieldName == QLatin1String("IDDISMONTLIS"))
        return v == QLatin1String("S") ? QStringLiteral("imgChecked") : QStringLiteral("imgUnChecked");
    return QString();
}
