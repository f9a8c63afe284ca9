#pragma once

#include <QLibrary>
#include <QString>
#include <QVariant>

#include <map>
#include <memory>
#include <stdexcept>

// A module that cannot be opened: its library is missing or lacks an entry point.  The
// message is meant for the user.
class ModuleError : public std::runtime_error
{
public:
    explicit ModuleError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Loads module packages by name at run time ("SUP05200" is the library
// libPKG_SUP05200.so in the program's folder), runs each package's load hook once and
// opens the module through its entry procedure IniProc.  The host never links a package.
class ModuleLoader
{
public:
    explicit ModuleLoader(QString directory);
    ~ModuleLoader();

    ModuleLoader(const ModuleLoader &) = delete;
    ModuleLoader &operator=(const ModuleLoader &) = delete;

    QString directory() const { return m_directory; }
    // The library file base name of a module: "SUP05200" -> "PKG_SUP05200".
    static QString packageName(const QString &module);

    // Loads the module's package when needed and calls its IniProc with param (a null
    // variant for a normal start).  Raises ModuleError; what IniProc raises propagates.
    void open(const QString &module, const QVariant &param = QVariant());
    bool isLoaded(const QString &module) const;

    // Runs the unload hook of every loaded package.  The libraries stay mapped until the
    // process ends: Qt may still hold their metadata while the application winds down.
    void unloadAll();

private:
    using EntryProc = void (*)(const QVariant *);
    using HookProc = void (*)();

    struct Package
    {
        std::unique_ptr<QLibrary> library;
        EntryProc iniProc = nullptr;
        HookProc unloadHook = nullptr;
    };

    Package &load(const QString &module);

    QString m_directory;
    std::map<QString, Package> m_packages;
};
