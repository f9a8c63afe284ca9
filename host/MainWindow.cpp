#include "MainWindow.h"

#include "ModuleLoader.h"
#include "PriceSimulation.h"
#include "QuotationPrint.h"
#include "SpreadsheetInfo.h"

#include "Consiste.h"
#include "Corvane.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

MainWindow::MainWindow(ModuleLoader *loader, QWidget *parent)
    : QMainWindow(parent)
    , m_loader(loader)
{
    setObjectName(QStringLiteral("frmPrincipal"));
    setWindowTitle(tr("Suprimentos"));

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiPrincipal"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);

    buildMenus();
    showSession();
    resize(1100, 720);

    Corvane::setMainWindow(this);
    Corvane::setMdiArea(m_mdiArea);
    Corvane::setModuleLoader([this](const QString &module, const QVariantList &params) {
        loadModule(module, params);
    });
}

MainWindow::~MainWindow()
{
    Corvane::setModuleLoader({});
    Corvane::setMdiArea(nullptr);
    Corvane::setMainWindow(nullptr);
}

void MainWindow::buildMenus()
{
    QMenu *modules = menuBar()->addMenu(tr("&Módulos"));
    modules->setObjectName(QStringLiteral("mnuModulos"));
    QAction *quotation = modules->addAction(tr("Cotação de Preços (SUP05200)"));
    quotation->setObjectName(QStringLiteral("mnuSUP05200"));
    connect(quotation, &QAction::triggered, this, [this] { openModule(QStringLiteral("SUP05200")); });
    modules->addSeparator();
    QAction *quit = modules->addAction(tr("&Sair"));
    quit->setObjectName(QStringLiteral("mnuSair"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu *windows = menuBar()->addMenu(tr("&Janela"));
    windows->setObjectName(QStringLiteral("mnuJanela"));
    connect(windows->addAction(tr("&Cascata")), &QAction::triggered, m_mdiArea, &QMdiArea::cascadeSubWindows);
    connect(windows->addAction(tr("&Lado a lado")), &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);
    connect(windows->addAction(tr("&Fechar todas")), &QAction::triggered, m_mdiArea, &QMdiArea::closeAllSubWindows);
}

void MainWindow::showSession()
{
    if (!Corvane::sessionOpen()) {
        statusBar()->clearMessage();
        return;
    }
    statusBar()->showMessage(tr("Operador: %1 - %2    Filial: %3    Servidor: %4:%5")
                                 .arg(Corvane::Operador().trimmed(), Corvane::NomeOperador(),
                                      Corvane::FiliProc(), Corvane::WebURL())
                                 .arg(Corvane::WebPort()));
}

bool MainWindow::openModule(const QString &module)
{
    return Consiste::runGuarded([this, module] { m_loader->open(module); });
}

void MainWindow::loadModule(const QString &module, const QVariantList &params)
{
    if (module.trimmed().toUpper() == QLatin1String("SUP07000")) {
        // The print module: the report of the quotation whose number it is given.
        auto *print = new QuotationPrint(params.value(0).toString());
        QMdiSubWindow *sub = m_mdiArea->addSubWindow(print);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
        m_mdiArea->setActiveSubWindow(sub);
        return;
    }
    // The modules of a quotation item: a window of their own, built (and its data read)
    // before anything is shown, so a refused array or a failed read shows nothing.
    QWidget *window = nullptr;
    const QString code = module.trimmed().toUpper();
    if (code == QLatin1String("SUP01802"))
        window = new PriceSimulation(params);
    else if (code == QLatin1String("SUP01803"))
        window = new SpreadsheetInfo(params);
    if (!window) {
        m_loader->open(module, params.value(0));
        return;
    }
    QMdiSubWindow *sub = m_mdiArea->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    m_mdiArea->setActiveSubWindow(sub);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Module forms close first and run their own close handling; one that refuses
    // keeps the host open.
    m_mdiArea->closeAllSubWindows();
    const QList<QMdiSubWindow *> remaining = m_mdiArea->subWindowList();
    for (const QMdiSubWindow *sub : remaining) {
        if (sub->isVisible()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}
