// The host list's context menu: enabling, rename, copy, move and delete.
#include "app/TForm1.h"

#include "common/ResConst.h"
#include "power/Befehlsweg.h"
#include "ui/PuLv1Regeln.h"
#include "ui/TMeldungen.h"
#include "ui/TPuLv1.h"

#include <QClipboard>
#include <QGuiApplication>

void TForm1::PuLv1Popup() {
    const int i = ListView1->ItemIndex();
    const THostListRec e = HostList->Get(i);
    PuLv1->Freigeben(
        PuLv1Freigaben({!FLaufzeit.EigeneMAC().isEmpty(), i, ListView1->rowCount(), e.Status, e.SenderS}));
}

void TForm1::PuLv1Clicks(int nr) {
    const THostListRec e = HostList->Get(ListView1->ItemIndex());
    const QString frage = QStringLiteral("Soll die Aktion \"%1\" bei Gerät \"%2\" durchgeführt werden?")
                              .arg(AktionsName(nr), e.PC);
    if (!Meldungen::Frage(this, frage))
        return;
    // The selection may have moved while the question was open.
    SendBefehl(nr, HostList->Get(ListView1->ItemIndex()));
}

void TForm1::PuLv1PcBenutzerAendernClick(int tag) {
    const int i = ListView1->ItemIndex();
    std::optional<THostListRec> e;
    if (i >= 0)
        e = HostList->Get(i);
    const std::optional<TNamensAenderung> aenderung = NameAendern(
        this, tag, e ? &*e : nullptr, FLaufzeit.EigenerPC, FLaufzeit.EigenerName, FSchrift, Hintergrund());
    if (!aenderung)
        return;
    if (aenderung->Tag == 3) {
        // The next presence announcement carries the new name.
        FLaufzeit.EigenerName = aenderung->Name;
        RegistryLadenSpeichern(false);
        return;
    }
    // Row and file follow with the next incremental update of the view.
    HostList->SetPCUser(aenderung->Tag == 1, i, aenderung->Name);
}

void TForm1::PuLv1IpMacKopierenClick(int tag) {
    const THostListRec e = HostList->Get(ListView1->ItemIndex());
    QGuiApplication::clipboard()->setText(tag == 1 ? e.IP : e.MAC);
}

void TForm1::PuLv1ObenUntenClick(int tag) {
    const int i = ListView1->ItemIndex();
    const int a = tag == 1 ? i - 1 : i;
    const int b = tag == 1 ? i : i + 1;
    {
        TListenSperre sperre(*HostList);
        if (a < 0 || b >= HostList->Count() || b >= ListView1->rowCount())
            return;
        const THostListRec ea = HostList->Get(a), eb = HostList->Get(b);
        HostList->Put(a, eb);
        HostList->Put(b, ea);
        SetListViewItem(HostList->Get(a), a, true);
        SetListViewItem(HostList->Get(b), b, true);
        ListView1->ZeileFokussieren(tag == 1 ? a : b);
    }
    HostList->LoadSaveListe(false);
}

void TForm1::PuLv1LoeschenClick() {
    const int i = ListView1->ItemIndex();
    if (i < 0 || i >= HostList->Count())
        return;
    if (!LoeschenBestaetigen(this, HostList->Get(i)))
        return;
    HostList->Delete(i);
    {
        TUpdateKlammer klammer(ListView1);
        ListView1->removeRow(i);
        const int j = i >= HostList->Count() ? HostList->Count() - 1 : i;
        if (j >= 0)
            ListView1->ZeileFokussieren(j);
    }
    HostList->LoadSaveListe(false);
}
