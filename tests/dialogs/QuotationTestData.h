#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QDialog;
class QuotationContext;
class ServerFixture;

// Quotations a dialog test adds to the demo database of its server fixture, in a validity
// of its own far from the demo's, and removes again; and the quotation context the dialogs
// are given, logged in and with its list loaded.
class QuotationTestData
{
public:
    explicit QuotationTestData(ServerFixture &server) : m_server(server) {}

    // Adds quotation `number` of branch 0001 for buyer, validity first .. last, with the
    // regions, suppliers and items (prices included) of a demo quotation of COMP01.
    // False with the database's error in error.
    bool addQuotation(const QString &number, const QString &buyer, const QDate &first, const QDate &last,
                      const QString &situation, QString *error);
    // Removes every quotation of branch 0001 whose validity ends on or after from, with its
    // rows and history.
    void removeFrom(const QDate &from);

    // A number of that branch's quotations whose validity starts at first, or empty.
    QString numberStarting(const QDate &first);
    qlonglong count(const QString &sql, const QVariantMap &params = {});

    // A context over the logged session with the quotations of buyer COMP01 whose validity
    // overlaps first .. last loaded, the first of them current.
    static std::unique_ptr<QuotationContext> context(const QDate &first, const QDate &last);

private:
    QString modelQuotation();

    ServerFixture &m_server;
    QString m_model;
};

// Runs whileOpen once a modal dialog named objectName is the active modal window; a
// dialog still open afterwards is rejected.  The flag tells whether it ran.
std::shared_ptr<bool> whenModal(const QString &objectName, std::function<void(QDialog &)> whileOpen);
