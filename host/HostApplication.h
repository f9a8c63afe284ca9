#pragma once

#include <QApplication>

// The host's application object: the event boundary of the whole process.  An exception
// that escapes an event handler of any form ends that handler's operation there (a
// silent abort quietly, anything else shown to the user) instead of leaving Qt's loop.
class HostApplication : public QApplication
{
    Q_OBJECT

public:
    HostApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
