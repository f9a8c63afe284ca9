#include "DialogParts.h"

#include "FormIcons.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QToolButton>

namespace DialogParts {

QFrame *buttonBar(QWidget *parent, const QString &name)
{
    auto *bar = new QFrame(parent);
    bar->setObjectName(name);
    bar->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addStretch(1);
    return bar;
}

QToolButton *addButton(QFrame *bar, const QString &name, const QString &caption, const QString &icon)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(QString(caption).remove(QLatin1Char('&')));
    button->setIcon(FormIcons::command(icon));
    button->setIconSize(QSize(20, 20));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setMinimumWidth(96);
    bar->layout()->addWidget(button);
    return button;
}

} // namespace DialogParts
