#pragma once

#include <QString>

class Database;

// Makes a demo database big enough for the large-write and load programs: every supplier
// gets twins (codes and registrations prefixed with a letter) that serve the same regions
// and are registered and qualified for the same products, so a quotation of all products,
// regions and suppliers holds (twins + 1) times the items, and as many pass the item
// checks.
class SupplierTwins
{
public:
    // False with the database's error text when an insert fails.
    static bool add(Database &db, int twins, QString *error);
};
