#pragma once

#include <QChar>

class DateEdit;
class QLineEdit;
class SpinEdit;

// One end of a validity period typed either as a calendar week or as a date: a week spin
// edit, a date edit and the edit that shows the date's weekday name.  The forms that ask
// for a validity period (the quotation filter, the new quotation) keep one per end and
// call it from their handlers, so the week and the date follow each other the same way
// everywhere.
class ValidityWeek
{
public:
    // kind 'I': a week typed stands for its first day; 'F': for its last day.
    ValidityWeek(DateEdit *date, SpinEdit *week, QLineEdit *dayName, QChar kind);

    DateEdit *date() const { return m_date; }
    SpinEdit *week() const { return m_week; }

    // A week typed in the spin edit (only while it has the focus) puts the first or last
    // day of that week of the date's week-year (today's when no date) into the date edit;
    // above 53 is 53, and 53 is 52 in a year without a week 53.  An empty spin edit
    // empties the date.
    void weekChanged();
    // The same rule whether or not the spin edit has the focus: the date follows the week
    // shown (a form filling its period from the weeks it starts with).
    void applyWeek();
    // The weekday name follows the date; the week follows it too, except while the date
    // is being typed or is empty (the week is cleared) or the week itself is being typed.
    void dateChanged();
    // Leaving the date edit with a date in it: the week is the date's week again.
    void dateLeft();

private:
    void setWeek(int week);

    DateEdit *m_date;
    SpinEdit *m_week;
    QLineEdit *m_dayName;
    QChar m_kind;
    bool m_settingWeek = false;
};
