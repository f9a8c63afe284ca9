#include "LoginDialog.h"

#include "HostMessages.h"
#include "NetError.h"
#include "TMessages.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QLineEdit *addLineEdit(QFormLayout *form, const QString &label, const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    form->addRow(label, edit);
    return edit;
}

} // namespace

LoginDialog::LoginDialog(QWidget *parent, LoginFunction login)
    : QDialog(parent)
    , m_login(login ? std::move(login) : LoginFunction(&Corvane::openSession))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(tr("Suprimentos - Acesso"));

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    m_server = addLineEdit(form, tr("Servidor:"), QStringLiteral("edtServidor"), this);
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("spePorta"));
    m_port->setRange(1, 65535);
    m_port->setValue(Corvane::LoginInfo().serverPort);
    form->addRow(tr("Porta:"), m_port);
    m_branch = addLineEdit(form, tr("Filial:"), QStringLiteral("edtFilial"), this);
    m_branch->setMaxLength(4);
    m_operator = addLineEdit(form, tr("Operador:"), QStringLiteral("edtOperador"), this);
    m_operator->setMaxLength(12);
    m_password = addLineEdit(form, tr("Senha:"), QStringLiteral("edtSenha"), this);
    m_password->setEchoMode(QLineEdit::Password);
    m_database = addLineEdit(form, tr("Banco de dados:"), QStringLiteral("edtBancoDados"), this);
    m_database->setPlaceholderText(QStringLiteral("sqlite:/caminho/arquivo.db"));

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("lblErro"));
    m_error->setWordWrap(true);
    m_error->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_error->hide();
    layout->addWidget(m_error);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *enter = buttons->addButton(tr("&Entrar"), QDialogButtonBox::AcceptRole);
    enter->setObjectName(QStringLiteral("btnEntrar"));
    enter->setDefault(true);
    QPushButton *cancel = buttons->addButton(tr("&Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &LoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LoginDialog::reject);
    layout->addWidget(buttons);

    setLoginInfo(Corvane::LoginInfo());
}

void LoginDialog::setLoginInfo(const Corvane::LoginInfo &info)
{
    m_server->setText(info.serverHost);
    m_port->setValue(info.serverPort);
    m_branch->setText(info.branch);
    m_operator->setText(info.operatorCode);
    m_password->setText(info.password);
    m_database->setText(info.database);
    m_lookups = info.lookups;
}

Corvane::LoginInfo LoginDialog::loginInfo() const
{
    Corvane::LoginInfo info;
    info.serverHost = m_server->text().trimmed();
    info.serverPort = m_port->value();
    info.branch = m_branch->text().trimmed();
    info.operatorCode = m_operator->text().trimmed();
    info.password = m_password->text();
    info.database = m_database->text().trimmed();
    info.lookups = m_lookups;
    return info;
}

QString LoginDialog::errorText() const
{
    return m_error->isVisibleTo(this) ? m_error->text() : QString();
}

QString LoginDialog::failureText(const Corvane::LoginInfo &info, const std::exception &error)
{
    if (const auto *net = dynamic_cast<const NetError *>(&error)) {
        if (net->code() == QLatin1String("network") || net->code() == QLatin1String("tls"))
            return hostMessages().Msg(QStringLiteral("LoginServidorInacessivel"))
                .arg(info.serverHost).arg(info.serverPort).arg(net->message());
        return hostMessages().Msg(QStringLiteral("LoginRecusado")).arg(net->message());
    }
    return hostMessages().Msg(QStringLiteral("LoginBancoDados")).arg(QString::fromUtf8(error.what()));
}

bool LoginDialog::tryLogin()
{
    const Corvane::LoginInfo info = loginInfo();
    if (info.serverHost.isEmpty() || info.branch.isEmpty() || info.operatorCode.isEmpty()) {
        showError(hostMessages().Msg(QStringLiteral("LoginIncompleto")));
        return false;
    }
    try {
        m_login(info);
    } catch (const std::exception &error) {
        showError(failureText(info, error));
        m_password->clear();
        m_password->setFocus();
        return false;
    }
    m_error->hide();
    return true;
}

void LoginDialog::accept()
{
    if (tryLogin())
        QDialog::accept();
}

void LoginDialog::showError(const QString &text)
{
    m_error->setText(text);
    m_error->show();
}
