#pragma once
// What every fuzz target needs: a process that cannot reach the real network or the user's
// files, the recording platform instead of the system, and a check that turns a broken
// invariant into a finding (libFuzzer keeps the input that caused it).

#include "support/TestUmgebung.h"

#include <QString>
#include <QStringList>

[[noreturn]] void FuzzFehler(const char* ausdruck, const char* datei, int zeile, const QString& info);

#define FUZZ_PRUEFEN(bedingung, info)                                                                        \
    do {                                                                                                     \
        if (!(bedingung))                                                                                    \
            FuzzFehler(#bedingung, __FILE__, __LINE__, (info));                                              \
    } while (0)

// Moves the process into a network namespace of its own (as root, or as the root of a new
// user namespace); ends the process when neither is possible. Call before any thread exists.
void PrivatesNetzOderEnde(const char* name);

// HOME and the XDG folders in a fresh temporary folder, the offscreen display; call before
// the application object exists.
void FuzzOrdnerSetzen();

// The process's application object with the offscreen platform (created on first use).
void FuzzAnwendung(bool fensterS);

// The fake platform and the scripted message boxes for the whole run.
TTestUmgebung& FuzzUmgebung();

// Bytes as readable text for failure messages ("\xNN" for the rest), cut after 200 bytes.
QString Lesbar(const QByteArray& daten);
QString Lesbar(const QString& text);

// A stored name as the host list file gives it back: control characters become blanks,
// characters the ANSI code page cannot hold its substitute.
QString EinzeiligWieDatei(const QString& text);
