#pragma once

#include <QObject>

// The application-wide event filter that hands every event to the session's message
// hook (Corvane::MsgEventForm), through which the active module form watches the
// application's messages.  It never consumes an event.
class MessageHookFilter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
