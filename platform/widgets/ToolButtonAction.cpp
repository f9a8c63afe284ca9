#include "ToolButtonAction.h"

#include <QMenu>
#include <QToolButton>

ToolButtonAction::ToolButtonAction(const QString &buttonName, const QString &menuName,
                                   const QString &caption, QWidget *buttonParent, QMenu *menu)
    : QObject(buttonParent),
      m_button(new QToolButton(buttonParent)),
      m_action(new QAction(caption, buttonParent))
{
    setObjectName(buttonName);
    m_action->setObjectName(menuName);
    m_button->setObjectName(buttonName);
    m_button->setDefaultAction(m_action);
    m_button->setAutoRaise(true);
    m_button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    if (menu)
        menu->addAction(m_action);
    connect(m_action, &QAction::triggered, this, &ToolButtonAction::clicked);
}

void ToolButtonAction::setHint(const QString &hint)
{
    m_action->setToolTip(hint);
    m_action->setStatusTip(hint);
}

void ToolButtonAction::click()
{
    if (m_action->isEnabled())
        m_action->trigger();
}
