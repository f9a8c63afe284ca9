#include "FormIcons.h"

#include "SupResources.h"

#include <QFile>
#include <QHash>
#include <QImageReader>

namespace FormIcons {

namespace {

// The resource file of a command's picture; empty for an unknown name.
QString resourcePath(const QString &name)
{
    // Cancelling shares the delete cross and running shares the confirmation tick.
    static const QHash<QString, QString> shared = {
        {QStringLiteral("cancelar"), QStringLiteral("excluir")},
        {QStringLiteral("executar"), QStringLiteral("confirmar")},
    };
    if (name.isEmpty())
        return {};
    supInitResources();
    const QString path = QStringLiteral(":/icons/form-") + shared.value(name, name) + QStringLiteral(".svg");
    return QFile::exists(path) ? path : QString();
}

// Says once per process when the pictures cannot be drawn: the buttons keep working, only
// without their pictures.
void warnWithoutSvgSupport()
{
    static const bool readable = [] {
        const bool ok = QImageReader::supportedImageFormats().contains("svg");
        if (!ok)
            qWarning("FormIcons: Qt cannot read SVG pictures; install Qt's SVG plugins (libqt6svg6)");
        return ok;
    }();
    Q_UNUSED(readable);
}

} // namespace

QIcon command(const QString &name)
{
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return {};
    warnWithoutSvgSupport();
    return QIcon(path);
}

} // namespace FormIcons
