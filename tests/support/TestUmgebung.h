#pragma once
// What most tests need: a fake platform, the process-wide paths set from it, and message
// boxes answered from a script instead of shown.

#include "common/TLaufzeit.h"
#include "settings/Hilfe.h"
#include "support/TFakePlattform.h"
#include "ui/TMeldungen.h"

#include <QQueue>
#include <QStringList>
#include <functional>
#include <memory>

class TMeldungsSkript {
public:
    TMeldungsSkript();
    ~TMeldungsSkript();

    // Answers for the next boxes, in order; an empty queue answers No/Cancel.
    void Antworten(std::initializer_list<bool> antworten);
    // Called for dialogs before they are answered, so a test can fill them.
    std::function<void(QDialog*)> DialogFueller;

    QStringList Texte;
    QList<Meldungen::TArt> Arten;

private:
    QQueue<bool> FAntworten;
};

class TTestUmgebung {
public:
    // The newest one is the one FormStarten builds its window on.
    TTestUmgebung();
    ~TTestUmgebung();
    TFakePlattform& Fake() { return FFake; }
    TPlattform Plattform() { return FFake.Dienste(); }
    // The run-time values, with the paths below the fake's folders.
    TLaufzeit Laufzeit;
    static TTestUmgebung& Aktuelle();
    // One usable interface 10.0.0.1/24 with the MAC 02-00-00-00-00-01, as most computers have.
    void NetzEinrichten();
    TMeldungsSkript Meldungen;

private:
    TFakePlattform FFake;
    TTestUmgebung* FVorige;
};

class TForm1;
// A main window of the current test environment on ports of its own (0: any free one) with the given command
// line, after its first tick has run.
std::unique_ptr<TForm1> FormStarten(const QStringList& argumente = {}, quint16 befehlPort = 0,
                                    quint16 senderPort = 0);
// A port for a test's own listener, unlikely to collide with another test's.
quint16 ZufallsPort();

// The current test environment's run-time values and fake, for code under test that takes them.
inline TLaufzeit& Laufzeit() {
    return TTestUmgebung::Aktuelle().Laufzeit;
}
inline TFakePlattform& AktuellerFake() {
    return TTestUmgebung::Aktuelle().Fake();
}
// The help menu's view of the fake, with the program file the fake names now.
inline THilfeUmgebung HilfeUmgebung() {
    return {AktuellerFake().ProgrammDatei(), AktuellerFake(), AktuellerFake()};
}
