#include "ScriptedUserInterface.h"
#include "TMessages.h"

#include <QTest>

class tst_Messages : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_ui.clear(); setUserInterface(&m_ui); }
    void cleanup() { setUserInterface(nullptr); }

    void tableFormat();
    void standardTableFromResources();
    void addAndDelete();
    void showMsgAnswersThroughTheInterface();
    void alertsAnswerByCaptionPosition();

private:
    ScriptedUserInterface m_ui;
};

void tst_Messages::tableFormat()
{
    TMessages msg;
    msg.loadText(QStringLiteral("# comment|not an entry\n"
                                "\n"
                                "Reg_N_Cad|Região não cadastrada.\r\n"
                                "REG_N_CAD|second entry loses\n"
                                "Del_Itens_Lista|Atenção!\\nExistem itens.\\nConfirma exclusão?\n"
                                "Barra|a|b\n"
                                "Vazio|\n"
                                "sem chave\n"));
    QCOMPARE(msg.count(), 4);
    QCOMPARE(msg.Msg("reg_n_cad"), QStringLiteral("Região não cadastrada.")); // case-insensitive, first wins
    QCOMPARE(msg.Msg("Del_Itens_Lista").split(u'\n').size(), 3);
    QCOMPARE(msg.Msg("Barra"), QStringLiteral("a|b")); // only the first bar separates
    QVERIFY(msg.contains("vazio"));
    QVERIFY(msg.Msg("Vazio").isEmpty());
    QVERIFY(!msg.contains("comment"));
    QVERIFY(msg.Msg("unknown").isEmpty());
}

void tst_Messages::standardTableFromResources()
{
    TMessages &padrao = TMessages::padrao();
    QCOMPARE(padrao.Msg("Excl"), QStringLiteral("Confirma exclusão?"));
    QCOMPARE(padrao.Msg("canc"), QStringLiteral("Confirma cancelamento?"));
    TMessages other;
    QVERIFY(!other.load("no_such_table"));
    QVERIFY(other.load("padrao"));
    QCOMPARE(other.Msg("EXCL"), padrao.Msg("Excl"));
}

void tst_Messages::addAndDelete()
{
    TMessages msg;
    msg.Add("Forn_N_Inf", "Fornecedor deve ser informado.");
    QCOMPARE(msg.Msg("forn_n_inf"), QStringLiteral("Fornecedor deve ser informado."));
    msg.Add("FORN_N_INF", "Outro texto");
    QCOMPARE(msg.count(), 1);
    QCOMPARE(msg.Msg("Forn_N_Inf"), QStringLiteral("Outro texto"));
    msg.Delete("forn_n_INF");
    QVERIFY(!msg.contains("Forn_N_Inf"));
    QCOMPARE(msg.count(), 0);
}

void tst_Messages::showMsgAnswersThroughTheInterface()
{
    TMessages msg;
    msg.Add("Excl", "Confirma exclusão?");
    m_ui.answerYes();
    m_ui.answerNo();
    QCOMPARE(msg.ShowMsg("Excl", MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo, 0), 6);
    QCOMPARE(msg.ShowMsg("excl", MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo, 0), 7);
    QCOMPARE(m_ui.count(ScriptedUserInterface::Kind::Message), 2);
    QCOMPARE(m_ui.asked().first().text, QStringLiteral("Confirma exclusão?"));
    QCOMPARE(m_ui.asked().first().type, int(MsgDlg::mtConfirmation));
    // unanswered: the negative answer
    QCOMPARE(msg.ShowMsg("Excl", MsgDlg::mtConfirmation, MsgDlg::mbYes | MsgDlg::mbNo, 0), 7);
    QCOMPARE(m_ui.unanswered(), 1);
}

void tst_Messages::alertsAnswerByCaptionPosition()
{
    TMessages msg;
    msg.loadText(QStringLiteral("Copy|Copiar preços?\nmsgCopyAll|&Todas\nmsgCopyInf|&Não informadas\nCanc_Copy|&Cancelar\n"));
    m_ui.answerAlert(MsgDlg::mrCaption2);
    QCOMPARE(msg.ShowMsgAlert("Copy", MsgDlg::mtConfirmation, {"msgCopyAll", "msgCopyInf", "Canc_Copy"}, 1), 11);
    const auto &asked = m_ui.asked().last();
    QCOMPARE(asked.captions, (QStringList{"&Todas", "&Não informadas", "&Cancelar"}));
    QCOMPARE(asked.text, QStringLiteral("Copiar preços?"));

    m_ui.answerAlert(MsgDlg::mrCaption1);
    QCOMPARE(TMessages::MsgAlertEx("Nenhuma opção de filtro foi informada. Confirma operação?",
                                   MsgDlg::mtConfirmation, {"Sim", "Não"}, 2, 0, 0), 10);
}

QTEST_GUILESS_MAIN(tst_Messages)
#include "tst_messages.moc"
