#include "MaskEdit.h"

#include "EventGuard.h"
#include "FieldDataLink.h"

MaskEdit::MaskEdit(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &MaskEdit::changed);
}

void MaskEdit::setEditMask(const QString &mask)
{
    const QString value = text();
    m_mask = EditMask(mask);
    setInputMask(m_mask.toInputMask());
    setText(value);
}

QString MaskEdit::text() const
{
    if (m_mask.isEmpty())
        return QLineEdit::text();
    return m_mask.value(displayText());
}

void MaskEdit::setText(const QString &value)
{
    if (m_mask.isEmpty()) {
        QLineEdit::setText(value);
        return;
    }
    // Qt places each character of a full-length text at its own position, literals
    // included; blanks keep their positions empty.  (An empty text would leave Qt's
    // masked line without positions, and typed characters would be lost.)
    const QString shown = m_mask.format(value);
    QLineEdit::setText(shown);
    // Typing continues at the first empty position, not after the last one.
    int cursor = 0;
    const QList<EditMask::Slot> &positions = m_mask.positions();
    while (cursor < positions.size()
           && (positions.at(cursor).kind == EditMask::SlotKind::Literal || shown.at(cursor) != m_mask.blank()))
        ++cursor;
    setCursorPosition(cursor < positions.size() ? cursor : int(shown.size()));
}

QString MaskEdit::maskedText() const
{
    return displayText();
}

bool MaskEdit::isComplete() const
{
    return m_mask.isEmpty() || m_mask.isComplete(displayText());
}

void MaskEdit::setDataField(DataSource *source, const QString &fieldName)
{
    if (!m_link) {
        m_link = new FieldDataLink(this);
        connect(m_link, &FieldDataLink::recordChanged, this, &MaskEdit::loadFromField);
        connect(this, &QLineEdit::textEdited, this, &MaskEdit::writeToField);
    }
    m_link->setFieldName(fieldName);
    m_link->setDataSource(source);
    loadFromField();
}

void MaskEdit::loadFromField()
{
    if (m_loading)
        return;
    m_loading = true;
    Field *field = m_link ? m_link->field() : nullptr;
    if (field && m_mask.isEmpty() && !field->editMask().isEmpty())
        setEditMask(field->editMask());
    setText(field ? field->asString() : QString());
    setReadOnly(!m_link || !m_link->canModify());
    m_loading = false;
}

void MaskEdit::writeToField()
{
    if (m_loading || !m_link)
        return;
    m_loading = true;
    const QString value = text();
    if (m_link->edit()) {
        Field *field = m_link->field();
        EventGuard::run([field, value] { field->setAsString(value); });
    }
    m_loading = false;
    if (!m_link->editing())
        loadFromField();
}
