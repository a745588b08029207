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
    ListView1->Abgleichen(FKern->HostList());
}

void TForm1::NetzVerfuegbar(bool netzS) {
    // The scanner needs an interface to sweep.
    Cb1Scanner->setEnabled(netzS);
    PuCtiScanner->setEnabled(netzS);
}
