#pragma once

#include <QMainWindow>
#include <QVariant>

class ModuleLoader;
class QMdiArea;

// The host's main window: the MDI area every module form lives in, the module menu and
// the session's status.  While it exists the session knows it as the host's main window
// and MDI area, and Corvane::LoadBPL opens modules through it.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(ModuleLoader *loader, QWidget *parent = nullptr);
    ~MainWindow() override;

    QMdiArea *mdiArea() const { return m_mdiArea; }

    // Opens a module from the menu; a failure is shown to the user.  True when opened.
    bool openModule(const QString &module);
    // The session's module loader: the print module and the modules of a quotation item
    // (negotiation/simulation, spreadsheet information) in a child window of their own,
    // any other module through its package.  Raises on failure.
    void loadModule(const QString &module, const QVariantList &params);

    // Refreshes the status bar from the session.
    void showSession();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();

    ModuleLoader *m_loader;
    QMdiArea *m_mdiArea = nullptr;
};
