#include "ScreenshotTaker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QThread>
#include <QWidget>
#include <QtDebug>

namespace {

constexpr int PollMs = 200;
constexpr int SettledPolls = 3;      // ready for this many polls in a row
constexpr int GiveUpMs = 30000;      // take the picture anyway after this long
constexpr int FinishPollMs = 20;

} // namespace

ScreenshotTaker::ScreenshotTaker(QWidget *window, QString fileName, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_fileName(std::move(fileName))
{
    m_timer.setInterval(PollMs);
    connect(&m_timer, &QTimer::timeout, this, &ScreenshotTaker::poll);
}

void ScreenshotTaker::setReady()
{
    m_ready = true;
}

void ScreenshotTaker::start()
{
    m_elapsed.start();
    m_timer.start();
}

// The modal windows shown: each runs an event loop of its own while it waits.
int ScreenshotTaker::modalWindows()
{
    int count = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->isModal())
            ++count;
    }
    return count;
}

// Settled means nothing runs but the application's loop and those of the dialogs
// waiting for the user: no server call is waiting for its answer.
bool ScreenshotTaker::settled()
{
    const int modals = modalWindows();
    return QThread::currentThread()->loopLevel() <= 1 + modals && (m_ready || modals > 0);
}

void ScreenshotTaker::poll()
{
    // A click's handler may run event loops of its own (a server call); the timer must
    // not act again from inside them.
    if (m_clicking)
        return;
    if (m_done) {
        // Told only once the dialogs closed by shoot() have left their loops, so that
        // ending the program does not cut into one.
        if (QThread::currentThread()->loopLevel() <= 1 + modalWindows()) {
            m_timer.stop();
            emit finished(m_saved);
        }
        return;
    }
    m_settledPolls = settled() ? m_settledPolls + 1 : 0;
    if (m_settledPolls >= SettledPolls && !m_clicks.isEmpty() && clickNext()) {
        m_settledPolls = 0;
        return;
    }
    if (m_settledPolls >= SettledPolls || m_elapsed.elapsed() > GiveUpMs)
        shoot();
}

bool ScreenshotTaker::clickNext()
{
    const QString name = m_clicks.takeFirst();
    QWidget *scope = QApplication::activeModalWidget();
    if (!scope)
        scope = m_window;
    auto *button = scope ? scope->findChild<QAbstractButton *>(name) : nullptr;
    if (!button || !button->isEnabled()) {
        qWarning("no enabled button %s to click before the screenshot", qPrintable(name));
        return false;
    }
    m_clicking = true;
    button->click();
    m_clicking = false;
    return true;
}

QImage ScreenshotTaker::compose(QWidget *window, QWidget *modal)
{
    QImage image = window->grab().toImage();
    if (modal && modal != window && modal->isVisible()) {
        QPainter painter(&image);
        QPoint at = modal->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0));
        const QPixmap dialog = modal->grab();
        // A dialog placed off the window is centred on it instead.
        if (!QRect(at, dialog.size()).intersects(image.rect()))
            at = QPoint((image.width() - dialog.width()) / 2, (image.height() - dialog.height()) / 2);
        painter.drawPixmap(at, dialog);
        painter.setPen(QColor(90, 90, 90));
        painter.drawRect(QRect(at, dialog.size()).adjusted(0, 0, -1, -1));
    }
    return image;
}

void ScreenshotTaker::shoot()
{
    m_done = true;
    bool saved = false;
    if (m_window) {
        QApplication::processEvents();
        const QImage image = compose(m_window, QApplication::activeModalWidget());
        saved = image.save(m_fileName);
        if (!saved)
            qWarning("could not save the screenshot to %s", qPrintable(m_fileName));
    }
    // Close whatever waits for the user, innermost first, so the run can end.
    for (int guard = 0; guard < 20; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
    m_saved = saved;
    m_timer.setInterval(FinishPollMs);
}
