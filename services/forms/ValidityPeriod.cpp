#include "ValidityPeriod.h"

#include "Consiste.h"
#include "DateEdit.h"
#include "SpinEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

ValidityPeriod::ValidityPeriod(ValidityWeek first, ValidityWeek last, QObject *parent)
    : QObject(parent)
    , m_first(first)
    , m_last(last)
{
    for (ValidityWeek *end : {&m_first, &m_last}) {
        connect(end->week(), &SpinEdit::changed, this, Consiste::guarded([end] { end->weekChanged(); }));
        connect(end->date(), &DateEdit::changed, this, Consiste::guarded([end] { end->dateChanged(); }));
        end->week()->installEventFilter(this);
        end->date()->installEventFilter(this);
    }
}

void ValidityPeriod::fillFromWeeks()
{
    m_first.applyWeek();
    m_last.applyWeek();
    m_first.dateLeft();
    m_last.dateLeft();
}

bool ValidityPeriod::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const bool inWeek = watched == m_first.week() || watched == m_last.week();
        if (inWeek && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Minus)
            return true;
    } else if (event->type() == QEvent::FocusOut && !m_leaving) {
        ValidityWeek *end = watched == m_first.date() ? &m_first : watched == m_last.date() ? &m_last : nullptr;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (end && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            m_leaving = true;
            Consiste::runGuarded([this, end] {
                if (onDateLeft)
                    onDateLeft(end->date());
                end->dateLeft();
            });
            m_leaving = false;
        }
    }
    return QObject::eventFilter(watched, event);
}
