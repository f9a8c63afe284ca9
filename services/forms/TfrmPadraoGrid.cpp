#include "TfrmPadraoGrid.h"

#include "Consiste.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "EventGuard.h"
#include "FormIcons.h"
#include "PageControl.h"
#include "TMessages.h"
#include "ToolButtonAction.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QVBoxLayout>

TfrmPadraoGrid::TfrmPadraoGrid(QWidget *parent)
    : QWidget(parent)
{
    // Grid events, navigator actions and page changes use the same boundary as handlers.
    EventGuard::setRunner(&Consiste::runGuarded);
    setObjectName(QStringLiteral("frmPadraoGrid"));
    resize(800, 560);

    dtsPadrao = new DataSource(this);
    dtsPadrao->setObjectName(QStringLiteral("dtsPadrao"));
    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    msgMensagensPadroes = new TMessages(QStringLiteral("padrao"), this);
    msgMensagensPadroes->setObjectName(QStringLiteral("msgMensagensPadroes"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mnuPrincipal = new QMenuBar(this);
    mnuPrincipal->setObjectName(QStringLiteral("mnuPrincipal"));
    mnuPrincipal->setNativeMenuBar(false);
    mnuRegistro = mnuPrincipal->addMenu(tr("&Registro"));
    mnuRegistro->setObjectName(QStringLiteral("mnuRegistro"));
    mnuListagem = mnuPrincipal->addMenu(tr("&Listagem"));
    mnuListagem->setObjectName(QStringLiteral("mnuListagem"));
    layout->setMenuBar(mnuPrincipal);

    panMenu = new QFrame(this);
    panMenu->setObjectName(QStringLiteral("panMenu"));
    panMenu->setFrameShape(QFrame::StyledPanel);
    m_toolbarLayout = new QHBoxLayout(panMenu);
    m_toolbarLayout->setContentsMargins(4, 2, 4, 2);
    m_toolbarLayout->setSpacing(1);
    m_toolbarLayout->addStretch(1);
    layout->addWidget(panMenu);

    auto command = [this](const QString &name, const QString &caption, const QString &hint,
                          const QString &icon, QMenu *menu, void (TfrmPadraoGrid::*handler)(),
                          QToolButton *&button, QAction *&item) {
        ToolButtonAction *c = createCommand(name, caption, hint, icon, menu, [this, handler] { (this->*handler)(); });
        button = c->button();
        item = c->action();
    };
    command(QStringLiteral("Incluir"), tr("&Incluir"), tr("Incluir"), QStringLiteral("incluir"),
            mnuRegistro, &TfrmPadraoGrid::sbtIncluirClick, sbtIncluir, mnuIncluir);
    command(QStringLiteral("Alterar"), tr("&Alterar"), tr("Alterar"), QStringLiteral("alterar"),
            mnuRegistro, &TfrmPadraoGrid::sbtAlterarClick, sbtAlterar, mnuAlterar);
    command(QStringLiteral("Excluir"), tr("&Excluir"), tr("Excluir"), QStringLiteral("excluir"),
            mnuRegistro, &TfrmPadraoGrid::sbtExcluirClick, sbtExcluir, mnuExcluir);
    mnuRegistro->addSeparator();
    command(QStringLiteral("Procurar"), tr("&Procurar"), tr("Procurar"), QStringLiteral("procurar"),
            mnuRegistro, &TfrmPadraoGrid::sbtProcurarClick, sbtProcurar, mnuProcurar);
    command(QStringLiteral("Imprimir"), tr("&Imprimir"), tr("Imprimir"), QStringLiteral("imprimir"),
            mnuListagem, &TfrmPadraoGrid::sbtImprimirClick, sbtImprimir, mnuImprimir);
    mnuRegistro->addSeparator();
    command(QStringLiteral("Confirmar"), tr("C&onfirmar"), tr("Confirmar"), QStringLiteral("confirmar"),
            mnuRegistro, &TfrmPadraoGrid::sbtConfirmarClick, sbtConfirmar, mnuConfirmar);
    command(QStringLiteral("Cancelar"), tr("&Cancelar"), tr("Cancelar"), QStringLiteral("cancelar"),
            mnuRegistro, &TfrmPadraoGrid::sbtCancelarClick, sbtCancelar, mnuCancelar);
    mnuIncluir->setShortcut(QKeySequence(Qt::Key_F2));
    mnuAlterar->setShortcut(QKeySequence(Qt::Key_F3));
    mnuExcluir->setShortcut(QKeySequence(Qt::Key_F4));
    mnuProcurar->setShortcut(QKeySequence(Qt::Key_F5));
    mnuConfirmar->setShortcut(QKeySequence(Qt::Key_F10));
    mnuCancelar->setShortcut(QKeySequence(Qt::Key_F11));
    addToToolbar(nullptr);

    pgcPadrao = new PageControl(this);
    pgcPadrao->setObjectName(QStringLiteral("pgcPadrao"));
    tshPadrao = new QWidget(pgcPadrao);
    tshPadrao->setObjectName(QStringLiteral("tshPadrao"));
    auto *pageLayout = new QVBoxLayout(tshPadrao);
    pageLayout->setContentsMargins(2, 2, 2, 2);
    dbgPadrao = new DBGrid(tshPadrao);
    dbgPadrao->setObjectName(QStringLiteral("dbgPadrao"));
    dbgPadrao->setDataSource(dtsPadrao);
    pageLayout->addWidget(dbgPadrao);
    pgcPadrao->addPage(tshPadrao, tr("Padrão"));
    layout->addWidget(pgcPadrao, 1);

    panNavigator = new QFrame(this);
    panNavigator->setObjectName(QStringLiteral("panNavigator"));
    panNavigator->setFrameShape(QFrame::StyledPanel);
    m_navigatorLayout = new QHBoxLayout(panNavigator);
    m_navigatorLayout->setContentsMargins(4, 2, 4, 2);
    dbnPadrao = new DBNavigator(panNavigator);
    dbnPadrao->setObjectName(QStringLiteral("dbnPadrao"));
    dbnPadrao->setVisibleButtons(DBNavigator::First | DBNavigator::Prior | DBNavigator::Next
                                 | DBNavigator::Last);
    dbnPadrao->setDataSource(dtsPadrao);
    m_navigatorLayout->addWidget(dbnPadrao);
    m_navigatorLayout->addStretch(1);
    layout->addWidget(panNavigator);

    connect(dtsPadrao, &DataSource::stateChanged, this, Consiste::guarded([this] { dtsPadraoStateChange(); }));
    connect(dtsPadrao, &DataSource::dataChanged, this, [this](Field *field) {
        if (!field)
            Consiste::runGuarded([this] { dtsPadraoStateChange(); });
    });
    qApp->installEventFilter(this);
    dtsPadraoStateChange();
}

TfrmPadraoGrid::~TfrmPadraoGrid()
{
    qApp->removeEventFilter(this);
}

ToolButtonAction *TfrmPadraoGrid::createCommand(const QString &name, const QString &caption,
                                                const QString &hint, const QString &icon,
                                                QMenu *menu, const std::function<void()> &handler)
{
    auto *c = new ToolButtonAction(QStringLiteral("sbt") + name, QStringLiteral("mnu") + name,
                                   caption, panMenu, menu);
    c->setHint(hint);
    c->setIcon(FormIcons::command(icon));
    c->button()->setIconSize(QSize(20, 20));
    connect(c, &ToolButtonAction::clicked, this, Consiste::guarded(handler));
    m_toolbarLayout->insertWidget(m_toolbarInsertAt++, c->button());
    m_commands.append(c);
    return c;
}

ToolButtonAction *TfrmPadraoGrid::addCommand(const QString &buttonName, const QString &menuName,
                                             const QString &caption, const QString &hint,
                                             QMenu *menu, const std::function<void()> &handler)
{
    auto *c = new ToolButtonAction(buttonName, menuName, caption, panMenu, menu);
    c->setHint(hint);
    c->button()->setIconSize(QSize(20, 20));
    if (c->action()->icon().isNull())
        c->button()->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(c, &ToolButtonAction::clicked, this, Consiste::guarded(handler));
    m_toolbarLayout->insertWidget(m_toolbarInsertAt++, c->button());
    m_commands.append(c);
    return c;
}

void TfrmPadraoGrid::addToToolbar(QWidget *widget)
{
    if (!widget) {
        auto *line = new QFrame(panMenu);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        widget = line;
    }
    m_toolbarLayout->insertWidget(m_toolbarInsertAt++, widget);
}

void TfrmPadraoGrid::addToNavigator(QWidget *widget)
{
    m_navigatorLayout->insertWidget(m_navigatorLayout->count() - 1, widget);
}

ToolButtonAction *TfrmPadraoGrid::command(const QString &buttonName) const
{
    for (ToolButtonAction *c : m_commands)
        if (c->objectName() == buttonName)
            return c;
    return nullptr;
}

// The base commands do no dataset work of their own: each form states what its commands
// do, and its overrides call these first.
void TfrmPadraoGrid::sbtIncluirClick() {}
void TfrmPadraoGrid::sbtAlterarClick() {}
void TfrmPadraoGrid::sbtExcluirClick() {}
void TfrmPadraoGrid::sbtProcurarClick() {}
void TfrmPadraoGrid::sbtImprimirClick() {}
void TfrmPadraoGrid::sbtConfirmarClick() {}
void TfrmPadraoGrid::sbtCancelarClick() {}

void TfrmPadraoGrid::dtsPadraoStateChange()
{
    const ClientDataSet *ds = dtsPadrao->dataSet();
    const DataSetState state = dtsPadrao->state();
    const bool browse = state == DataSetState::Browse;
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    const bool hasRows = ds && ds->active() && !ds->isEmpty();
    mnuIncluir->setEnabled(browse);
    mnuAlterar->setEnabled(browse && hasRows);
    mnuExcluir->setEnabled(browse && hasRows);
    mnuProcurar->setEnabled(browse && hasRows);
    mnuImprimir->setEnabled(browse && hasRows);
    mnuConfirmar->setEnabled(editing);
    mnuCancelar->setEnabled(editing);
    dbnPadrao->setEnabled(browse);
}

void TfrmPadraoGrid::FormKeyDown(int &, Qt::KeyboardModifiers) {}

bool TfrmPadraoGrid::eventFilter(QObject *watched, QEvent *event)
{
    // A key is previewed once, when it reaches the focused control of this form.
    if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()
        && watched->isWidgetType() && isAncestorOf(static_cast<QWidget *>(watched))) {
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        int key = keyEvent->key();
        const Qt::KeyboardModifiers modifiers = keyEvent->modifiers();
        const bool ok = Consiste::runGuarded([this, &key, modifiers] { FormKeyDown(key, modifiers); });
        if (!ok || key == 0)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}
