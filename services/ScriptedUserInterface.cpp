#include "ScriptedUserInterface.h"

int ScriptedUserInterface::count(Kind kind) const
{
    int n = 0;
    for (const Asked &a : m_asked)
        n += a.kind == kind ? 1 : 0;
    return n;
}

QStringList ScriptedUserInterface::texts(Kind kind) const
{
    QStringList out;
    for (const Asked &a : m_asked) {
        if (a.kind == kind)
            out << a.text;
    }
    return out;
}

void ScriptedUserInterface::clear()
{
    m_asked.clear();
    m_messages.clear();
    m_alerts.clear();
    m_searches.clear();
    m_listSearches.clear();
    m_passwords.clear();
    m_prints.clear();
    m_saveFileNames.clear();
    m_folders.clear();
    m_openFileNames.clear();
    m_lastDocument = nullptr;
    m_unanswered = 0;
    m_progressActive = false;
}

void ScriptedUserInterface::showError(const QString &text)
{
    m_asked.append({Kind::Error, text, {}, {}, MsgDlg::mtError});
}

int ScriptedUserInterface::showMessage(const QString &text, MsgDlg::Type type, MsgDlg::Buttons buttons)
{
    m_asked.append({Kind::Message, text, {}, {}, type});
    if (!m_messages.isEmpty())
        return m_messages.dequeue();
    ++m_unanswered;
    if (buttons.testFlag(MsgDlg::mbNo))
        return MsgDlg::mrNo;
    if (buttons.testFlag(MsgDlg::mbCancel))
        return MsgDlg::mrCancel;
    return MsgDlg::mrOk;
}

int ScriptedUserInterface::alert(const QString &text, MsgDlg::Type type, const QStringList &captions)
{
    m_asked.append({Kind::Alert, text, {}, captions, type});
    if (!m_alerts.isEmpty())
        return m_alerts.dequeue();
    ++m_unanswered;
    return MsgDlg::mrCancel;
}

int ScriptedUserInterface::search(DataSource *, const QString &title)
{
    m_asked.append({Kind::Search, title, {}, {}, -1});
    if (!m_searches.isEmpty())
        return m_searches.dequeue();
    ++m_unanswered;
    return -1;
}

std::optional<QStringList> ScriptedUserInterface::listSearch(DataSource *, const QString &keyField,
                                                             const QString &title,
                                                             const QStringList &marked)
{
    m_asked.append({Kind::ListSearch, title, keyField, marked, -1});
    if (!m_listSearches.isEmpty())
        return m_listSearches.dequeue();
    ++m_unanswered;
    return std::nullopt;
}

std::optional<QString> ScriptedUserInterface::askPassword(const QString &operatorCode,
                                                          const QString &title, const QString &label)
{
    m_asked.append({Kind::Password, title, operatorCode, {label}, -1});
    if (!m_passwords.isEmpty())
        return m_passwords.dequeue();
    ++m_unanswered;
    return std::nullopt;
}

void ScriptedUserInterface::progressStart(QWidget *, int kind, const QString &text)
{
    m_asked.append({Kind::ProgressStart, text, {}, {}, kind});
    m_progressActive = true;
}

void ScriptedUserInterface::progressStop()
{
    m_asked.append({Kind::ProgressStop, {}, {}, {}, -1});
    m_progressActive = false;
}

void ScriptedUserInterface::previewDocument(const QString &title, const DocumentPainter &paint)
{
    m_asked.append({Kind::Preview, title, {}, {}, -1});
    m_lastDocument = paint;
}

bool ScriptedUserInterface::printDocument(const QString &title, const DocumentPainter &paint)
{
    m_asked.append({Kind::Print, title, {}, {}, -1});
    m_lastDocument = paint;
    if (!m_prints.isEmpty())
        return m_prints.dequeue();
    ++m_unanswered;
    return false;
}

std::optional<QString> ScriptedUserInterface::askSaveFileName(const QString &title, const QString &suggested,
                                                              const QString &)
{
    m_asked.append({Kind::SaveFile, title, suggested, {}, -1});
    if (!m_saveFileNames.isEmpty())
        return m_saveFileNames.dequeue();
    ++m_unanswered;
    return std::nullopt;
}

std::optional<QString> ScriptedUserInterface::askFolder(const QString &title, const QString &start)
{
    m_asked.append({Kind::Folder, title, start, {}, -1});
    if (!m_folders.isEmpty())
        return m_folders.dequeue();
    ++m_unanswered;
    return std::nullopt;
}

std::optional<QStringList> ScriptedUserInterface::askOpenFileNames(const QString &title, const QString &start,
                                                                   const QString &)
{
    m_asked.append({Kind::OpenFiles, title, start, {}, -1});
    if (!m_openFileNames.isEmpty())
        return m_openFileNames.dequeue();
    ++m_unanswered;
    return std::nullopt;
}
