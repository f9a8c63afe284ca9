#include "FieldExit.h"

#include "Consiste.h"

#include <QFocusEvent>
#include <QWidget>

FieldExit::FieldExit(QObject *parent) : QObject(parent) {}

void FieldExit::watch(QWidget *control, std::function<void()> onExit)
{
    m_exits.insert(control, std::move(onExit));
    control->installEventFilter(this);
}

void FieldExit::watchEntry(QWidget *control, std::function<void()> onEnter)
{
    m_entries.insert(control, std::move(onEnter));
    control->installEventFilter(this);
}

bool FieldExit::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::FocusOut && type != QEvent::FocusIn)
        return QObject::eventFilter(watched, event);
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || m_running)
        return QObject::eventFilter(watched, event);
    const auto &handlers = type == QEvent::FocusOut ? m_exits : m_entries;
    const auto found = handlers.constFind(watched);
    if (found == handlers.constEnd())
        return QObject::eventFilter(watched, event);
    const std::function<void()> handler = found.value();
    m_running = true;
    Consiste::runGuarded(handler);
    m_running = false;
    return QObject::eventFilter(watched, event);
}
