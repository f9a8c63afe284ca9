#include "FuzzCheck.h"

#include "CborCodec.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

void FuzzCheck::require(bool ok, const char *what)
{
    if (ok)
        return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

void FuzzCheck::codecRoundTrip(const QVariant &value)
{
    const QByteArray first = CborCodec::encode(value);
    QVariant again;
    QString error;
    if (!CborCodec::decode(first, &again, &error)) {
        std::fprintf(stderr, "re-encoded value does not decode: %s\n", qPrintable(error));
        std::abort();
    }
    require(CborCodec::encode(again) == first, "a decoded value does not encode to the same bytes twice");
}

void FuzzCheck::silenceLogs()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
            std::abort();
        }
    });
}
