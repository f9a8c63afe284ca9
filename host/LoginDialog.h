#pragma once

#include "Corvane.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QSpinBox;

// The host's login: server address and port, branch, operator, password and the
// procurement database.  Confirming opens the session; a refusal is shown in the dialog,
// which stays open for another try.
class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    using LoginFunction = std::function<void(const Corvane::LoginInfo &)>;

    // login defaults to Corvane::openSession.
    explicit LoginDialog(QWidget *parent = nullptr, LoginFunction login = {});

    void setLoginInfo(const Corvane::LoginInfo &info);
    Corvane::LoginInfo loginInfo() const;
    QString errorText() const;

    // Opens the session with what was typed; false (and the reason shown) on failure.
    bool tryLogin();
    // The text shown for a failed login.
    static QString failureText(const Corvane::LoginInfo &info, const std::exception &error);

public slots:
    void accept() override;

private:
    void showError(const QString &text);

    LoginFunction m_login;
    QLineEdit *m_server = nullptr;
    QSpinBox *m_port = nullptr;
    QLineEdit *m_branch = nullptr;
    QLineEdit *m_operator = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_database = nullptr;
    // Where look-ups run, as given: the dialog does not ask it and hands it back unchanged.
    Corvane::Lookups m_lookups = Corvane::Lookups::Automatic;
    QLabel *m_error = nullptr;
};
