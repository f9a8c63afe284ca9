// The pictures of the workspace: the cell pictures of the quotation grid and the icons of
// the quotation tools.  They are SVG files compiled into the resources library
// (":/icons/img*.svg" and ":/icons/tool-*.svg"), rendered once per process at the size they
// are shown at, with a real alpha channel around the drawing.
#include "Cli_sup05200.h"

#include "SupResources.h"

#include <QFile>
#include <QHash>
#include <QIcon>
#include <QImageReader>

namespace {

constexpr int kCellSize = 16;   // a grid cell picture
constexpr int kToolSize = 20;   // the icon size of the tool buttons

QPixmap render(const QString &path, int size)
{
    if (!QFile::exists(path))
        return {};
    // Device pixel ratio 1: the grid centres a picture by its pixel size.
    QPixmap pix = QIcon(path).pixmap(QSize(size, size), 1.0);
    if (pix.isNull()) {
        static bool warned = false;
        if (!warned) {
            warned = true;
            qWarning("TfrmGridCotaPrec: %s cannot be read%s", qPrintable(path),
                     QImageReader::supportedImageFormats().contains("svg")
                         ? ""
                         : "; install Qt's SVG plugins (libqt6svg6)");
        }
    }
    return pix;
}

QPixmap loadPicture(const QString &name)
{
    supInitResources();
    const QString icons = QStringLiteral(":/icons/");
    if (name.startsWith(QLatin1String("tool:"))) {
        const QString path = icons + QStringLiteral("tool-") + name.mid(5) + QStringLiteral(".svg");
        // A tool without a picture of its own shows the generic one.
        return render(QFile::exists(path) ? path : icons + QStringLiteral("tool-outro.svg"), kToolSize);
    }
    if (name.startsWith(QLatin1String("img")))
        return render(icons + name + QStringLiteral(".svg"), kCellSize);
    return {};
}

} // namespace

QColor TfrmGridCotaPrec::transparentColour()
{
    // The colour value 32896 (0x008080 in blue-green-red order): olive.  The grid still
    // masks it out of every picture; the pictures never use it and are transparent by
    // their alpha channel.
    return QColor(0x80, 0x80, 0x00);
}

QPixmap TfrmGridCotaPrec::picture(const QString &name)
{
    static QHash<QString, QPixmap> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    const QPixmap pix = loadPicture(name);
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
