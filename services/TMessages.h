#pragma once

#include "UserInterface.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

// A message table: texts keyed by short names, read from a resource file
// ":/messages/<name>.msg".  The file is UTF-8, one "Key|Text" entry per line; blank lines
// and lines starting with '#' are ignored; "\n" in a text is a line break and "\\" a
// backslash.  Keys compare case-insensitively; when a key occurs twice, the first entry
// wins.  Every message box goes through the user interface (ui()).
class TMessages : public QObject
{
    Q_OBJECT

public:
    explicit TMessages(QObject *parent = nullptr);
    // Loads the table <name> at once (see load).
    explicit TMessages(const QString &tableName, QObject *parent = nullptr);

    // Adds the entries of ":/messages/<name>.msg"; false when the file does not exist.
    bool load(const QString &tableName);
    // Adds the entries of a table's text (same format as the files).
    void loadText(const QString &text);

    // The text of a key; empty (and a warning in the log) for an unknown key.
    QString Msg(const QString &key) const;
    bool contains(const QString &key) const;
    int count() const { return int(m_texts.size()); }

    // Shows the text of key; returns MsgDlg::mrYes (6), mrNo (7), mrOk ...
    int ShowMsg(const QString &key, MsgDlg::Type type, MsgDlg::Buttons buttons, int helpContext = 0) const;
    // Shows the text of key with buttons captioned by the texts of captionKeys; returns
    // 10, 11, 12 for the first, second, third button.
    int ShowMsgAlert(const QString &key, MsgDlg::Type type, const QStringList &captionKeys,
                     int defaultButton = 1) const;
    // The same for a given text and given captions.
    static int MsgAlertEx(const QString &text, MsgDlg::Type type, const QStringList &captions,
                          int defaultButton = 2, int helpContext = 0, int reserved = 0);

    // Adds an entry; an existing key gets the new text.
    void Add(const QString &key, const QString &text);
    void Delete(const QString &key);

    // The table "padrao" of the component library: the standard confirmations ("Excl",
    // "Canc") and the library's own messages.  Shared by the whole process.
    static TMessages &padrao();

private:
    void addEntry(const QString &key, const QString &text, bool replace);

    QHash<QString, QString> m_texts; // by lower-case key
};
