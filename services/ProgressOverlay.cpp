#include "ProgressOverlay.h"

#include "TMessages.h"
#include "UserInterface.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

ProgressOverlay::ProgressOverlay(QWidget *mainForm)
    : QWidget(mainForm, mainForm ? Qt::Widget : Qt::Tool | Qt::FramelessWindowHint),
      m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("aviProgresso"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % 12;
        update();
    });
    if (mainForm)
        mainForm->installEventFilter(this);
    hide();
}

void ProgressOverlay::start(int kind, const QString &text)
{
    m_kind = kind;
    m_text = text;
    if (m_text.isEmpty()) {
        const QString key = kind == ShowAviKind::Receiving ? QStringLiteral("Avi_Recebendo")
                                                           : QStringLiteral("Avi_Gravando");
        m_text = TMessages::padrao().Msg(key);
    }
    place();
    show();
    raise();
    m_timer->start();
    update();
}

void ProgressOverlay::stop()
{
    m_timer->stop();
    hide();
}

void ProgressOverlay::place()
{
    const QSize size(360, 72);
    if (QWidget *form = parentWidget()) {
        const QRect r = form->rect();
        setGeometry(QRect(r.center() - QPoint(size.width() / 2, size.height() / 2), size));
    } else {
        resize(size);
    }
}

bool ProgressOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        place();
    return QWidget::eventFilter(watched, event);
}

void ProgressOverlay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(palette().color(QPalette::Mid));
    p.setBrush(palette().color(QPalette::Window));
    p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 6, 6);

    // The wheel: twelve spokes, the current one darkest.
    const QPoint centre(36, height() / 2);
    for (int i = 0; i < 12; ++i) {
        const int age = (m_step - i + 12) % 12;
        QColor c = palette().color(QPalette::Highlight);
        c.setAlpha(255 - age * 18);
        p.save();
        p.translate(centre);
        p.rotate(i * 30.0);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(8, -2, 10, 4), 2, 2);
        p.restore();
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect().adjusted(68, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, m_text);
}
