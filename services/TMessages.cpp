#include "TMessages.h"

#include "SupResources.h"

#include <QDebug>
#include <QFile>

namespace {

QString unescape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar n = text.at(i + 1);
            if (n == u'n') {
                out += u'\n';
                ++i;
                continue;
            }
            if (n == u'\\') {
                out += u'\\';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace

TMessages::TMessages(QObject *parent) : QObject(parent) {}

TMessages::TMessages(const QString &tableName, QObject *parent) : QObject(parent)
{
    if (!load(tableName))
        qWarning().noquote() << "message table not found:" << tableName;
}

bool TMessages::load(const QString &tableName)
{
    supInitResources();
    QFile file(QStringLiteral(":/messages/%1.msg").arg(tableName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    loadText(QString::fromUtf8(file.readAll()));
    return true;
}

void TMessages::loadText(const QString &text)
{
    const QStringList lines = text.split(u'\n');
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype bar = line.indexOf(u'|');
        if (bar <= 0) {
            qWarning().noquote() << "message line without key:" << line;
            continue;
        }
        addEntry(line.left(bar).trimmed(), unescape(line.mid(bar + 1)), false);
    }
}

void TMessages::addEntry(const QString &key, const QString &text, bool replace)
{
    const QString k = key.toLower();
    if (!replace && m_texts.contains(k))
        return;
    m_texts.insert(k, text);
}

QString TMessages::Msg(const QString &key) const
{
    const auto it = m_texts.constFind(key.trimmed().toLower());
    if (it == m_texts.constEnd()) {
        qWarning().noquote() << "message key not found:" << key;
        return {};
    }
    return *it;
}

bool TMessages::contains(const QString &key) const
{
    return m_texts.contains(key.trimmed().toLower());
}

int TMessages::ShowMsg(const QString &key, MsgDlg::Type type, MsgDlg::Buttons buttons, int) const
{
    return ui()->showMessage(Msg(key), type, buttons);
}

int TMessages::ShowMsgAlert(const QString &key, MsgDlg::Type type, const QStringList &captionKeys,
                            int) const
{
    QStringList captions;
    for (const QString &captionKey : captionKeys)
        captions << Msg(captionKey);
    return ui()->alert(Msg(key), type, captions);
}

int TMessages::MsgAlertEx(const QString &text, MsgDlg::Type type, const QStringList &captions, int,
                          int, int)
{
    return ui()->alert(text, type, captions);
}

void TMessages::Add(const QString &key, const QString &text)
{
    addEntry(key.trimmed(), text, true);
}

void TMessages::Delete(const QString &key)
{
    m_texts.remove(key.trimmed().toLower());
}

TMessages &TMessages::padrao()
{
    static TMessages table(QStringLiteral("padrao"));
    return table;
}
