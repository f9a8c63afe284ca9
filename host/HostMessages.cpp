#include "HostMessages.h"

#include "TMessages.h"

const TMessages &hostMessages()
{
    static const TMessages messages(QStringLiteral("host"));
    return messages;
}
