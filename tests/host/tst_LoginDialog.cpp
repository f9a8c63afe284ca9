#include "LoginDialog.h"

#include "FakeLoginServer.h"

#include "Corvane.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

class tst_LoginDialog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void fieldsCarryTheirNames();
    void acceptedLoginOpensSession();
    void refusedLoginStaysOpenWithReason();
    void unreachableServerNamesIt();
    void incompleteLoginIsNotTried();

private:
    static Corvane::LoginInfo login(int port, const QString &operatorCode);
};

Corvane::LoginInfo tst_LoginDialog::login(int port, const QString &operatorCode)
{
    Corvane::LoginInfo info;
    info.serverHost = QStringLiteral("127.0.0.1");
    info.serverPort = port;
    info.branch = QStringLiteral("0001");
    info.operatorCode = operatorCode;
    info.password = QStringLiteral("demo");
    return info;
}

void tst_LoginDialog::cleanup()
{
    Corvane::closeSession();
}

void tst_LoginDialog::fieldsCarryTheirNames()
{
    LoginDialog dialog;
    dialog.setLoginInfo(login(7301, QStringLiteral("COMP01")));
    QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("edtServidor"))->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("spePorta"))->value(), 7301);
    QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("edtFilial"))->text(), QStringLiteral("0001"));
    QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("edtOperador"))->text(), QStringLiteral("COMP01"));
    auto *password = dialog.findChild<QLineEdit *>(QStringLiteral("edtSenha"));
    QCOMPARE(password->echoMode(), QLineEdit::Password);

    // What is typed is what the session gets.
    QTest::keyClicks(password, QStringLiteral("x"));
    QCOMPARE(dialog.loginInfo().password, QStringLiteral("demox"));
}

void tst_LoginDialog::acceptedLoginOpensSession()
{
    FakeLoginServer server;
    LoginDialog dialog;
    dialog.setLoginInfo(login(server.port(), QStringLiteral("COMP01")));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(Corvane::sessionOpen());
    QCOMPARE(Corvane::Operador(), QStringLiteral("COMP01      "));
    QCOMPARE(Corvane::WebPort(), server.port());
}

void tst_LoginDialog::refusedLoginStaysOpenWithReason()
{
    FakeLoginServer server;
    LoginDialog dialog;
    dialog.show();
    dialog.setLoginInfo(login(server.port(), QStringLiteral("RECUSADO")));
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QVERIFY(!Corvane::sessionOpen());
    QCOMPARE(dialog.errorText(), QStringLiteral("Acesso recusado: Operador ou senha inválidos."));
    QVERIFY(dialog.loginInfo().password.isEmpty());

    // A second try with a good operator gets in and the reason goes away.
    dialog.setLoginInfo(login(server.port(), QStringLiteral("COMP01")));
    QVERIFY(dialog.tryLogin());
    QVERIFY(dialog.errorText().isEmpty());
}

void tst_LoginDialog::unreachableServerNamesIt()
{
    int port = 0;
    {
        FakeLoginServer gone;
        port = gone.port();
    }
    LoginDialog dialog;
    dialog.show();
    dialog.setLoginInfo(login(port, QStringLiteral("COMP01")));
    QVERIFY(!dialog.tryLogin());
    QVERIFY2(dialog.errorText().startsWith(QStringLiteral("Servidor 127.0.0.1:%1 inacessível").arg(port)),
             qPrintable(dialog.errorText()));
}

void tst_LoginDialog::incompleteLoginIsNotTried()
{
    int tries = 0;
    LoginDialog dialog(nullptr, [&](const Corvane::LoginInfo &) { ++tries; });
    dialog.show();
    dialog.setLoginInfo(login(7205, QString()));
    dialog.accept();
    QCOMPARE(tries, 0);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.errorText(), QStringLiteral("Informe servidor, porta, filial e operador."));
}

QTEST_MAIN(tst_LoginDialog)
#include "tst_LoginDialog.moc"
