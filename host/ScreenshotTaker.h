#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// Saves a picture of the main window for scripted runs, once the start-up work is done
// (or a modal dialog waits for the user) and the window has settled.  A modal dialog
// open at that moment is drawn over the window where it stands, then closed, so that a
// dialog opened at start never blocks the run.  Tells finished afterwards, once no
// nested event loop but the application's runs any more.
class ScreenshotTaker : public QObject
{
    Q_OBJECT

public:
    ScreenshotTaker(QWidget *window, QString fileName, QObject *parent = nullptr);

    // The start-up work is done: the picture may be taken once the window settles.
    void setReady();
    // Buttons to click, in order, each once the window has settled: a button of that
    // object name in the dialog waiting for the user (or in the window).
    void setClicks(const QStringList &buttonNames) { m_clicks = buttonNames; }
    void start();

    // The window with the modal dialog (if any) drawn over it.
    static QImage compose(QWidget *window, QWidget *modal);

signals:
    void finished(bool saved);

private:
    static int modalWindows();
    bool settled();
    void poll();
    void shoot();
    bool clickNext();

    QPointer<QWidget> m_window;
    QString m_fileName;
    QTimer m_timer;
    QElapsedTimer m_elapsed;
    bool m_ready = false;
    bool m_done = false;
    bool m_saved = false;
    int m_settledPolls = 0;
    QStringList m_clicks;
    bool m_clicking = false;
};
