#include "ModuleLoader.h"

#include "HostMessages.h"
#include "TMessages.h"

#include <QDir>

ModuleLoader::ModuleLoader(QString directory)
    : m_directory(std::move(directory))
{
}

ModuleLoader::~ModuleLoader() = default;

QString ModuleLoader::packageName(const QString &module)
{
    return QStringLiteral("PKG_") + module.trimmed().toUpper();
}

bool ModuleLoader::isLoaded(const QString &module) const
{
    return m_packages.count(module.trimmed().toUpper()) > 0;
}

ModuleLoader::Package &ModuleLoader::load(const QString &module)
{
    const QString key = module.trimmed().toUpper();
    if (auto it = m_packages.find(key); it != m_packages.end())
        return it->second;

    Package package;
    package.library = std::make_unique<QLibrary>(QDir(m_directory).filePath(packageName(key)));
    if (!package.library->load())
        throw ModuleError(hostMessages().Msg(QStringLiteral("ModuloNaoCarregado"))
                              .arg(key, package.library->errorString()));

    package.iniProc = reinterpret_cast<EntryProc>(package.library->resolve("IniProc"));
    if (!package.iniProc)
        throw ModuleError(hostMessages().Msg(QStringLiteral("ModuloSemEntrada")).arg(key));
    const auto loadHook = reinterpret_cast<HookProc>(package.library->resolve("PackageLoad"));
    package.unloadHook = reinterpret_cast<HookProc>(package.library->resolve("PackageUnload"));
    if (loadHook)
        loadHook();
    return m_packages.emplace(key, std::move(package)).first->second;
}

void ModuleLoader::open(const QString &module, const QVariant &param)
{
    Package &package = load(module);
    package.iniProc(&param);
}

void ModuleLoader::unloadAll()
{
    for (auto &[name, package] : m_packages) {
        if (package.unloadHook)
            package.unloadHook();
        package.unloadHook = nullptr;
    }
}
