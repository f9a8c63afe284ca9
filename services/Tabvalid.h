#pragma once

#include <QString>

class DataSource;

// Table validation: checks a typed code against the rows of a data source.
namespace Tabvalid {

// Looks code up (trimmed, case-insensitive) in keyField of the source's dataset; when it
// is not found as typed, the code adjusted to the field's width (Consiste::Ajusta) is
// tried.  keyField defaults to CDARVPROD for picture type 0 (product-tree codes) when the
// dataset has it, else to the first field.  Found: the row becomes current, code receives
// the stored value, true.  Not found: with raise, the standard "Codigo_N_Cad" through
// MensErro; without raise, false.
bool ValidEx(DataSource *source, int pictureType, QString &code, bool raise = true,
             const QString &keyField = {});

} // namespace Tabvalid
