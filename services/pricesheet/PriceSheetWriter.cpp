#include "PriceSheetWriter.h"

#include "PriceSheet.h"
#include "TMessages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <dlfcn.h>

namespace {

using WriteXlsx = bool (*)(const PriceSheet &, const QString &, QString *);

// The folder of this library: the writing module is built next to it.
QString libraryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&libraryFolder), &info) && info.dli_fname)
        return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
    return QCoreApplication::applicationDirPath();
}

// Loaded once; its own libraries come first in its symbol look-ups (see the module).
WriteXlsx writeFunction(QString *reason)
{
    static QLibrary module;
    static WriteXlsx function = nullptr;
    if (!function) {
        module.setFileName(libraryFolder() + QStringLiteral("/libSupPriceSheetXlsx.so"));
        module.setLoadHints(QLibrary::DeepBindHint);
        function = reinterpret_cast<WriteXlsx>(module.resolve("supWritePriceSheetXlsx"));
        if (!function)
            *reason = module.errorString();
    }
    return function;
}

} // namespace

bool PriceSheetWriter::writeXlsx(const PriceSheet &sheet, const QString &path, QString *error)
{
    QString reason;
    const WriteXlsx write = writeFunction(&reason);
    if (!write) {
        if (error)
            *error = TMessages(QStringLiteral("planilhaforn")).Msg(QStringLiteral("Erro_Gravar")).arg(path, reason);
        return false;
    }
    return write(sheet, path, error);
}
