#pragma once

#include <QString>

// The composite keys of the consultation sheet.  The server joins a region's, a
// supplier's and a product and brand's codes and names into one text per dimension; the
// package splits them again.  Both ends take the separators from here, so they cannot
// drift apart.  On the wire each separator is two characters of a UTF-8 text: the code
// separator U+00A4 U+00A4 ("¤¤", bytes C2 A4 C2 A4) and the brand separator
// U+00A5 U+00A5 ("¥¥", bytes C2 A5 C2 A5).
//
//   region:   code ¤¤ name
//   supplier: code ¤¤ name
//   product:  product name ¤¤ product code ¥¥ brand code ¤¤ brand name
namespace SheetKeys {

inline const QString kCodeSeparator = QStringLiteral("\u00A4\u00A4");
inline const QString kBrandSeparator = QStringLiteral("\u00A5\u00A5");

// The region code of the list row that stands for every region, and the region argument
// of the sheet that asks for all of them.
inline const QString kAllRegionsCode = QStringLiteral("XXX");
inline const QString kAllRegionsArgument = QStringLiteral("NULL");

inline QString codeAndName(const QString &code, const QString &name)
{
    return code + kCodeSeparator + name;
}

inline QString productKey(const QString &productName, const QString &productCode, const QString &brandCode,
                          const QString &brandName)
{
    return productName + kCodeSeparator + productCode + kBrandSeparator + brandCode + kCodeSeparator + brandName;
}

// The parts of a region or supplier key: the text before the first code separator and
// the text after it (the whole text is the name when there is no separator).
inline QString codeOf(const QString &key)
{
    const int at = key.indexOf(kCodeSeparator);
    return at < 0 ? QString() : key.left(at);
}
inline QString nameOf(const QString &key)
{
    const int at = key.indexOf(kCodeSeparator);
    return at < 0 ? key : key.mid(at + kCodeSeparator.size());
}

// The parts of a product key; each is empty when the key lacks its separators.
struct ProductParts
{
    QString productName;
    QString productCode;
    QString brandCode;
    QString brandName;
};

inline ProductParts productParts(const QString &key)
{
    ProductParts parts;
    const int first = key.indexOf(kCodeSeparator);
    if (first < 0) {
        parts.productName = key;
        return parts;
    }
    parts.productName = key.left(first);
    const int codeAt = first + kCodeSeparator.size();
    const int brandSep = key.indexOf(kBrandSeparator, codeAt);
    if (brandSep < 0) {
        parts.productCode = key.mid(codeAt);
        return parts;
    }
    parts.productCode = key.mid(codeAt, brandSep - codeAt);
    const int brandAt = brandSep + kBrandSeparator.size();
    const int second = key.indexOf(kCodeSeparator, brandAt);
    if (second < 0) {
        parts.brandCode = key.mid(brandAt);
        return parts;
    }
    parts.brandCode = key.mid(brandAt, second - brandAt);
    parts.brandName = key.mid(second + kCodeSeparator.size());
    return parts;
}

} // namespace SheetKeys
