// Backups of the SQLite database: SqliteBackup's copy, and sup-server --backup taken from a
// running server, restored by starting a server on the copy.

#include "NetConnection.h"
#include "ServerFixture.h"
#include "ServerProcess.h"
#include "SqliteBackup.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

class tst_Backup : public QObject
{
    Q_OBJECT

private slots:
    void copyHoldsCommittedRowsStillInTheLog();
    void copyRefused_data();
    void copyRefused();
    void backupOfRunningServerRestores();
};

namespace {

QSqlDatabase openSqlite(const QString &path, const QString &name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.open();
    return db;
}

QVariant scalar(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return {};
    return query.value(0);
}

} // namespace

// A copy of the main file alone would miss what a server committed but has not yet
// checkpointed out of the WAL log; the copy must hold it, in one file.
void tst_Backup::copyHoldsCommittedRowsStillInTheLog()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("live.db"));
    const QString target = dir.filePath(QStringLiteral("copy.db"));
    {
        QSqlDatabase live = openSqlite(source, QStringLiteral("live"));
        QSqlQuery query(live);
        QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
        QVERIFY(query.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")));
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE T (N INTEGER)")));
        for (int i = 0; i < 50; ++i)
            QVERIFY(query.exec(QStringLiteral("INSERT INTO T VALUES (%1)").arg(i)));
        QVERIFY(QFileInfo(source + QStringLiteral("-wal")).size() > 0);

        QString error;
        QVERIFY2(SqliteBackup::copy(source, target, &error), qPrintable(error));
        // The live database goes on, untouched by the copy.
        QVERIFY(query.exec(QStringLiteral("INSERT INTO T VALUES (99)")));
        live.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("live"));

    QVERIFY(!QFile::exists(target + QStringLiteral("-wal")));
    QVERIFY(!QFile::exists(target + QStringLiteral(".partial")));
    {
        QSqlDatabase copy = openSqlite(target, QStringLiteral("copy"));
        QCOMPARE(scalar(copy, QStringLiteral("SELECT COUNT(*) FROM T")).toInt(), 50);
        QCOMPARE(scalar(copy, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        copy.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("copy"));
}

void tst_Backup::copyRefused_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("no source") << "missing.db" << "copy.db" << "no database file";
    QTest::newRow("onto itself") << "live.db" << "live.db" << "itself";
    QTest::newRow("no target folder") << "live.db" << "nowhere/copy.db" << "does not exist";
}

// A refused copy says why, creates nothing (least of all an empty source database) and
// leaves an earlier backup under the target name as it was.
void tst_Backup::copyRefused()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, mentions);
    QTemporaryDir dir;
    {
        QSqlDatabase live = openSqlite(dir.filePath(QStringLiteral("live.db")), QStringLiteral("refused"));
        QSqlQuery(live).exec(QStringLiteral("CREATE TABLE T (N INTEGER)"));
        live.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("refused"));
    const QStringList before = QDir(dir.path()).entryList(QDir::Files);
    QString error;
    QVERIFY(!SqliteBackup::copy(dir.filePath(source), dir.filePath(target), &error));
    QVERIFY2(error.contains(mentions), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
}

// sup-server --backup while another sup-server serves the same file; a server started on
// the copy serves what was written before the backup.
void tst_Backup::backupOfRunningServerRestores()
{
    ServerFixture running;
    QString error;
    QVERIFY2(running.start(&error), qPrintable(error));
    // An operator of its own, written while the server runs, with the demo password.
    const QString code = QStringLiteral("COPIA01").leftJustified(12);
    QVERIFY2(running.execute(QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, IDATIVOOPER, CDFILIAL) "
                                            "SELECT :P_NOVO, 'Gravado antes da copia', DSSENHAOPER, 'S', CDFILIAL "
                                            "FROM OPERADOR WHERE CDOPERADOR = :P_MODELO"),
                             {{QStringLiteral("P_NOVO"), code},
                              {QStringLiteral("P_MODELO"), QStringLiteral("COMP01").leftJustified(12)}},
                             &error),
             qPrintable(error));
    QCOMPARE(running.scalar(QStringLiteral("SELECT COUNT(*) FROM OPERADOR WHERE CDOPERADOR = :P_NOVO"),
                            {{QStringLiteral("P_NOVO"), code}}).toInt(),
             1);

    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("backup.db"));
    QString output;
    QCOMPARE(ServerProcess::run({QStringLiteral("--database"), QStringLiteral("sqlite:") + running.databasePath(),
                                 QStringLiteral("--backup"), copy},
                                &output),
             0);
    QVERIFY2(output.contains(QStringLiteral("backup of")), qPrintable(output));
    QVERIFY(running.running());
    running.stop();

    ServerProcess restored;
    QVERIFY2(restored.start({QStringLiteral("--database"), QStringLiteral("sqlite:") + copy, QStringLiteral("--port"),
                             QStringLiteral("0")},
                            &error),
             qPrintable(error));
    NetCredentials credentials;
    credentials.operatorCode = code;
    credentials.password = QString::fromLatin1(ServerFixture::kPassword);
    credentials.branch = QString::fromLatin1(ServerFixture::kBranch);
    NetConnection connection;
    connection.setHost(QStringLiteral("127.0.0.1"));
    connection.setPort(restored.port());
    connection.setServerName(QStringLiteral("Sup.rdmSuprimentos"));
    connection.setCredentials(credentials);
    try {
        connection.open(); // the operator written before the backup logs in
        const QVariant parameters =
            connection.call(QStringLiteral("GetParaSupri"), {QString::fromLatin1(ServerFixture::kBranch)});
        QVERIFY(!parameters.isNull());
    } catch (const NetError &e) {
        QFAIL(qPrintable(e.code() + QStringLiteral(": ") + e.message() + QStringLiteral("\n") + restored.output()));
    }
    connection.close();
}

QTEST_GUILESS_MAIN(tst_Backup)
#include "tst_backup.moc"
