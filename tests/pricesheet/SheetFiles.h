#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Helpers of the price sheet tests that play the supplier: they change a written XLSX
// workbook the way a spreadsheet program would save it, part by part.
namespace SheetFiles {

// The bytes of one part of a workbook; empty when missing.
QByteArray part(const QString &path, const QString &name);
// Rewrites the workbook with one part changed by edit.
bool editPart(const QString &path, const QString &name, const std::function<QByteArray(QByteArray)> &edit);
// Replaces the cell ref ("G10") of the first worksheet by cellXml (a whole <c> element with
// the same reference).
bool setCell(const QString &path, const QString &ref, const QString &cellXml);
// A number in the price cell of a line (1-based line number of the sheet).
bool setPrice(const QString &path, int line, double value);

} // namespace SheetFiles
