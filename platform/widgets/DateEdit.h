#pragma once

#include <QColor>
#include <QDate>
#include <QLineEdit>

class QAction;

// A date typed as dd/MM/yyyy that may stay empty.  The text is never corrected behind the
// user's back: an impossible date ("31/02/2026") stays as typed, isValidDate() says so and
// leaving the edit reports it through invalidDate(), so the form can raise its own
// message and keep the focus.  A small calendar button picks a date with the mouse.
class DateEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit DateEdit(QWidget *parent = nullptr);

    // The date typed; invalid when empty or not a date.
    QDate date() const;
    void setDate(const QDate &date); // an invalid date empties the edit
    void clear();
    // No digit typed.
    bool isEmpty() const;
    // A complete, real date is typed.
    bool isValidDate() const;
    // Empty or a real date: what a form accepts when leaving a date that is not required.
    bool isAcceptable() const { return isEmpty() || isValidDate(); }
    // Colour of the text while it forms a real date (invalid colour: the palette's).
    void setValidDateColor(const QColor &color);
    void setCalendarButtonVisible(bool visible);

signals:
    // Every change of the text (the system's OnChange).
    void changed();
    // Leaving the edit with a text that is not a date.
    void invalidDate(const QString &text);

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showCalendar();
    void updateColor();

    QColor m_validColor;
    QAction *m_calendarAction = nullptr;
};
