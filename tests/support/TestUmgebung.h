#pragma once
// What most tests need: a fake platform, the process-wide paths set from it, and message
// boxes answered from a script instead of shown.

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
    TTestUmgebung();
    TFakePlattform& Fake() { return *FFake; }
    // One usable interface 10.0.0.1/24 with the MAC 02-00-00-00-00-01, as most computers have.
    void NetzEinrichten();
    TMeldungsSkript Meldungen;

private:
    TFakeEinsatz FFake;
};

class TForm1;
// A main window on ports of its own (0: any free one) with the given command line, after its
// first tick has run.
std::unique_ptr<TForm1> FormStarten(const QStringList& argumente = {}, quint16 befehlPort = 0,
                                    quint16 senderPort = 0);
// A port for a test's own listener, unlikely to collide with another test's.
quint16 ZufallsPort();
