#include "ScratchDatabase.h"

#include "DemoData.h"

#include <QFile>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sodium.h>
#include <sqlite3.h>

namespace {

bool cheapHash(const QString &password, QString *hash)
{
    char out[crypto_pwhash_STRBYTES];
    const QByteArray pw = password.toUtf8();
    if (crypto_pwhash_str(out, pw.constData(), static_cast<unsigned long long>(pw.size()),
                          crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN) != 0)
        return false;
    *hash = QString::fromLatin1(out);
    return true;
}

} // namespace

ScratchDatabase::~ScratchDatabase()
{
    m_db.reset();
    if (m_template)
        sqlite3_close(m_template);
}

bool ScratchDatabase::create(QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    if (sodium_init() < 0) {
        *error = QStringLiteral("libsodium could not be initialised");
        return false;
    }
    const QString templatePath = m_dir.filePath(QStringLiteral("template.db"));
    {
        DatabaseConfig config;
        config.path = templatePath;
        Database build(config, QStringLiteral("fuzz_template"));
        if (!build.open(error) || !build.migrate(error)
            || !DemoData::generate(build, DemoData::Size::Small, error))
            return false;
        QString hash;
        if (!cheapHash(DemoData::demoPassword(), &hash)) {
            *error = QStringLiteral("password hashing failed");
            return false;
        }
        build.exec(QStringLiteral("UPDATE OPERADOR SET DSSENHAOPER = :P_HASH"), {{QStringLiteral("P_HASH"), hash}});
        build.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz_template"));
    if (sqlite3_open_v2(templatePath.toUtf8().constData(), &m_template, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("cannot open the template database");
        return false;
    }

    DatabaseConfig config;
    config.path = m_dir.filePath(QStringLiteral("work.db"));
    m_db = std::make_unique<Database>(config, QStringLiteral("fuzz_work"));
    if (!m_db->open(error))
        return false;
    // A crash of the fuzz run loses nothing worth syncing for.
    m_db->exec(QStringLiteral("PRAGMA synchronous = OFF"));
    m_changesAtStart = -1;   // force the first copy
    return restore(error);
}

sqlite3 *ScratchDatabase::workHandle() const
{
    const QVariant handle = m_db->sql().driver()->handle();
    return handle.isValid() ? *static_cast<sqlite3 *const *>(handle.data()) : nullptr;
}

bool ScratchDatabase::idle() const
{
    return sqlite3_get_autocommit(workHandle()) != 0;
}

void ScratchDatabase::beginInput()
{
    m_changesAtStart = sqlite3_total_changes64(workHandle());
}

bool ScratchDatabase::restore(QString *error)
{
    sqlite3 *work = workHandle();
    if (m_changesAtStart == sqlite3_total_changes64(work))
        return true;
    sqlite3_backup *copy = sqlite3_backup_init(work, "main", m_template, "main");
    const int step = copy ? sqlite3_backup_step(copy, -1) : SQLITE_ERROR;
    const int finish = copy ? sqlite3_backup_finish(copy) : SQLITE_ERROR;
    if (step != SQLITE_DONE || finish != SQLITE_OK) {
        *error = QStringLiteral("restoring the scratch database failed: %1").arg(QString::fromUtf8(sqlite3_errmsg(work)));
        return false;
    }
    m_changesAtStart = sqlite3_total_changes64(work);
    return true;
}
