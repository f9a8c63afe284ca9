#pragma once

#include "UserInterface.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <optional>

// A user interface for tests: answers come from queues filled by the test, and every
// question is recorded with its text.  A question without a scripted answer gets the
// negative answer (No / cancel / nothing chosen) and is counted in unanswered().
class ScriptedUserInterface : public UserInterface
{
public:
    enum class Kind { Error, Message, Alert, Search, ListSearch, Password, ProgressStart, ProgressStop, Preview, Print,
                      SaveFile, Folder, OpenFiles };

    struct Asked
    {
        Kind kind;
        QString text;    // message text, or search title, or progress text
        QString detail;  // operator code of a password question, key field of a list search
        QStringList captions;
        int type = -1;   // message type, or progress kind
    };

    // Scripted answers, used in order per kind.
    void answerMessage(int result) { m_messages.enqueue(result); }
    void answerYes() { answerMessage(MsgDlg::mrYes); }
    void answerNo() { answerMessage(MsgDlg::mrNo); }
    void answerAlert(int result) { m_alerts.enqueue(result); }
    void answerSearch(int row) { m_searches.enqueue(row); }
    void answerListSearch(std::optional<QStringList> keys) { m_listSearches.enqueue(keys); }
    void answerPassword(std::optional<QString> password) { m_passwords.enqueue(password); }
    // Printing is cancelled unless answered true; a save question unless a name is given.
    void answerPrint(bool print) { m_prints.enqueue(print); }
    void answerSaveFileName(std::optional<QString> fileName) { m_saveFileNames.enqueue(fileName); }
    // A folder or files to open; cancelled unless given.
    void answerFolder(std::optional<QString> folder) { m_folders.enqueue(folder); }
    void answerOpenFileNames(std::optional<QStringList> names) { m_openFileNames.enqueue(names); }

    // The last document shown in a preview or printed, to be painted by the test.
    const DocumentPainter &lastDocument() const { return m_lastDocument; }

    const QList<Asked> &asked() const { return m_asked; }
    int count(Kind kind) const;
    QStringList texts(Kind kind) const;
    QStringList errors() const { return texts(Kind::Error); }
    int unanswered() const { return m_unanswered; }
    bool progressActive() const { return m_progressActive; }
    void clear();

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

private:
    QList<Asked> m_asked;
    QQueue<int> m_messages;
    QQueue<int> m_alerts;
    QQueue<int> m_searches;
    QQueue<std::optional<QStringList>> m_listSearches;
    QQueue<std::optional<QString>> m_passwords;
    QQueue<bool> m_prints;
    QQueue<std::optional<QString>> m_saveFileNames;
    QQueue<std::optional<QString>> m_folders;
    QQueue<std::optional<QStringList>> m_openFileNames;
    DocumentPainter m_lastDocument;
    int m_unanswered = 0;
    bool m_progressActive = false;
};
