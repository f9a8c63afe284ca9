#include "DBMemo.h"

#include "EventGuard.h"
#include "FieldDataLink.h"

#include <QKeyEvent>
#include <QMimeData>

DBMemo::DBMemo(QWidget *parent)
    : QPlainTextEdit(parent), m_link(new FieldDataLink(this))
{
    connect(m_link, &FieldDataLink::recordChanged, this, &DBMemo::loadFromField);
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::writeToField);
    updateReadOnly();
}

void DBMemo::setDataSource(DataSource *source)
{
    m_link->setDataSource(source);
}

DataSource *DBMemo::dataSource() const
{
    return m_link->dataSource();
}

void DBMemo::setDataField(const QString &fieldName)
{
    m_link->setFieldName(fieldName);
}

QString DBMemo::dataField() const
{
    return m_link->fieldName();
}

void DBMemo::setMaxLength(int length)
{
    m_maxLength = qMax(0, length);
}

void DBMemo::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    updateReadOnly();
}

void DBMemo::updateReadOnly()
{
    QPlainTextEdit::setReadOnly(m_readOnly || !m_link->canModify());
}

void DBMemo::loadFromField()
{
    if (m_loading)
        return;
    m_loading = true;
    const Field *field = m_link->field();
    const QString text = field ? field->asString() : QString();
    if (toPlainText() != text)
        setPlainText(text);
    updateReadOnly();
    m_loading = false;
}

void DBMemo::writeToField()
{
    if (m_loading)
        return;
    m_loading = true;
    const QString text = toPlainText();
    bool written = false;
    if (m_link->edit()) {
        Field *field = m_link->field();
        written = field && EventGuard::run([field, text] { field->setAsString(text); });
    }
    m_loading = false;
    if (!written)
        loadFromField(); // the dataset refused the change: show what it holds
}

void DBMemo::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool typing = !text.isEmpty() && (text.at(0).isPrint() || text.at(0) == QLatin1Char('\r'));
    if (typing && m_maxLength > 0 && !textCursor().hasSelection()
        && toPlainText().size() >= m_maxLength) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::insertFromMimeData(const QMimeData *source)
{
    if (m_maxLength <= 0 || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const int room = m_maxLength - int(toPlainText().size()) + int(textCursor().selectedText().size());
    if (room > 0)
        insertPlainText(source->text().left(room));
}
