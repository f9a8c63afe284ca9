#pragma once

#include <QString>

class Database;

// Fills a freshly migrated database with a deterministic, realistic procurement data
// set: branches, operators, buyers and managers, the product tree, brands, regions,
// suppliers with their qualifications and service regions, purchase requests, price
// lists and past quotations with their price history.  The same seed always gives the
// same rows, so tests can rely on them.
class DemoData
{
public:
    enum class Size {
        Small,  // a demo a person can browse: some dozens of quotations
        Large   // for benchmarks: thousands of quotations
    };

    // Generates the set inside one transaction.  Refuses (false, with a reason) when the
    // database already holds operators, so a real database is never mixed with demo rows.
    static bool generate(Database &db, Size size, QString *error);

    // The password every demo operator logs in with.
    static QString demoPassword() { return QStringLiteral("demo"); }
};
