#pragma once

#include "DataSource.h"

#include <QWidget>

class DBGrid;
class DBNavigator;
class PageControl;
class QAction;
class QFrame;
class QHBoxLayout;
class QMenu;
class QMenuBar;
class QToolButton;
class TMessages;
class ToolButtonAction;

// The base grid form: a toolbar of commands (include, edit, delete, search, print,
// confirm, cancel), each button paired with its menu item, a page control whose first
// page holds a data grid, and a navigator bar.  Forms derive from it, add their pages,
// buttons and datasets, and override the command handlers; an override calls the
// inherited handler first.  Every handler runs under the component library's event
// boundary: a failed check ends the command and nothing escapes into Qt.
//
// Keys reach FormKeyDown before the focused control (the form previews them).
class TfrmPadraoGrid : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmPadraoGrid(QWidget *parent = nullptr);
    ~TfrmPadraoGrid() override;

    // --- components ---------------------------------------------------------------------
    QMenuBar *mnuPrincipal;
    QMenu *mnuRegistro;    // the commands
    QMenu *mnuListagem;    // printing
    QFrame *panMenu;
    QToolButton *sbtIncluir, *sbtAlterar, *sbtExcluir, *sbtProcurar, *sbtImprimir,
        *sbtConfirmar, *sbtCancelar;
    QAction *mnuIncluir, *mnuAlterar, *mnuExcluir, *mnuProcurar, *mnuImprimir,
        *mnuConfirmar, *mnuCancelar;
    PageControl *pgcPadrao;
    QWidget *tshPadrao;
    DBGrid *dbgPadrao;
    QFrame *panNavigator;
    DBNavigator *dbnPadrao;
    DataSource *dtsPadrao;
    TMessages *msgPadrao;            // the form's own message table
    TMessages *msgMensagensPadroes;  // the standard confirmations ("Excl", "Canc")

    // Adds a command of the derived form: a toolbar button and its menu item in menu
    // (nullptr: no menu item), placed after the base commands.  The handler runs under
    // the event boundary.
    ToolButtonAction *addCommand(const QString &buttonName, const QString &menuName,
                                 const QString &caption, const QString &hint, QMenu *menu,
                                 const std::function<void()> &handler);
    // Places a widget in the toolbar after the commands (a separator when nullptr).
    void addToToolbar(QWidget *widget);
    // Places a widget in the navigator bar after the navigator.
    void addToNavigator(QWidget *widget);

    // The command pair of a button name ("sbtIncluir"), nullptr when unknown.
    ToolButtonAction *command(const QString &buttonName) const;

    // --- handlers -------------------------------------------------------------------
    virtual void sbtIncluirClick();
    virtual void sbtAlterarClick();
    virtual void sbtExcluirClick();
    virtual void sbtProcurarClick();
    virtual void sbtImprimirClick();
    virtual void sbtConfirmarClick();
    virtual void sbtCancelarClick();
    // Follows the state of dtsPadrao's dataset: browsing enables include, edit, delete,
    // search and print (the last four on a non-empty dataset) and the navigator; editing
    // enables confirm and cancel only.
    virtual void dtsPadraoStateChange();
    // Every key pressed in the form, before the focused control; set key to 0 to drop it.
    virtual void FormKeyDown(int &key, Qt::KeyboardModifiers shift);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ToolButtonAction *createCommand(const QString &name, const QString &caption,
                                    const QString &hint, const QString &icon, QMenu *menu,
                                    const std::function<void()> &handler);

    QHBoxLayout *m_toolbarLayout;
    QHBoxLayout *m_navigatorLayout;
    int m_toolbarInsertAt = 0;
    QList<ToolButtonAction *> m_commands;
};
