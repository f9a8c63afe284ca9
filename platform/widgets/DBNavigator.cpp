#include "DBNavigator.h"

#include "DataSource.h"
#include "EventGuard.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <bit>

namespace {

int slotOf(DBNavigator::Button button)
{
    return std::countr_zero(unsigned(button));
}

// Small glyphs drawn in code so the navigator needs no picture files.
QIcon glyph(DBNavigator::Button button)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 40);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&p](bool left, int x) {
        QPainterPath path;
        if (left) {
            path.moveTo(x + 6, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 6, 13);
        } else {
            path.moveTo(x, 3);
            path.lineTo(x + 6, 8);
            path.lineTo(x, 13);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (button) {
    case DBNavigator::First: p.fillRect(3, 3, 2, 10, ink); triangle(true, 6); break;
    case DBNavigator::Prior: triangle(true, 5); break;
    case DBNavigator::Next: triangle(false, 5); break;
    case DBNavigator::Last: triangle(false, 4); p.fillRect(11, 3, 2, 10, ink); break;
    case DBNavigator::Insert: p.fillRect(7, 3, 2, 10, ink); p.fillRect(3, 7, 10, 2, ink); break;
    case DBNavigator::Delete: p.fillRect(3, 7, 10, 2, ink); break;
    case DBNavigator::Edit: {
        QPainterPath path;
        path.moveTo(8, 3);
        path.lineTo(13, 11);
        path.lineTo(3, 11);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case DBNavigator::Post:
        p.setPen(QPen(QColor(20, 110, 20), 2));
        p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(7, 12), QPoint(13, 4)}));
        break;
    case DBNavigator::Cancel:
        p.setPen(QPen(QColor(170, 20, 20), 2));
        p.drawLine(4, 4, 12, 12);
        p.drawLine(12, 4, 4, 12);
        break;
    case DBNavigator::Refresh:
        p.setPen(QPen(ink, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRect(3, 3, 10, 10), 30 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(10, 1), QPoint(14, 5), QPoint(9, 6)}));
        break;
    }
    return QIcon(pm);
}

} // namespace

DBNavigator::DBNavigator(QWidget *parent)
    : QWidget(parent)
{
    static const char *const names[] = {"First", "Prior", "Next", "Last", "Insert",
                                        "Delete", "Edit", "Post", "Cancel", "Refresh"};
    static const char *const hints[] = {"Primeiro", "Anterior", "Próximo", "Último", "Incluir",
                                        "Excluir", "Alterar", "Gravar", "Cancelar", "Atualizar"};
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < int(m_buttons.size()); ++i) {
        const auto which = Button(1 << i);
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(names[i]));
        b->setToolTip(QString::fromUtf8(hints[i]));
        b->setIcon(glyph(which));
        b->setAutoRaise(false);
        b->setFixedSize(24, 22);
        connect(b, &QToolButton::clicked, this, [this, which] { perform(which); });
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    updateButtons();
}

QToolButton *DBNavigator::button(Button which) const
{
    return m_buttons[slotOf(which)];
}

void DBNavigator::setDataSource(DataSource *source)
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_source = source;
    if (source) {
        m_connections << connect(source, &DataSource::stateChanged, this, &DBNavigator::updateButtons);
        m_connections << connect(source, &DataSource::dataChanged, this, &DBNavigator::updateButtons);
        m_connections << connect(source, &DataSource::dataSetChanged, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::setVisibleButtons(Buttons buttons)
{
    m_visible = buttons;
    for (int i = 0; i < int(m_buttons.size()); ++i)
        m_buttons[i]->setVisible(buttons.testFlag(Button(1 << i)));
}

ClientDataSet *DBNavigator::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

void DBNavigator::updateButtons()
{
    const ClientDataSet *ds = dataSet();
    const bool active = isEnabled() && ds && ds->active() && m_source->enabled();
    const bool editing = active && (ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert);
    const bool canModify = active && !ds->readOnly();
    const int row = active ? ds->currentRow() : -1;
    const int count = active ? ds->recordCount() : 0;
    const bool up = active && row > 0;
    const bool down = active && row >= 0 && row < count - 1;
    button(First)->setEnabled(up);
    button(Prior)->setEnabled(up);
    button(Next)->setEnabled(down);
    button(Last)->setEnabled(down);
    button(Insert)->setEnabled(canModify);
    button(Delete)->setEnabled(canModify && count > 0);
    button(Edit)->setEnabled(canModify && !editing && count > 0);
    button(Post)->setEnabled(canModify && editing);
    button(Cancel)->setEnabled(canModify && editing);
    button(Refresh)->setEnabled(active);
}

void DBNavigator::click(Button which)
{
    if (button(which)->isEnabled() && isEnabled())
        perform(which);
}

void DBNavigator::perform(Button which)
{
    ClientDataSet *ds = dataSet();
    if (!ds)
        return;
    EventGuard::run([this, ds, which] {
        if (beforeAction)
            beforeAction(which);
        switch (which) {
        case First: ds->first(); break;
        case Prior: ds->prior(); break;
        case Next: ds->next(); break;
        case Last: ds->last(); break;
        case Insert: ds->insert(); break;
        case Delete:
            if (!confirmDelete || confirmDelete())
                ds->deleteRecord();
            break;
        case Edit: ds->edit(); break;
        case Post: ds->post(); break;
        case Cancel: ds->cancel(); break;
        case Refresh: break;
        }
        if (onClick)
            onClick(which);
    });
    updateButtons();
}

void DBNavigator::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateButtons();
}
