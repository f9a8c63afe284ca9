#include "SpinEdit.h"

#include <QLineEdit>

SpinEdit::SpinEdit(QWidget *parent)
    : QAbstractSpinBox(parent)
{
    lineEdit()->setText(QString());
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::changed);
}

void SpinEdit::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = qMax(minimum, maximum);
}

void SpinEdit::setDigits(int digits)
{
    m_digits = digits;
    if (!isEmpty())
        setValue(value());
}

bool SpinEdit::isEmpty() const
{
    return lineEdit()->text().trimmed().isEmpty();
}

int SpinEdit::value() const
{
    bool ok = false;
    const int v = lineEdit()->text().trimmed().toInt(&ok);
    if (!ok)
        return 0;
    return qBound(m_minimum, v, m_maximum);
}

QString SpinEdit::textFor(int value) const
{
    const QString digits = QString::number(qAbs(value)).rightJustified(m_digits, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

void SpinEdit::setValue(int value)
{
    const QString text = textFor(qBound(m_minimum, value, m_maximum));
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

void SpinEdit::clear()
{
    lineEdit()->clear();
}

QValidator::State SpinEdit::validate(QString &input, int &) const
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return QValidator::Acceptable;
    if (text == QLatin1String("-"))
        return m_minimum < 0 ? QValidator::Intermediate : QValidator::Invalid;
    const int widest = qMax(QString::number(qAbs(m_maximum)).size(),
                            QString::number(qAbs(m_minimum)).size());
    const QString digits = text.startsWith(QLatin1Char('-')) ? text.mid(1) : text;
    if (text.startsWith(QLatin1Char('-')) && m_minimum >= 0)
        return QValidator::Invalid;
    if (digits.size() > qMax(widest, m_digits))
        return QValidator::Invalid;
    for (QChar c : digits)
        if (!c.isDigit())
            return QValidator::Invalid;
    const int v = text.toInt();
    return v >= m_minimum && v <= m_maximum ? QValidator::Acceptable : QValidator::Intermediate;
}

void SpinEdit::fixup(QString &input) const
{
    bool ok = false;
    const int v = input.trimmed().toInt(&ok);
    input = ok ? textFor(qBound(m_minimum, v, m_maximum)) : QString();
}

void SpinEdit::stepBy(int steps)
{
    if (isEmpty())
        setValue(steps > 0 ? m_minimum : m_maximum);
    else
        setValue(value() + steps);
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    if (isEmpty())
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (value() < m_maximum)
        enabled |= StepUpEnabled;
    if (value() > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

void SpinEdit::focusOutEvent(QFocusEvent *event)
{
    QAbstractSpinBox::focusOutEvent(event);
    if (!isEmpty()) {
        QString text = lineEdit()->text();
        fixup(text);
        if (text != lineEdit()->text())
            lineEdit()->setText(text);
    }
}
