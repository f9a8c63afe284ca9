#include "MessageHookFilter.h"

#include "Corvane.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

#include <stdexcept>

namespace {

// Counts the events of one type it receives itself.
class Receiver : public QObject
{
public:
    int received = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            ++received;
        return QObject::event(event);
    }
};

} // namespace

class tst_MessageHookFilter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyEventReachesTheHook();
    void noHookNoCall();
    void failingHookKeepsTheEvent();

private:
    MessageHookFilter m_filter;
};

void tst_MessageHookFilter::init()
{
    QCoreApplication::instance()->installEventFilter(&m_filter);
}

void tst_MessageHookFilter::cleanup()
{
    QCoreApplication::instance()->removeEventFilter(&m_filter);
    Corvane::clearMsgEventForm();
}

void tst_MessageHookFilter::everyEventReachesTheHook()
{
    Receiver receiver;
    QList<QPair<QObject *, QEvent::Type>> seen;
    Corvane::setMsgEventForm([&](QObject *target, QEvent *event) {
        if (target == &receiver)
            seen.append({target, event->type()});
    });

    QEvent sent(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &sent);
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::processEvents();

    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.at(0).first, &receiver);
    QCOMPARE(seen.at(0).second, QEvent::User);
    // The filter only watches: the receiver still gets both events.
    QCOMPARE(receiver.received, 2);
}

void tst_MessageHookFilter::noHookNoCall()
{
    Receiver receiver;
    int calls = 0;
    Corvane::setMsgEventForm([&](QObject *, QEvent *) { ++calls; });
    Corvane::clearMsgEventForm();
    QEvent sent(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &sent);
    QCOMPARE(calls, 0);
    QCOMPARE(receiver.received, 1);
}

void tst_MessageHookFilter::failingHookKeepsTheEvent()
{
    Receiver receiver;
    Corvane::setMsgEventForm([&](QObject *target, QEvent *) {
        if (target == &receiver)
            throw std::runtime_error("hook failed");
    });
    QTest::ignoreMessage(QtWarningMsg, "message hook failed: hook failed");
    QEvent sent(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &sent);
    QCOMPARE(receiver.received, 1);
}

QTEST_GUILESS_MAIN(tst_MessageHookFilter)
#include "tst_MessageHookFilter.moc"
