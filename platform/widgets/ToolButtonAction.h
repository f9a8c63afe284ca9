#pragma once

#include <QAction>
#include <QObject>
#include <QString>

class QMenu;
class QToolButton;

// A toolbar button and its menu item as one command: both show the same QAction, so the
// caption, shortcut, hint and enabled state can never disagree, and the menu item
// "clicks" the button.  The action carries the menu item's name (mnuIncluir), the button
// the button's (sbtIncluir).
class ToolButtonAction : public QObject
{
    Q_OBJECT

public:
    ToolButtonAction(const QString &buttonName, const QString &menuName, const QString &caption,
                     QWidget *buttonParent, QMenu *menu = nullptr);

    QToolButton *button() const { return m_button; }
    QAction *action() const { return m_action; }

    bool isEnabled() const { return m_action->isEnabled(); }
    void setEnabled(bool enabled) { m_action->setEnabled(enabled); }
    bool isVisible() const { return m_action->isVisible(); }
    void setVisible(bool visible) { m_action->setVisible(visible); }
    void setShortcut(const QKeySequence &shortcut) { m_action->setShortcut(shortcut); }
    void setHint(const QString &hint);
    void setIcon(const QIcon &icon) { m_action->setIcon(icon); }
    // Presses the command as the user would; nothing when it is disabled.
    void click();

signals:
    // The button or the menu item was pressed.
    void clicked();

private:
    QToolButton *m_button;
    QAction *m_action;
};
