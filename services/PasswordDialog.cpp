#include "PasswordDialog.h"

#include "TMessages.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PasswordDialog::PasswordDialog(const QString &operatorCode, const QString &title, const QString &label,
                               QWidget *parent)
    : QDialog(parent), m_password(new QLineEdit(this))
{
    TMessages &msg = TMessages::padrao();
    setObjectName(QStringLiteral("frmConfSenha"));
    setWindowTitle(title.isEmpty() ? msg.Msg(QStringLiteral("Senha_Titulo")) : title);

    auto *code = new QLabel(operatorCode.trimmed(), this);
    code->setObjectName(QStringLiteral("lblOperador"));
    m_password->setObjectName(QStringLiteral("edtSenha"));
    m_password->setEchoMode(QLineEdit::Password);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(msg.Msg(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
    buttons->addButton(msg.Msg(QStringLiteral("Cancelar")), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QFormLayout(this);
    const QString operatorLabel = label.isEmpty() ? msg.Msg(QStringLiteral("Senha_Operador")) : label;
    layout->addRow(operatorLabel.endsWith(u':') ? operatorLabel : operatorLabel + u':', code);
    layout->addRow(msg.Msg(QStringLiteral("Senha_Senha")), m_password);
    layout->addRow(buttons);
    m_password->setFocus();
}

QString PasswordDialog::password() const
{
    return m_password->text();
}
