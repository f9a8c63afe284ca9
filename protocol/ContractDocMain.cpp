// sup-contract-doc FILE: rewrites the argument tables and packet layouts of the server
// methods' reference (docs/server-methods.md) from the protocol contract, so the
// document never drifts from what the server checks.  Exit status 1 when a method has
// no block or a block names an unknown method.

#include "ProtocolContract.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: sup-contract-doc docs/server-methods.md\n");
        return 2;
    }
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
        return 2;
    }
    const QString before = QString::fromUtf8(file.readAll());
    file.close();
    QStringList problems;
    const QString after = Protocol::rewriteReference(before, &problems);
    if (after != before) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(1)));
            return 2;
        }
        file.write(after.toUtf8());
    }
    for (const QString &p : problems)
        std::fprintf(stderr, "%s\n", qPrintable(p));
    return problems.isEmpty() ? 0 : 1;
}
