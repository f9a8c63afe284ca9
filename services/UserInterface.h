#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class DataSource;
class QPagedPaintDevice;
class QWidget;

// Dialog types and buttons of the message boxes, and the answers the forms compare with.
namespace MsgDlg {

enum Type { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

enum Button {
    mbYes = 0x1,
    mbNo = 0x2,
    mbOK = 0x4,
    mbCancel = 0x8,
    mbAbort = 0x10,
    mbRetry = 0x20,
    mbIgnore = 0x40,
};
Q_DECLARE_FLAGS(Buttons, Button)

// Answers of a message box; an alert with own captions answers mrCaption1 + position.
enum Result {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
    mrYes = 6, mrNo = 7,
    mrCaption1 = 10, mrCaption2 = 11, mrCaption3 = 12,
};

} // namespace MsgDlg
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgDlg::Buttons)

// Kinds of the progress animation.
namespace ShowAviKind {
inline constexpr int Storing = 1;   // the server validates or stores
inline constexpr int Receiving = 6; // data is being received
}

// Everything the forms ask the user goes through this interface: real Qt dialogs in the
// application (QtUserInterface), scripted answers in tests (ScriptedUserInterface).
class UserInterface
{
public:
    virtual ~UserInterface();

    virtual void showError(const QString &text) = 0;
    // A message box; returns the MsgDlg::Result of the button pressed.
    virtual int showMessage(const QString &text, MsgDlg::Type type, MsgDlg::Buttons buttons) = 0;
    // A message box with its own button captions (one to three); returns mrCaption1,
    // mrCaption2 or mrCaption3 for the button pressed, mrCancel when closed otherwise.
    virtual int alert(const QString &text, MsgDlg::Type type, const QStringList &captions) = 0;
    // Single choice over the rows of a source; returns the 0-based row chosen or -1.
    virtual int search(DataSource *source, const QString &title) = 0;
    // Marks rows of a source; marked holds the keys (values of keyField) marked on entry.
    // Returns the keys marked when confirmed, nothing when cancelled.
    virtual std::optional<QStringList> listSearch(DataSource *source, const QString &keyField,
                                                  const QString &title, const QStringList &marked) = 0;
    // Asks the password of an operator (a manager or a buyer); nothing when cancelled.
    virtual std::optional<QString> askPassword(const QString &operatorCode, const QString &title,
                                               const QString &label) = 0;
    // The progress animation over the main form; start while shown replaces kind and text.
    virtual void progressStart(QWidget *mainForm, int kind, const QString &text) = 0;
    virtual void progressStop() = 0;

    // --- printed documents ----------------------------------------------------------------
    // Paints a document on the paged device it is given (a printer) and returns the number
    // of pages painted.
    using DocumentPainter = std::function<int(QPagedPaintDevice &device)>;
    // Shows a document in a print preview (from which the user may print it).
    virtual void previewDocument(const QString &title, const DocumentPainter &paint);
    // Asks for a printer and prints a document; false when the user cancelled.
    virtual bool printDocument(const QString &title, const DocumentPainter &paint);
    // Asks where to save a file (suggested name, filter "PDF (*.pdf)"); nothing when
    // cancelled.
    virtual std::optional<QString> askSaveFileName(const QString &title, const QString &suggested,
                                                   const QString &filter);
    // Asks for a folder (starting at start); nothing when cancelled.
    virtual std::optional<QString> askFolder(const QString &title, const QString &start);
    // Asks for one or more existing files to open (filter as for askSaveFileName); nothing
    // when cancelled.
    virtual std::optional<QStringList> askOpenFileNames(const QString &title, const QString &start,
                                                        const QString &filter);

    // A Yes / No confirmation; true for Yes.
    bool question(const QString &text, MsgDlg::Type type = MsgDlg::mtConfirmation);
};

// The interface of the process.  Until one is installed, a fallback writes messages to
// the log and answers every question negatively (No, cancel, nothing chosen).
UserInterface *ui();
// Installs an interface (not owned; nullptr returns to the fallback).
void setUserInterface(UserInterface *userInterface);
