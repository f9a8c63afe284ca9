// The server's call path: the input is the byte stream of one connection of a logged-in
// buyer (COMP01 at branch 0001), read by the frame reader and dispatched message by
// message against a scratch SQLite database holding the small demo data, as a worker
// does.  So argument checking, the operator check, every method's own checks and the
// application of deltas (SetItemCole and the other writes) meet arbitrary input.
// Every reply must be a well-formed message of the wire; the database starts from the
// same rows for every input.
//
// A password confirmation (ConfSenha) that is not the demo password is not sent: its
// refusal waits on purpose, which would only slow the run down.

#include "CborCodec.h"
#include "Codes.h"
#include "Dispatcher.h"
#include "FrameReader.h"
#include "FuzzCheck.h"
#include "MethodTable.h"
#include "ScratchDatabase.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMaxMessages = 8;

struct Harness
{
    MethodTable table;
    ScratchDatabase database;
    std::unique_ptr<Dispatcher> dispatcher;
};

Harness *harness = nullptr;

Session buyerSession()
{
    Session s;
    s.operatorCode = padOperator(QStringLiteral("COMP01"));
    s.operatorName = QStringLiteral("COMP01");
    s.branch = QStringLiteral("0001");
    s.client = QStringLiteral("fuzz");
    s.loggedIn = true;
    return s;
}

bool slowRefusal(const QVariantMap &message)
{
    if (message.value(QStringLiteral("method")).toString() != QLatin1String("ConfSenha"))
        return false;
    const QVariantList args = message.value(QStringLiteral("args")).toList();
    return args.size() < 2 || args.at(1).toString() != QLatin1String("demo");
}

void checkReply(const QVariantMap &message, const DispatchOutcome &outcome)
{
    const QVariantMap &reply = outcome.reply;
    FuzzCheck::require(CborCodec::encode(reply.value(QStringLiteral("id"))) == CborCodec::encode(message.value(QStringLiteral("id"))),
                       "a reply does not echo the id");
    const bool error = reply.contains(QStringLiteral("error"));
    const bool answer = reply.contains(QStringLiteral("result")) || reply.contains(QStringLiteral("ok"));
    FuzzCheck::require(error != answer, "a reply is neither an answer nor an error");
    if (error) {
        const QVariantMap e = reply.value(QStringLiteral("error")).toMap();
        static const QStringList codes{QStringLiteral("auth"), QStringLiteral("unknown-object"),
                                       QStringLiteral("unknown-method"), QStringLiteral("arguments"),
                                       QStringLiteral("conflict"), QStringLiteral("server")};
        FuzzCheck::require(codes.contains(e.value(QStringLiteral("code")).toString()), "an error reply has an unknown code");
        FuzzCheck::require(!e.value(QStringLiteral("message")).toString().isEmpty(), "an error reply has no message");
    }
    FuzzCheck::codecRoundTrip(reply);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    FuzzCheck::silenceLogs();
    harness = new Harness;
    registerServerObjects(harness->table);
    // No login delay and no throttle: a refused login must not slow the run.
    LoginPolicy noDelay;
    noDelay.delayMs = 0;
    harness->dispatcher = std::make_unique<Dispatcher>(harness->table, noDelay);
    QString error;
    if (!harness->database.create(&error)) {
        std::fprintf(stderr, "scratch database: %s\n", qPrintable(error));
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FrameReader reader(FrameReader::kDefaultMaxFrame);
    reader.append(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    Session session = buyerSession();
    harness->database.beginInput();
    for (int n = 0; n < kMaxMessages; ++n) {
        QVariant decoded;
        if (reader.next(&decoded) != FrameReader::Status::Message || decoded.typeId() != QMetaType::QVariantMap)
            break;   // the connection would be closed here
        const QVariantMap message = decoded.toMap();
        if (slowRefusal(message))
            continue;
        Database *db = Dispatcher::needsDatabase(session, message) ? &harness->database.db() : nullptr;
        const DispatchOutcome outcome = harness->dispatcher->handle(session, db, message);
        checkReply(message, outcome);
        FuzzCheck::require(!harness->database.db().inTransaction() && harness->database.idle(),
                           "a call left its transaction open");
        if (outcome.sessionChanged)
            session = outcome.session;
        if (outcome.closeAfter)
            break;
    }
    QString error;
    if (!harness->database.restore(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::abort();
    }
    return 0;
}
