// The view of the host list store: it follows the core's change reports.
#include "app/TForm1.h"

#include "ui/TPuLv1.h"

void TForm1::ListViewFuellen() {
    ListView1->ListViewFuellen(FKern->HostList());
}

void TForm1::SetListViewItem(const THostListRec& host, int index, bool makeBeginUpdate) {
    ListView1->SetListViewItem(host, index, makeBeginUpdate);
}

void TForm1::AnsichtAktualisieren() {
    THostList& liste = FKern->HostList();
    TListenSperre sperre(liste);
    if (ListView1->rowCount() > liste.Count()) {
        // Rows went: rebuilt from the store.
        ListViewFuellen();
        return;
    }
    TUpdateKlammer klammer(ListView1);
    if (ListView1->rowCount() < liste.Count()) {
        for (int i = ListView1->rowCount(); i < liste.Count(); ++i)
            SetListViewItem(liste.Get(i), -1, false);
        if (!ListView1->HatFokusZeile())
            ListView1->ZeileFokussieren(0);
    }
    if (!liste.ChangeS())
        return;
    const int anzahl = liste.Count();
    for (int i = 0; i < anzahl; ++i) {
        const THostListRec e = liste.Get(i);
        if (e.ChangeS) {
            SetListViewItem(e, i, false);
            liste.SetChangeS(i, false);
        }
    }
    liste.SetListChangeS(false);
}

void TForm1::NetzVerfuegbar(bool netzS) {
    // The scanner needs an interface to sweep.
    Cb1Scanner->setEnabled(netzS);
    PuCtiScanner->setEnabled(netzS);
}
