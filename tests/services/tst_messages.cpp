#include "ScriptedUserInterface.h"
#include "TMessages.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

// A key some source reads, with where it is read.
struct KeyUse
{
    QString key;
    QString table;  // "form": the form's own table; "padrao": the standard table
    QString where;  // file:line
};

QString sourceDir()
{
    return QStringLiteral(SUP_SOURCE_DIR);
}

// The keys the sources matching the patterns (relative to the source tree) read with a
// literal key: msg/Msg/ShowMsg/ShowMsgAlert(QStringLiteral("KEY")), fail(control,
// QStringLiteral("KEY")) of the dialogs, and ServerText's message(QStringLiteral("KEY")).
// A read through the standard table (TMessages::padrao(), msgMensagensPadroes) is marked
// "padrao".
QList<KeyUse> keysRead(const QStringList &patterns)
{
    static const QRegularExpression read(QString::fromLatin1(
        R"re((?:(\w+)(?:\(\))?\s*(?:->|\.|::)\s*)?\b(?:msg|Msg|ShowMsg|ShowMsgAlert|message)\(\s*)re"
        R"re(QStringLiteral\(\s*"([^"]+)"\s*\))re"));
    static const QRegularExpression failed(QString::fromLatin1(
        R"re(\bfail\(\s*\w+\s*,\s*QStringLiteral\(\s*"([^"]+)"\s*\))re"));
    QList<KeyUse> out;
    for (const QString &pattern : patterns) {
        const QFileInfo info(sourceDir() + QLatin1Char('/') + pattern);
        const QStringList files = QDir(info.path()).entryList({info.fileName()}, QDir::Files, QDir::Name);
        for (const QString &name : files) {
            QFile file(info.path() + QLatin1Char('/') + name);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(file.readAll());
            const QString relative = QDir(sourceDir()).relativeFilePath(file.fileName());
            auto lineOf = [&text](qsizetype at) { return QString::number(text.left(at).count(u'\n') + 1); };
            for (auto it = read.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                const QString receiver = m.captured(1);
                const bool standard = receiver == QLatin1String("padrao")
                                      || receiver == QLatin1String("msgMensagensPadroes");
                out.append({m.captured(2), standard ? QStringLiteral("padrao") : QStringLiteral("form"),
                            relative + QLatin1Char(':') + lineOf(m.capturedStart())});
            }
            for (auto it = failed.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                out.append({m.captured(1), QStringLiteral("form"),
                            relative + QLatin1Char(':') + lineOf(m.capturedStart())});
            }
        }
    }
    return out;
}

} // namespace

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
    void everyKeyReadIsInItsTable_data();
    void everyKeyReadIsInItsTable();

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

void tst_Messages::everyKeyReadIsInItsTable_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QString>("formTable");   // a resource table, or .msg files of the source tree
    QTest::addColumn<QString>("sample");      // a key the sources are known to read
    QTest::newRow("workspace") << QStringList{QStringLiteral("workspace/*.cpp")}
                               << QStringLiteral("Cli_sup05200") << QStringLiteral("Cap_Filtro");
    QTest::newRow("filter dialog") << QStringList{QStringLiteral("dialogs/Cli_sup05201.cpp")}
                                   << QStringLiteral("Cli_sup05201") << QStringLiteral("DtIniFin_Inv");
    QTest::newRow("inclusion error list") << QStringList{QStringLiteral("dialogs/Cli_sup05216.cpp")}
                                          << QStringLiteral("Cli_sup05216") << QStringLiteral("Cap_Detalhes");
    QTest::newRow("supplier price sheets")
        << QStringList{QStringLiteral("dialogs/Cli_sup05230.cpp"), QStringLiteral("dialogs/Cli_sup05231.cpp"),
                       QStringLiteral("services/pricesheet/*.cpp")}
        << QStringLiteral("planilhaforn") << QStringLiteral("Tit_Exporta");
    QTest::newRow("component library") << QStringList{QStringLiteral("services/*.cpp")} << QString()
                                       << QStringLiteral("Net_Inacessivel");
    QTest::newRow("server dispatch")
        << QStringList{QStringLiteral("server/dispatch/*.cpp"), QStringLiteral("server/net/*.cpp"),
                       QStringLiteral("server/storage/ServerText.cpp")}
        << QStringLiteral("server/dispatch/dispatch.msg;server/objects/messages.msg") << QStringLiteral("Arg_Tipo");
}

// A key missing from its table leaves the buyer an empty caption or message (the server
// answers with the bare key): every key read literally must be in the table it is read
// from.
void tst_Messages::everyKeyReadIsInItsTable()
{
    QFETCH(QStringList, sources);
    QFETCH(QString, formTable);
    QFETCH(QString, sample);

    TMessages form;
    if (formTable.contains(QLatin1String(".msg"))) {
        for (const QString &path : formTable.split(u';')) {
            QFile file(sourceDir() + QLatin1Char('/') + path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            form.loadText(QString::fromUtf8(file.readAll()));
        }
    } else if (!formTable.isEmpty()) {
        QVERIFY2(form.load(formTable), qPrintable(formTable));
    }
    const TMessages &padrao = TMessages::padrao();

    const QList<KeyUse> uses = keysRead(sources);
    bool sampleSeen = false;
    QStringList missing;
    for (const KeyUse &use : uses) {
        sampleSeen = sampleSeen || use.key == sample;
        const bool standard = use.table == QLatin1String("padrao") || formTable.isEmpty();
        if (!(standard ? padrao : form).contains(use.key)) {
            const QString table = standard ? QStringLiteral("padrao") : formTable;
            missing << QStringLiteral("%1 (%2, table %3)").arg(use.key, use.where, table);
        }
    }
    // The scan itself works: it finds a key these sources are known to read.
    QVERIFY2(sampleSeen, qPrintable(QStringLiteral("%1 not found in %2").arg(sample, sources.join(u' '))));
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("keys without a text: ") + missing.join(QStringLiteral("; "))));
}

QTEST_GUILESS_MAIN(tst_Messages)
#include "tst_messages.moc"
