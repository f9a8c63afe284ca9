#include "HostApplication.h"

#include "Consiste.h"

HostApplication::HostApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("sup-host"));
    setOrganizationName(QStringLiteral("Suprimentos"));
}

bool HostApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    Consiste::runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
