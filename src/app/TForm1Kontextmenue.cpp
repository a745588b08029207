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
    const THostListRec e = FKern->HostList().Get(i);
    PuLv1->Freigeben(
        PuLv1Freigaben({!FLaufzeit.EigeneMAC().isEmpty(), i, ListView1->rowCount(), e.Status, e.SenderS}));
}

void TForm1::PuLv1Clicks(int nr) {
    const THostListRec e = FKern->HostList().Get(ListView1->ItemIndex());
    const QString frage = QStringLiteral("Soll die Aktion \"%1\" bei Gerät \"%2\" durchgeführt werden?")
                              .arg(AktionsName(nr), e.PC);
    if (!Meldungen::Frage(this, frage))
        return;
    // The selection may have moved while the question was open.
    const THostListRec host = FKern->HostList().Get(ListView1->ItemIndex());
    if (BefehlsWeg(nr, host).Art != TBefehlsweg::Fernabschaltung) {
        FKern->SendBefehl(nr, host);
        return;
    }
    // Told once, when the other computer refused; success shows through the probe.
    FKern->SendBefehl(nr, host, [fenster = QPointer<TForm1>(this), nr, pc = host.PC](const QString& fehler) {
        if (fenster && !fehler.isEmpty())
            Meldungen::Fehler(fenster, FernabschaltungMeldung(nr, pc, fehler));
    });
}

void TForm1::PuLv1PcBenutzerAendernClick(int tag) {
    const int i = ListView1->ItemIndex();
    std::optional<THostListRec> e;
    if (i >= 0)
        e = FKern->HostList().Get(i);
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
    FKern->HostList().SetPCUser(aenderung->Tag == 1, i, aenderung->Name);
}

void TForm1::PuLv1IpMacKopierenClick(int tag) {
    const THostListRec e = FKern->HostList().Get(ListView1->ItemIndex());
    QGuiApplication::clipboard()->setText(tag == 1 ? e.IP : e.MAC);
}

void TForm1::PuLv1ObenUntenClick(int tag) {
    const int i = ListView1->ItemIndex();
    const int a = tag == 1 ? i - 1 : i;
    const int b = tag == 1 ? i : i + 1;
    {
        TListenSperre sperre(FKern->HostList());
        if (a < 0 || b >= FKern->HostList().Count() || b >= ListView1->rowCount())
            return;
        const THostListRec ea = FKern->HostList().Get(a), eb = FKern->HostList().Get(b);
        FKern->HostList().Put(a, eb);
        FKern->HostList().Put(b, ea);
        SetListViewItem(FKern->HostList().Get(a), a, true);
        SetListViewItem(FKern->HostList().Get(b), b, true);
        ListView1->ZeileFokussieren(tag == 1 ? a : b);
    }
    FKern->HostList().LoadSaveListe(false);
}

void TForm1::PuLv1LoeschenClick() {
    const int i = ListView1->ItemIndex();
    if (i < 0 || i >= FKern->HostList().Count())
        return;
    if (!LoeschenBestaetigen(this, FKern->HostList().Get(i)))
        return;
    FKern->HostList().Delete(i);
    {
        TUpdateKlammer klammer(ListView1);
        ListView1->removeRow(i);
        const int j = i >= FKern->HostList().Count() ? FKern->HostList().Count() - 1 : i;
        if (j >= 0)
            ListView1->ZeileFokussieren(j);
    }
    FKern->HostList().LoadSaveListe(false);
}
