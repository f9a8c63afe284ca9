#pragma once

#include <QString>

// A consistent copy of an SQLite database file, taken with SQLite's online backup while
// other processes (a running sup-server) keep reading and writing it.  The copy is a
// snapshot of one moment: it is read inside one read transaction, which in WAL mode does
// not hold up the writers.  The copy is written next to the target and renamed into place
// only when complete, so a failed backup never leaves a truncated file under the target's
// name.
class SqliteBackup
{
public:
    // Copies the database at source to target; false with the reason.
    static bool copy(const QString &source, const QString &target, QString *error);
};
