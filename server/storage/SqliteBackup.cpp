#include "SqliteBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>

namespace {

// How long the backup waits for a writer that holds the database (a checkpoint, the
// start of a write transaction) before giving up.
constexpr int kBusyTimeoutMs = 10000;

// Closes an SQLite handle when it goes out of scope.
struct Handle
{
    sqlite3 *db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
    QString error() const { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"); }
};

bool openHandle(const QString &path, int flags, Handle *handle, QString *error)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &handle->db, flags, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, handle->error());
        return false;
    }
    sqlite3_busy_timeout(handle->db, kBusyTimeoutMs);
    return true;
}

} // namespace

bool SqliteBackup::copy(const QString &source, const QString &target, QString *error)
{
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile()) {
        *error = QStringLiteral("no database file %1").arg(source);
        return false;
    }
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == sourceInfo.canonicalFilePath()) {
        *error = QStringLiteral("the backup would overwrite the database itself (%1)").arg(target);
        return false;
    }
    if (!targetInfo.absoluteDir().exists()) {
        *error = QStringLiteral("the folder %1 does not exist").arg(targetInfo.absolutePath());
        return false;
    }
    const QString partial = target + QStringLiteral(".partial");
    QFile::remove(partial);

    bool ok = false;
    {
        Handle from;
        Handle to;
        // Read-only, and never creating: a mistyped source must not become an empty database.
        if (!openHandle(source, SQLITE_OPEN_READONLY, &from, error)
            || !openHandle(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &to, error)) {
            QFile::remove(partial);
            return false;
        }
        sqlite3_backup *backup = sqlite3_backup_init(to.db, "main", from.db, "main");
        if (!backup) {
            *error = QStringLiteral("cannot start the backup: %1").arg(to.error());
        } else {
            // All pages in one step: one read transaction, so the copy is one moment's state.
            int rc = sqlite3_backup_step(backup, -1);
            while (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                sqlite3_sleep(50);
                rc = sqlite3_backup_step(backup, -1);
            }
            const int finish = sqlite3_backup_finish(backup);
            if (rc != SQLITE_DONE || finish != SQLITE_OK)
                *error = QStringLiteral("the backup of %1 failed: %2")
                             .arg(source, QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : finish)));
            else
                ok = true;
        }
        if (ok) {
            // The copy carries the source's WAL mode; fold its log into the file so that
            // the one file is the whole backup.
            sqlite3_exec(to.db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
            char *message = nullptr;
            if (sqlite3_exec(to.db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, &message) != SQLITE_OK) {
                *error = QStringLiteral("cannot finish the backup file: %1").arg(QString::fromUtf8(message));
                ok = false;
            }
            sqlite3_free(message);
        }
    }
    if (!ok) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-wal"));
        QFile::remove(partial + QStringLiteral("-shm"));
        return false;
    }
    QFile::remove(target + QStringLiteral("-wal"));
    QFile::remove(target + QStringLiteral("-shm"));
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        *error = QStringLiteral("cannot move the backup into place as %1").arg(target);
        QFile::remove(partial);
        return false;
    }
    return true;
}
