#include "DialogParts.h"

#include "Consiste.h"
#include "EventGuard.h"
#include "FormIcons.h"
#include "TMessages.h"

#include <QDialog>
#include <QVBoxLayout>

#include <QFrame>
#include <QHBoxLayout>
#include <QToolButton>

namespace DialogParts {

DialogFrame frame(QDialog *dialog, const QString &name, const QString &clientName)
{
    EventGuard::setRunner(&Consiste::runGuarded);
    dialog->setObjectName(name);
    DialogFrame f;
    f.msgPadrao = new TMessages(dialog);
    f.msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    f.msgMensagensPadroes = new TMessages(QStringLiteral("padrao"), dialog);
    f.msgMensagensPadroes->setObjectName(QStringLiteral("msgMensagensPadroes"));
    f.layout = new QVBoxLayout(dialog);
    f.layout->setContentsMargins(6, 6, 6, 6);
    f.client = new QWidget(dialog);
    f.client->setObjectName(clientName);
    f.clientLayout = new QVBoxLayout(f.client);
    f.clientLayout->setContentsMargins(0, 0, 0, 0);
    f.layout->addWidget(f.client, 1);
    return f;
}

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
