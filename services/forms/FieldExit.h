#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QWidget;

// Runs a control's exit handler (the system's OnExit) when the focus leaves it for
// another control of the application: a window switch (a message box, another
// application) or a pop-up is no leaving.  The handler runs under the component library's
// event boundary, and never while another exit handler of the same watcher is running
// (a failed check moving the focus back is no second leaving).
class FieldExit : public QObject
{
    Q_OBJECT

public:
    explicit FieldExit(QObject *parent = nullptr);

    void watch(QWidget *control, std::function<void()> onExit);
    // Also run on focus entry (the system's OnEnter).
    void watchEntry(QWidget *control, std::function<void()> onEnter);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<QObject *, std::function<void()>> m_exits;
    QHash<QObject *, std::function<void()>> m_entries;
    bool m_running = false;
};
