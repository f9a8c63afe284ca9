#pragma once

#include <QDialog>

class QLineEdit;

// Asks the password of an operator: the operator's code is shown, the password typed
// hidden.
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    PasswordDialog(const QString &operatorCode, const QString &title, const QString &label,
                   QWidget *parent = nullptr);

    QString password() const;
    QLineEdit *passwordEdit() const { return m_password; }

private:
    QLineEdit *m_password;
};
