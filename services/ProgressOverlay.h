#pragma once

#include <QString>
#include <QWidget>

class QTimer;

// The progress animation: a small panel centred over the main form with a turning wheel
// and the text of the work in progress.  It keeps painting while a server call waits in
// its local event loop.
class ProgressOverlay : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressOverlay(QWidget *mainForm);

    void start(int kind, const QString &text);
    void stop();
    int kind() const { return m_kind; }
    QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QTimer *m_timer;
    int m_kind = 0;
    int m_step = 0;
    QString m_text;
};
