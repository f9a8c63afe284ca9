#pragma once

#include <QString>

class QFrame;
class QToolButton;
class QWidget;

// The button bar the base dialogs share: buttons with a picture and a caption at the
// right of a framed bar.
namespace DialogParts {

QFrame *buttonBar(QWidget *parent, const QString &name);
// Adds a button at the end of the bar.
QToolButton *addButton(QFrame *bar, const QString &name, const QString &caption, const QString &icon);

} // namespace DialogParts
