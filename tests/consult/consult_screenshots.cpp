// Pictures of the consultation sheet (history panel open, a cell selected) and of the
// find-cell dialog on the demo data, for the documentation: a copy of a demo quotation in
// a later validity, so that the demo quotation is its history.
//
//   consult-screenshots <folder>   writes consult-sheet.png and consult-find.png there

#include "Cli_sup05202.h"
#include "Cli_sup05217.h"
#include "DecisionCubeModel.h"
#include "DecisionGrid.h"
#include "MaskEdit.h"
#include "QuotationContext.h"
#include "QuotationTestData.h"
#include "ServerFixture.h"

#include <QApplication>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: consult-screenshots <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    ServerFixture server;
    QString error;
    if (!server.start(&error) || !server.login(QString::fromLatin1(ServerFixture::kBuyer), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QuotationTestData data(server);
    const QDate first(2031, 6, 2), last(2031, 6, 8);
    if (!data.addQuotation(QStringLiteral("0000077001"), QStringLiteral("COMP01"), first, last, QStringLiteral("A"),
                           &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // Some prices of the copy moved, so that the history shows a variation.
    server.execute(QStringLiteral("UPDATE ITCOLETAPR SET VRPRECUNIITM = VRPRECUNIITM * 1.08 WHERE NRCOLEPRECO = "
                                  "'0000077001' AND CDFORNECED IN (SELECT MIN(CDFORNECED) FROM ITCOLETAPR WHERE "
                                  "NRCOLEPRECO = '0000077001')"));
    auto context = QuotationTestData::context(first, last);
    CriaGridCotaPrecConsul(*context, {}, nullptr);
    TfrmGridCotaPrecConsul *sheet = frmGridCotaPrecConsul();
    sheet->resize(1180, 720);
    QTest::qWait(50);
    sheet->degCotacao->gotoCell(0, 0);
    sheet->sbtHistorico->click();
    QTest::qWait(50);
    const bool sheetSaved = sheet->grab().save(folder + QStringLiteral("/consult-sheet.png"));

    TfrmGridProcuraCell find(sheet);
    find.setGrid(sheet->degCotacao, -1, true);
    find.show();
    find.rbtParte->setChecked(true);
    QTest::keyClicks(find.medConteudo, QStringLiteral("arroz"));
    QTest::qWait(50);
    const bool findSaved = find.grab().save(folder + QStringLiteral("/consult-find.png"));
    find.close();
    sheet->close();
    data.removeFrom(first);
    return sheetSaved && findSaved ? 0 : 1;
}
