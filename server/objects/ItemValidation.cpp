#include "ItemValidation.h"

#include "Database.h"
#include "QualificationValidity.h"
#include "ServerText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <array>

namespace {

// The failed checks of each row the validation statement answers, as flags "S"/"N" in
// check order; rows that pass every check are left out.
void collectFailures(QSqlQuery &q, const QualificationValidity &validity, const QDate &collection,
                     QList<ItemValidation::Failure> *out)
{
    using V = ItemValidation;
    const QSqlRecord columns = q.record();
    const auto column = [&](const char *name) { return columns.indexOf(QLatin1String(name)); };
    const int line = column("NRLINHA");
    const int brandRegistration = column("IDMARCCAD"), brandQualified = column("IDQUALMARC"),
              brandValidity = column("DTVALQUALMARC");
    const int productRegistration = column("IDPRODCAD"), productQualified = column("IDQUALPRODFORN"),
              productValidity = column("DTVALQUALPF");
    const int serves = column("IDATENDREG"), hasRegional = column("IDTEMFILREG"), regional = column("IDNEGFILREG"),
              corporate = column("IDNEGFILCOR"), ean = column("IDTEMEAN");
    const auto yes = [&q](int at) { return q.value(at).toString() == QLatin1String("S"); };
    while (q.next()) {
        // Checks that look at a registration (qualifications, EAN code) apply only to a
        // registered product or brand: a missing registration is its own flag.
        const bool brandRegistered = yes(brandRegistration);
        const bool productRegistered = yes(productRegistration);
        std::array<bool, V::CheckCount> failed{};
        failed[V::BrandQualification] = brandRegistered
            && !(yes(brandQualified) && validity.holdsAt(Database::toDate(q.value(brandValidity)), collection));
        failed[V::ProductQualification] = productRegistered
            && !(yes(productQualified) && validity.holdsAt(Database::toDate(q.value(productValidity)), collection));
        failed[V::ServesRegion] = !yes(serves);
        failed[V::RegionalBranch] = yes(hasRegional) && !yes(regional);
        failed[V::CorporateBranch] = !yes(corporate);
        failed[V::ProductRegistered] = !productRegistered;
        failed[V::BrandRegistered] = !brandRegistered;
        failed[V::EanRegistered] = brandRegistered && !yes(ean);
        if (std::none_of(failed.begin(), failed.end(), [](bool f) { return f; }))
            continue;
        QString flags;
        for (bool f : failed)
            flags += f ? QLatin1Char('S') : QLatin1Char('N');
        out->append({q.value(line).toInt(), flags});
    }
}

} // namespace

QList<ItemValidation::Failure> ItemValidation::failures(Database &db, const QString &centralBranch,
                                                        const QDate &collection, const QList<Item> &items)
{
    QList<Failure> out;
    if (items.isEmpty())
        return out;
    // The rows travel to the statement as one JSON array parameter, unpacked by the
    // engine: [index, region, supplier, product, brand].
    QJsonArray rows;
    for (int i = 0; i < items.size(); ++i) {
        const Item &item = items.at(i);
        rows.append(QJsonArray{i, item.region, item.supplier, item.product, item.brand});
    }
    const QualificationValidity validity = QualificationValidity::ofCentralBranch(db, centralBranch);
    db.readNamed(QStringLiteral("ValidaDados"),
                 {{QStringLiteral("P_ITENS"), QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact))},
                  {QStringLiteral("P_CDFILIAL"), centralBranch}},
                 [&](QSqlQuery &q) { collectFailures(q, validity, collection, &out); });
    return out;
}

QString ItemValidation::checkText(int check)
{
    return ServerText::message(QStringLiteral("Verif_%1").arg(check + 1));
}
