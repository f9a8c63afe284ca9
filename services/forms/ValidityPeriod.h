#pragma once

#include "ValidityWeek.h"

#include <QObject>

#include <functional>

class DateEdit;

// A validity period typed as calendar weeks or as dates, both ends coupled the way every
// form that asks for a period couples them: each end follows the rules of ValidityWeek on
// every change of its week or date, a "-" typed in a week is discarded, and leaving a date
// edit that holds a date puts its week back in the spin edit.  The form keeps one and
// calls fillFromWeeks() when it first shows.
class ValidityPeriod : public QObject
{
    Q_OBJECT

public:
    ValidityPeriod(ValidityWeek first, ValidityWeek last, QObject *parent = nullptr);

    ValidityWeek &first() { return m_first; }
    ValidityWeek &last() { return m_last; }

    // Makes dates, weeks and weekday names agree with the weeks shown: the first date is
    // the first day of the first week, the last date the last day of the last week (of the
    // year of the date shown, or of today).
    void fillFromWeeks();

    // Runs when a date edit of the period is left by the user, before its week follows:
    // the form's own check of what was typed (it may raise to keep the focus there).
    std::function<void(DateEdit *)> onDateLeft;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ValidityWeek m_first;
    ValidityWeek m_last;
    bool m_leaving = false;
};
