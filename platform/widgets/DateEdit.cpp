#include "DateEdit.h"

#include <QAction>
#include <QCalendarWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidgetAction>

#include <algorithm>

namespace {

const QString kFormat = QStringLiteral("dd/MM/yyyy");

QIcon calendarIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(180, 40, 40));
    p.setPen(QColor(90, 90, 90));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 12; x += 3)
            p.drawPoint(x, y);
    return QIcon(pm);
}

} // namespace

DateEdit::DateEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setInputMask(QStringLiteral("00/00/0000; "));
    m_calendarAction = addAction(calendarIcon(), QLineEdit::TrailingPosition);
    connect(m_calendarAction, &QAction::triggered, this, &DateEdit::showCalendar);
    connect(this, &QLineEdit::textChanged, this, [this] {
        updateColor();
        emit changed();
    });
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 34);
}

QDate DateEdit::date() const
{
    return QDate::fromString(displayText(), kFormat);
}

void DateEdit::setDate(const QDate &date)
{
    if (date.isValid())
        setText(date.toString(kFormat));
    else
        clear();
}

void DateEdit::clear()
{
    QLineEdit::clear();
}

bool DateEdit::isEmpty() const
{
    const QString shown = displayText();
    return std::none_of(shown.begin(), shown.end(), [](QChar c) { return c.isDigit(); });
}

bool DateEdit::isValidDate() const
{
    return date().isValid();
}

void DateEdit::setValidDateColor(const QColor &color)
{
    m_validColor = color;
    updateColor();
}

void DateEdit::setCalendarButtonVisible(bool visible)
{
    m_calendarAction->setVisible(visible);
}

void DateEdit::updateColor()
{
    if (!m_validColor.isValid())
        return;
    QPalette pal = palette();
    pal.setColor(QPalette::Text, isValidDate() ? m_validColor : QPalette().color(QPalette::Text));
    setPalette(pal);
}

void DateEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!isAcceptable())
        emit invalidDate(displayText());
}

void DateEdit::showCalendar()
{
    if (isReadOnly() || !isEnabled())
        return;
    QMenu popup(this);
    auto *calendar = new QCalendarWidget(&popup);
    calendar->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    calendar->setGridVisible(true);
    if (isValidDate())
        calendar->setSelectedDate(date());
    auto *holder = new QWidgetAction(&popup);
    holder->setDefaultWidget(calendar);
    popup.addAction(holder);
    connect(calendar, &QCalendarWidget::activated, &popup, [this, &popup](const QDate &picked) {
        setDate(picked);
        popup.close();
    });
    connect(calendar, &QCalendarWidget::clicked, &popup, [this, &popup](const QDate &picked) {
        setDate(picked);
        popup.close();
    });
    popup.exec(mapToGlobal(QPoint(0, height())));
}
