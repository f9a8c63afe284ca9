#include "ClientDataSet.h"
#include "Consiste.h"
#include "DBGrid.h"
#include "DBGridDelegate.h"
#include "DBNavigator.h"
#include "FormIcons.h"
#include "PageControl.h"
#include "ScriptedUserInterface.h"
#include "SpinEdit.h"
#include "MaskEdit.h"
#include "TMessages.h"
#include "TfrmDadosGerRel.h"
#include "TfrmFiltroPadrao.h"
#include "TfrmPadrImportExport.h"
#include "TfrmPadraoGrid.h"
#include "TfrmRotiGeral.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// A derived grid form as the module writes them: its overrides call the inherited
// handler first.
class GridForm : public TfrmPadraoGrid
{
public:
    GridForm()
    {
        setObjectName(QStringLiteral("frmGridTeste"));
        DataPacket packet;
        packet.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
        packet.addField(QStringLiteral("NMOPERADOR"), FieldType::String, 40);
        packet.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
        packet.appendRow({QStringLiteral("0000000101"), QStringLiteral("ANA SOUZA"), 12.5});
        packet.appendRow({QStringLiteral("0000000102"), QStringLiteral("BRUNO LIMA"), 0.0});
        packet.appendRow({QStringLiteral("0000000103"), QStringLiteral("CARLA DIAS"), 1234.56789});
        cdsColetapr.setData(packet);
        cdsColetapr.fieldByName(QStringLiteral("VRPRECUNIITM"))->setDisplayFormat(QStringLiteral("#,##0.00000"));
        dtsPadrao->setDataSet(&cdsColetapr);
        dbgPadrao->setColumns({DBGridColumn(QStringLiteral("NRCOLEPRECO"), QStringLiteral("Número"), 90),
                               DBGridColumn(QStringLiteral("NMOPERADOR"), QStringLiteral("Comprador"), 220),
                               DBGridColumn(QStringLiteral("VRPRECUNIITM"), QStringLiteral("Preço Unitário"), 120)});
        dbgPadrao->setColor(QColor(255, 255, 225));
        dbgPadrao->onDrawColumnCell = [](DBGridCell &cell) {
            if (cell.fieldName == QLatin1String("VRPRECUNIITM") && !cell.selected && cell.value.toDouble() == 0)
                cell.background = QColor(191, 205, 219);
        };
        pgcPadrao->setCaption(tshPadrao, QStringLiteral("Cotação"));
    }

    void sbtExcluirClick() override
    {
        TfrmPadraoGrid::sbtExcluirClick();
        ++excluded;
        if (failNext)
            Consiste::MensErro(QStringLiteral("Operador não relacionado ao comprador."));
    }

    ClientDataSet cdsColetapr;
    int excluded = 0;
    bool failNext = false;
};

class FilterForm : public TfrmFiltroPadrao
{
public:
    FilterForm()
    {
        setObjectName(QStringLiteral("frmFiltroTeste"));
        rbtListaComprador = new QRadioButton(QStringLiteral("Lista"), panClient);
        rbtListaComprador->setObjectName(QStringLiteral("rbtListaComprador"));
        rbtTodosComprador = new QRadioButton(QStringLiteral("Todos"), panClient);
        rbtTodosComprador->setObjectName(QStringLiteral("rbtTodosComprador"));
        speInicial = new SpinEdit(panClient);
        speInicial->setObjectName(QStringLiteral("speInicial"));
        speInicial->setRange(1, 53);
        speInicial->setDigits(2);
        medCdProdIni = new MaskEdit(panClient);
        medCdProdIni->setObjectName(QStringLiteral("medCdProdIni"));
        medCdProdIni->setEditMask(QStringLiteral("9.99.999.9999"));
        for (QWidget *w : {static_cast<QWidget *>(rbtListaComprador), static_cast<QWidget *>(rbtTodosComprador),
                           static_cast<QWidget *>(speInicial), static_cast<QWidget *>(medCdProdIni)})
            panClientLayout->addWidget(w);
        rbtTodosComprador->setChecked(true);
    }

    void btfSaveOpcClick() override
    {
        TfrmFiltroPadrao::btfSaveOpcClick();
        saveOption(QStringLiteral("stComprador"), stComprador);
    }
    void btfLoadOpcClick() override
    {
        TfrmFiltroPadrao::btfLoadOpcClick();
        stComprador = loadOption(QStringLiteral("stComprador")).toString();
    }

    QRadioButton *rbtListaComprador;
    QRadioButton *rbtTodosComprador;
    SpinEdit *speInicial;
    MaskEdit *medCdProdIni;
    QString stComprador;
};

class ReportForm : public TfrmDadosGerRel
{
protected:
    ReportDocument reportDocument() override
    {
        ReportDocument document = TfrmDadosGerRel::reportDocument();
        document.columns = {{QStringLiteral("Cotação"), 1}, {QStringLiteral("Comprador"), 3}};
        for (int i = 1; i <= 150; ++i)
            document.rows << ReportRow::detail({QStringLiteral("00000001%1").arg(i, 2, 10, QLatin1Char('0')),
                                                QStringLiteral("Comprador %1").arg(i)});
        return document;
    }
};

} // namespace

class tst_BaseForms : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controlsCarryTheirSystemNames();
    void clickingDeleteRunsTheOverride();
    void buttonAndMenuItemShareEnabledState();
    void stateHandlerFollowsTheDataSet();
    void gridFormScreenshot();
    void generalDialogCancelCloses();
    void filterSavesAndLoadsOptions();
    void importExportShowsProgress();
    void reportExportsPdfPages();
    void commandIconsAreTheResourcePictures();

private:
    ScriptedUserInterface m_ui;
    QTemporaryDir m_settingsDir;
};

void tst_BaseForms::init()
{
    setUserInterface(&m_ui);
    m_ui.clear();
    QCoreApplication::setOrganizationName(QStringLiteral("SupTeste"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_baseforms"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void tst_BaseForms::cleanup()
{
    setUserInterface(nullptr);
}

void tst_BaseForms::controlsCarryTheirSystemNames()
{
    GridForm form;
    for (const char *name : {"sbtIncluir", "sbtAlterar", "sbtExcluir", "sbtProcurar", "sbtImprimir",
                             "sbtConfirmar", "sbtCancelar"})
        QVERIFY2(form.findChild<QToolButton *>(QLatin1String(name)), name);
    for (const char *name : {"mnuIncluir", "mnuAlterar", "mnuExcluir", "mnuProcurar", "mnuImprimir",
                             "mnuConfirmar", "mnuCancelar"})
        QVERIFY2(form.findChild<QAction *>(QLatin1String(name)), name);
    QVERIFY(form.findChild<PageControl *>(QStringLiteral("pgcPadrao")));
    QVERIFY(form.findChild<QWidget *>(QStringLiteral("tshPadrao")));
    QVERIFY(form.findChild<DBGrid *>(QStringLiteral("dbgPadrao")));
    QVERIFY(form.findChild<QWidget *>(QStringLiteral("panMenu")));
    QVERIFY(form.findChild<QWidget *>(QStringLiteral("panNavigator")));
    QVERIFY(form.findChild<DBNavigator *>(QStringLiteral("dbnPadrao")));
    QVERIFY(form.findChild<DataSource *>(QStringLiteral("dtsPadrao")));
    QCOMPARE(form.mnuListagem->objectName(), QStringLiteral("mnuListagem"));
    QCOMPARE(form.msgMensagensPadroes->Msg(QStringLiteral("Excl")), QStringLiteral("Confirma exclusão?"));
    QVERIFY(form.msgMensagensPadroes->contains(QStringLiteral("Canc")));
}

void tst_BaseForms::clickingDeleteRunsTheOverride()
{
    GridForm form;
    form.show();
    QTest::mouseClick(form.sbtExcluir, Qt::LeftButton);
    QCOMPARE(form.excluded, 1);
    form.mnuExcluir->trigger();
    QCOMPARE(form.excluded, 2);

    // A failed check ends the command at the event boundary; the form goes on working.
    form.failNext = true;
    form.sbtExcluir->click();
    QCOMPARE(form.excluded, 3);
    QCOMPARE(m_ui.errors(), QStringList({QStringLiteral("Operador não relacionado ao comprador.")}));
    form.failNext = false;
    form.sbtExcluir->click();
    QCOMPARE(form.excluded, 4);
}

void tst_BaseForms::buttonAndMenuItemShareEnabledState()
{
    GridForm form;
    QVERIFY(form.sbtExcluir->isEnabled());
    form.mnuExcluir->setEnabled(false);
    QVERIFY(!form.sbtExcluir->isEnabled());
    form.sbtExcluir->click();
    QCOMPARE(form.excluded, 0);
    form.mnuExcluir->setEnabled(true);
    QVERIFY(form.sbtExcluir->isEnabled());
    QCOMPARE(form.mnuExcluir->shortcut(), QKeySequence(Qt::Key_F4));
}

void tst_BaseForms::stateHandlerFollowsTheDataSet()
{
    GridForm form;
    QVERIFY(form.mnuIncluir->isEnabled());
    QVERIFY(!form.mnuConfirmar->isEnabled());
    form.cdsColetapr.edit();
    QVERIFY(form.sbtConfirmar->isEnabled());
    QVERIFY(form.sbtCancelar->isEnabled());
    QVERIFY(!form.sbtIncluir->isEnabled());
    QVERIFY(!form.dbnPadrao->isEnabled());
    form.cdsColetapr.cancel();
    QVERIFY(form.sbtIncluir->isEnabled());
    QVERIFY(!form.sbtConfirmar->isEnabled());
    form.cdsColetapr.emptyDataSet();
    QVERIFY(!form.sbtExcluir->isEnabled());
}

void tst_BaseForms::gridFormScreenshot()
{
    GridForm form;
    form.resize(640, 360);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.dbgPadrao->setFocus();
    form.cdsColetapr.next();
    const QImage image = form.grab().toImage();
    QVERIFY(!image.isNull());
    const QString target = qEnvironmentVariable("SUP_SCREENSHOT");
    if (!target.isEmpty())
        QVERIFY(image.save(target));
}

void tst_BaseForms::generalDialogCancelCloses()
{
    TfrmRotiGeral dialog;
    dialog.show();
    QVERIFY(dialog.findChild<QToolButton *>(QStringLiteral("sbtConfirmar")));
    dialog.sbtConfirmar->click();
    QVERIFY(dialog.isVisible()); // confirming is the derived dialog's work
    dialog.sbtCancelar->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void tst_BaseForms::filterSavesAndLoadsOptions()
{
    {
        FilterForm filter;
        QVERIFY(!filter.hasSavedOptions());
        filter.rbtListaComprador->setChecked(true);
        filter.speInicial->setValue(7);
        filter.medCdProdIni->setText(QStringLiteral("1.01.001.0001"));
        filter.stComprador = QStringLiteral("_000000000012_");
        filter.btfSaveOpc->click();
        QVERIFY(filter.hasSavedOptions());
    }
    FilterForm reopened;
    QVERIFY(reopened.rbtTodosComprador->isChecked());
    reopened.btfLoadOpc->click();
    QVERIFY(reopened.rbtListaComprador->isChecked());
    QVERIFY(!reopened.rbtTodosComprador->isChecked());
    QCOMPARE(reopened.speInicial->value(), 7);
    QCOMPARE(reopened.medCdProdIni->text(), QStringLiteral("1.01.001.0001"));
    QCOMPARE(reopened.stComprador, QStringLiteral("_000000000012_"));
    QVERIFY(QFile::exists(m_settingsDir.path() + QStringLiteral("/SupTeste/tst_baseforms.ini")));
}

void tst_BaseForms::importExportShowsProgress()
{
    TfrmPadrImportExport dialog;
    dialog.show();
    QVERIFY(!dialog.panProgresso->isVisible());
    dialog.setProgress(3, 10, QStringLiteral("Duplicando cotações..."));
    QVERIFY(dialog.panProgresso->isVisible());
    QCOMPARE(dialog.pgbProgresso->value(), 3);
    QCOMPARE(dialog.lblProgresso->text(), QStringLiteral("Duplicando cotações..."));
    dialog.hideProgress();
    QVERIFY(!dialog.panProgresso->isVisible());
}

void tst_BaseForms::reportExportsPdfPages()
{
    ReportForm report;
    report.setWindowTitle(QStringLiteral("Duplicação de Cotação"));
    report.setReportCode(QStringLiteral("SUP052"));
    for (const char *name : {"sbtVisualizar", "sbtImprimir", "sbtPdf", "sbtFechar"})
        QVERIFY2(report.findChild<QToolButton *>(QLatin1String(name)), name);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rel.pdf"));
    // The file named in the save question gets the report; 150 rows take more than a page.
    m_ui.answerSaveFileName(file);
    report.sbtPdf->click();
    QCOMPARE(m_ui.texts(ScriptedUserInterface::Kind::SaveFile), QStringList{QStringLiteral("Duplicação de Cotação")});
    QVERIFY(report.pageCount() >= 2);
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5).startsWith("%PDF"));
    // Preview and print hand the same pages to the user interface.
    report.sbtVisualizar->click();
    QCOMPARE(m_ui.texts(ScriptedUserInterface::Kind::Preview), QStringList{QStringLiteral("Duplicação de Cotação")});
    QVERIFY(m_ui.lastDocument());
    report.sbtImprimir->click();
    QCOMPARE(m_ui.count(ScriptedUserInterface::Kind::Print), 1);
}

// Pixels that are fully transparent and pixels that are drawn: a real picture with a real
// transparent background.
static bool drawnOnTransparency(const QImage &image)
{
    bool clear = false, drawn = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            clear = clear || alpha == 0;
            drawn = drawn || alpha == 255;
        }
    }
    return clear && drawn;
}

void tst_BaseForms::commandIconsAreTheResourcePictures()
{
    // The icons are SVG: without Qt's SVG plugins on this platform every button is blank.
    QVERIFY2(QImageReader::supportedImageFormats().contains("svg"), "Qt's SVG image plugin is missing");

    const QStringList names = {QStringLiteral("incluir"),   QStringLiteral("alterar"),  QStringLiteral("excluir"),
                               QStringLiteral("procurar"),  QStringLiteral("imprimir"), QStringLiteral("confirmar"),
                               QStringLiteral("salvar"),    QStringLiteral("abrir"),    QStringLiteral("visualizar"),
                               QStringLiteral("pdf")};
    QList<QImage> images;
    for (const QString &name : names) {
        const QIcon icon = FormIcons::command(name);
        QVERIFY2(!icon.isNull(), qPrintable(name));
        const QImage image = icon.pixmap(QSize(20, 20), 1.0).toImage();
        QVERIFY2(!image.isNull(), qPrintable(name));
        QCOMPARE(image.size(), QSize(20, 20));
        QVERIFY2(drawnOnTransparency(image), qPrintable(name));
        for (int other = 0; other < images.size(); ++other)
            QVERIFY2(image != images.at(other), qPrintable(name + QLatin1String(" looks like ") + names.at(other)));
        images.append(image);
    }

    // Cancelling shows the delete cross and running the confirmation tick.
    const auto shown = [](const QString &name) { return FormIcons::command(name).pixmap(QSize(20, 20), 1.0).toImage(); };
    QCOMPARE(shown(QStringLiteral("cancelar")), images.at(names.indexOf(QStringLiteral("excluir"))));
    QCOMPARE(shown(QStringLiteral("executar")), images.at(names.indexOf(QStringLiteral("confirmar"))));
    QVERIFY(FormIcons::command(QStringLiteral("nenhum")).isNull());
    QVERIFY(FormIcons::command(QString()).isNull());

    // The grid form's buttons carry them at their icon size.
    GridForm form;
    auto *include = form.findChild<QToolButton *>(QStringLiteral("sbtIncluir"));
    QVERIFY(include);
    QCOMPARE(include->icon().pixmap(include->iconSize(), 1.0).toImage(), images.first());
}

QTEST_MAIN(tst_BaseForms)
#include "tst_baseforms.moc"
