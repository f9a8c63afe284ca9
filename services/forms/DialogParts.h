#pragma once

#include <QString>

class QDialog;
class QFrame;
class QToolButton;
class QVBoxLayout;
class QWidget;
class TMessages;

// The button bar the base dialogs share: buttons with a picture and a caption at the
// right of a framed bar.
namespace DialogParts {

QFrame *buttonBar(QWidget *parent, const QString &name);
// What every base dialog starts with: its name, the exception boundary of its handlers,
// the message tables msgPadrao and msgMensagensPadroes (standard "Excl", "Canc"), and a
// client panel filling the dialog above the button bar.
struct DialogFrame
{
    TMessages *msgPadrao = nullptr;
    TMessages *msgMensagensPadroes = nullptr;
    QVBoxLayout *layout = nullptr;       // the dialog's own layout
    QWidget *client = nullptr;           // the panel the derived dialog fills
    QVBoxLayout *clientLayout = nullptr;
};
DialogFrame frame(QDialog *dialog, const QString &name, const QString &clientName);

// Adds a button at the end of the bar.
QToolButton *addButton(QFrame *bar, const QString &name, const QString &caption, const QString &icon);

} // namespace DialogParts
