#include "NumberEdit.h"

#include "NumberFormat.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

NumberEdit::NumberEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    updateValidator();
    connect(this, &QLineEdit::textChanged, this, &NumberEdit::changed);
}

void NumberEdit::setDecimals(int decimals)
{
    const bool empty = isEmpty();
    const double v = value();
    m_decimals = qMax(0, decimals);
    updateValidator();
    if (!empty)
        setValue(v);
}

void NumberEdit::setThousandsSeparator(bool on)
{
    m_thousands = on;
    if (!isEmpty())
        reformat(hasFocus());
}

void NumberEdit::setAllowNegative(bool on)
{
    m_allowNegative = on;
    updateValidator();
}

void NumberEdit::updateValidator()
{
    // Digits with optional thousands dots, a comma and up to decimals() decimals.
    QString pattern = m_allowNegative ? QStringLiteral("-?") : QString();
    pattern += QStringLiteral("[0-9.]*");
    if (m_decimals > 0)
        pattern += QStringLiteral("(,[0-9]{0,%1})?").arg(m_decimals);
    pattern += QStringLiteral("( ?%)?");
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
}

QString NumberEdit::displayMask() const
{
    QString mask = m_thousands ? QStringLiteral("#,##0") : QStringLiteral("#0");
    if (m_decimals > 0)
        mask += QLatin1Char('.') + QString(m_decimals, QLatin1Char('0'));
    return mask;
}

QString NumberEdit::editingMask() const
{
    QString mask = QStringLiteral("0");
    if (m_decimals > 0)
        mask += QLatin1Char('.') + QString(m_decimals, QLatin1Char('0'));
    return mask;
}

bool NumberEdit::isEmpty() const
{
    return QLineEdit::text().trimmed().isEmpty();
}

double NumberEdit::value() const
{
    double v = 0;
    if (!NumberFormat::parse(QLineEdit::text(), &v))
        return 0;
    return v;
}

void NumberEdit::setValue(double value)
{
    setText(NumberFormat::format(value, hasFocus() && !isReadOnly() ? editingMask() : displayMask()));
}

void NumberEdit::clear()
{
    QLineEdit::clear();
}

void NumberEdit::reformat(bool forEditing)
{
    if (isEmpty())
        return;
    double v = 0;
    if (!NumberFormat::parse(QLineEdit::text(), &v))
        return; // an unreadable text stays as typed
    const QString shown = NumberFormat::format(v, forEditing ? editingMask() : displayMask());
    if (shown != QLineEdit::text())
        setText(shown);
}

void NumberEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Period && (event->modifiers() & Qt::KeypadModifier)
        && m_decimals > 0 && !isReadOnly()) {
        QKeyEvent comma(event->type(), Qt::Key_Comma, event->modifiers() & ~Qt::KeypadModifier,
                        QStringLiteral(","), event->isAutoRepeat(), ushort(event->count()));
        QLineEdit::keyPressEvent(&comma);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberEdit::focusInEvent(QFocusEvent *event)
{
    if (!isReadOnly())
        reformat(true);
    QLineEdit::focusInEvent(event);
}

void NumberEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    reformat(false);
}
