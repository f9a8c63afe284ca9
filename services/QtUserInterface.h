#pragma once

#include "ProgressOverlay.h"
#include "UserInterface.h"

#include <QPointer>

class QWidget;

// The user interface of the application: Qt message boxes and the services' own search,
// list-search, password and progress widgets.  Dialogs are modal over the active window.
class QtUserInterface : public UserInterface
{
public:
    QtUserInterface();
    ~QtUserInterface() override;

    void showError(const QString &text) override;
    int showMessage(const QString &text, MsgDlg::Type type, MsgDlg::Buttons buttons) override;
    int alert(const QString &text, MsgDlg::Type type, const QStringList &captions) override;
    int search(DataSource *source, const QString &title) override;
    std::optional<QStringList> listSearch(DataSource *source, const QString &keyField,
                                          const QString &title, const QStringList &marked) override;
    std::optional<QString> askPassword(const QString &operatorCode, const QString &title,
                                       const QString &label) override;
    void progressStart(QWidget *mainForm, int kind, const QString &text) override;
    void progressStop() override;
    void previewDocument(const QString &title, const DocumentPainter &paint) override;
    bool printDocument(const QString &title, const DocumentPainter &paint) override;
    std::optional<QString> askSaveFileName(const QString &title, const QString &suggested,
                                           const QString &filter) override;
    std::optional<QString> askFolder(const QString &title, const QString &start) override;
    std::optional<QStringList> askOpenFileNames(const QString &title, const QString &start,
                                                const QString &filter) override;

    ProgressOverlay *progressOverlay() const { return m_overlay; }

private:
    QPointer<ProgressOverlay> m_overlay;
};
