#pragma once

#include "Database.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

struct sqlite3;

// The procurement database a fuzz target calls the server against: an SQLite file with
// the schema and the small demo data, made once per process.  Every input starts from
// the same rows: after an input that wrote, restore() copies the pristine template back
// page by page (SQLite's online backup), which is far cheaper than building it again.
// The demo operators' password hashes are made with the cheapest Argon2id settings so
// that a fuzzed login or confirmation does not spend the run hashing.
class ScratchDatabase
{
public:
    ScratchDatabase() = default;
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    // Builds the template and opens the working copy.  False with error when it fails.
    bool create(QString *error);

    Database &db() { return *m_db; }

    // No transaction is open on the working connection.
    bool idle() const;

    // Marks the start of an input; restore() compares against it.
    void beginInput();
    // Puts the template's rows back when the input changed any row.  False with error
    // when the copy fails (the next input would not start clean).
    bool restore(QString *error);

private:
    sqlite3 *workHandle() const;

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    sqlite3 *m_template = nullptr;
    long long m_changesAtStart = 0;
};
