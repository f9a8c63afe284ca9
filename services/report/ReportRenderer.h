#pragma once

#include "ReportDocument.h"

#include <QString>

class QPagedPaintDevice;

// Lays a ReportDocument out on A4 pages of a paged device (a printer, the print preview's
// printer, a PDF writer): on every page the title, code, subject and moment in the header,
// the column titles, and "Página n de N" with the moment in the footer; the parameters on
// the first page; rows that do not fit go to the next page whole.  The texts of the page
// frame come from the message table "relatorio".
class ReportRenderer
{
public:
    // Paints every page on device (which must not be painted on yet); returns the number
    // of pages, 0 when the device cannot be painted on.
    static int render(const ReportDocument &document, QPagedPaintDevice &device);

    // Writes the document to a PDF file; the number of pages, 0 when it cannot be written.
    static int exportPdf(const ReportDocument &document, const QString &fileName);
};
