#include "support/TestUmgebung.h"

#include "common/ResConst.h"
#include "hosts/Datenpfade.h"

TMeldungsSkript::TMeldungsSkript() {
    Meldungen::SetzeAutomat([this](const Meldungen::TAnfrage& a) -> std::optional<bool> {
        Texte << a.Text;
        Arten << a.Art;
        if (a.Dialog && DialogFueller)
            DialogFueller(a.Dialog);
        return FAntworten.isEmpty() ? false : FAntworten.dequeue();
    });
}

TMeldungsSkript::~TMeldungsSkript() { Meldungen::SetzeAutomat({}); }

void TMeldungsSkript::Antworten(std::initializer_list<bool> antworten) {
    for (bool a : antworten)
        FAntworten.enqueue(a);
}

TTestUmgebung::TTestUmgebung() {
    DatenpfadeSetzen();
    StopS = false;
    ScannerS = false;
    ScannerAnzahl = 0;
}
