#pragma once

#include <QDialog>
#include <QVariant>

class QFrame;
class QToolButton;
class QVBoxLayout;
class TMessages;

// The base filter dialog: a client area (panClient), confirm (sbtConfirma) and cancel
// (sbtCancela), and the saved options: btfSaveOpc stores the state of the dialog's named
// controls (radio buttons, check boxes, edits, spins, combo boxes) in the user's settings
// under the dialog's name, btfLoadOpc puts it back.  Derived filters keep values of their
// own (lists chosen in searches) with saveOption / loadOption.
class TfrmFiltroPadrao : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmFiltroPadrao(QWidget *parent = nullptr);

    QWidget *panClient;
    QVBoxLayout *panClientLayout;
    QFrame *panBotoes;
    QToolButton *btfSaveOpc;
    QToolButton *btfLoadOpc;
    QToolButton *sbtConfirma;
    QToolButton *sbtCancela;
    TMessages *msgPadrao;
    TMessages *msgMensagensPadroes;

    virtual void sbtConfirmaClick();
    virtual void sbtCancelaClick();
    virtual void btfSaveOpcClick();
    virtual void btfLoadOpcClick();

    // One saved value of this filter (settings group "Filtros/<dialog name>").
    void saveOption(const QString &key, const QVariant &value) const;
    QVariant loadOption(const QString &key, const QVariant &defaultValue = {}) const;
    bool hasSavedOptions() const;

private:
    QString settingsGroup() const;
};
