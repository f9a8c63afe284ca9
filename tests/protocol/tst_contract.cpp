#include "MethodTable.h"
#include "ProtocolContract.h"

#include <QFile>
#include <QSet>
#include <QRegularExpression>
#include <QTest>

#include <stdexcept>

class tst_Contract : public QObject
{
    Q_OBJECT

private slots:
    void referenceDocumentMatchesContract();
    void serverImplementsExactlyTheContract();
    void namedArgumentsFollowTheContractOrder();
    void everyPacketMethodNamesAKnownLayout();
    void onlyReadsAreRepeatable();
};

// docs/server-methods.md carries the argument tables and packet layouts of the contract;
// rewriting them from the contract must change nothing.
void tst_Contract::referenceDocumentMatchesContract()
{
    QFile file(QStringLiteral(SUP_SOURCE_DIR "/docs/server-methods.md"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QString document = QString::fromUtf8(file.readAll());
    QStringList problems;
    const QString rewritten = Protocol::rewriteReference(document, &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QVERIFY2(rewritten == document,
             "docs/server-methods.md differs from the contract: run build/bin/sup-contract-doc docs/server-methods.md");
}

void tst_Contract::serverImplementsExactlyTheContract()
{
    MethodTable table;
    registerServerObjects(table);
    QCOMPARE(table.unimplemented(), QStringList());
    QCOMPARE(table.methods().size(), Protocol::methods().size());

    // A method outside the contract, or one implemented twice, stops the server at start.
    QVERIFY_THROWS_EXCEPTION(std::logic_error, table.implement(Protocol::kGridCotaPrec, QStringLiteral("GetNada"),
                                                               [](CallContext &) { return QVariant(); }));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, table.implement(Protocol::kGridCotaPrec, QStringLiteral("GetColetaPr"),
                                                               [](CallContext &) { return QVariant(); }));
}

void tst_Contract::namedArgumentsFollowTheContractOrder()
{
    const MethodContract &m = Protocol::method(Protocol::kGridCotaPrec, QStringLiteral("GetColetaPr"));
    const QVariantList values = Protocol::positional(
        m, {{QStringLiteral("TodasRegioes"), QStringLiteral("T")}, {QStringLiteral("CDFILIAL"), QStringLiteral("0001")}});
    QCOMPARE(values.size(), m.args.size());
    QCOMPARE(values.first().toString(), QStringLiteral("0001"));
    QCOMPARE(values.last().toString(), QStringLiteral("T"));
    for (int i = 1; i < values.size() - 1; ++i)
        QVERIFY2(!values.at(i).isValid(), qPrintable(m.args.at(i).name));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Protocol::positional(m, {{QStringLiteral("Lista"), 1}}));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, Protocol::method(Protocol::kGridCotaPrec, QStringLiteral("GetNada")));

    // Only by-reference arguments come back, by name; a position past the list is ignored.
    const MethodContract &del = Protocol::method(Protocol::kGridCotaPrec, QStringLiteral("Verif_Lista"));
    const QVariantMap refs = Protocol::namedRefs(del, {{0, QStringLiteral("0001")}, {2, QStringLiteral("001")}, {9, 1}});
    QCOMPARE(refs, (QVariantMap{{QStringLiteral("CDREGIAO"), QStringLiteral("001")}}));

    // The operator argument is declared once and read by the dispatcher from here.
    const MethodContract &filtro = Protocol::method(Protocol::kGridCotaPrec, QStringLiteral("GetDadosFiltro"));
    QVERIFY(filtro.arg(QStringLiteral("CDOPERADOR"))->isOperator);
    QVERIFY(!filtro.arg(QStringLiteral("CDFILIAL"))->isOperator);
}

void tst_Contract::everyPacketMethodNamesAKnownLayout()
{
    QStringList used;
    for (const MethodContract &m : Protocol::methods()) {
        if (m.resultPacket.isEmpty())
            continue;
        QVERIFY2(!Protocol::packetLayout(m.resultPacket).isEmpty(), qPrintable(m.qualifiedName()));
        used << m.resultPacket;
        QSet<QString> names;
        for (const ArgDecl &a : m.args)
            names.insert(a.name);
        QCOMPARE(names.size(), m.args.size());
    }
    for (const QString &layout : Protocol::packetLayoutNames())
        QVERIFY2(used.contains(layout), qPrintable(layout + QStringLiteral(" is returned by no method")));
}

// A client sends a read-only method again after a dropped connection: a name that is not
// in the contract is a typo, and a method that stores or removes must never be among them.
void tst_Contract::onlyReadsAreRepeatable()
{
    for (const QString &name : Protocol::readOnlyMethods()) {
        const qsizetype dot = name.lastIndexOf(u'.');
        const MethodContract *m = Protocol::find(name.left(dot), name.mid(dot + 1));
        QVERIFY2(m, qPrintable(name + QStringLiteral(" is not in the contract")));
        QVERIFY(m->readOnly);
    }
    static const QRegularExpression writes(QStringLiteral("^(Set|Inc|Excl|Del|Duplica|Altera|Reajuste|Carg|Atualiza|ConfSenha)"));
    int reads = 0;
    for (const MethodContract &m : Protocol::methods()) {
        if (writes.match(m.name).hasMatch())
            QVERIFY2(!m.readOnly, qPrintable(m.qualifiedName()));
        reads += m.readOnly ? 1 : 0;
    }
    QCOMPARE(reads, Protocol::readOnlyMethods().size());
    QVERIFY(Protocol::method(Protocol::kGridCotaPrec, QStringLiteral("GetGridProdMarc")).readOnly);
}

QTEST_GUILESS_MAIN(tst_Contract)
#include "tst_contract.moc"
