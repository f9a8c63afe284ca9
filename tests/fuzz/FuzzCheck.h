#pragma once

#include <QVariant>

// The invariants every fuzz target asserts on what it decoded.  A broken invariant is a
// finding: the check prints what broke and aborts, so the fuzzer keeps the input.
class FuzzCheck
{
public:
    // Aborts with what when ok is false.
    static void require(bool ok, const char *what);

    // A decoded value encodes again, and that encoding decodes to a value whose encoding
    // is the same bytes: what the server reads it can write back unchanged.
    static void codecRoundTrip(const QVariant &value);

    // Keeps Qt's and the server's log lines off the fuzzer's output (fatal ones stay).
    static void silenceLogs();
};
