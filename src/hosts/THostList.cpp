#include "hosts/THostList.h"

#include "hosts/HostlisteDatei.h"
#include "platform/Dateien.h"
#include "platform/TDateien.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <algorithm>

namespace {
const QString Unbekannt = QStringLiteral("Unbekannt");
}

THostList::THostList(const QString& dateiname, TDateien& dateien, TTickQuelle tick)
    : FFilename(dateiname), FDateien(dateien), FTick(std::move(tick)) {
    LoadSaveListe(true);
}

THostList::~THostList() {
    Clear();
}

void THostList::Sperren() {
    FSperre.lock();
    ++FSperrTiefe;
}

void THostList::Entsperren() {
    --FSperrTiefe;
    FSperre.unlock();
}

void THostList::Melden() {
    if (!FMeldungOffenS.exchange(true))
        emit Geaendert();
}

void THostList::Clear() {
    QMutexLocker s(&FSpeicher);
    FListe.clear();
    FMacIndex.clear();
    FIndexGueltigS = true;
    FSenderAnzahl = 0;
    FChangeS = false;
}

int THostList::Count() const {
    QMutexLocker s(&FSpeicher);
    return int(FListe.size());
}

THostListRec THostList::Get(int index) const {
    QMutexLocker s(&FSpeicher);
    if (index < 0 || index >= FListe.size())
        return {};
    return FListe[index];
}

void THostList::Put(int index, const THostListRec& wert) {
    QMutexLocker s(&FSpeicher);
    if (index < 0 || index >= FListe.size())
        return;
    SenderGeaendert(FListe[index].SenderS, wert.SenderS);
    FListe[index] = wert;
    FIndexGueltigS = false;
    s.unlock();
    Melden();
}

THostListListe THostList::GetListe() const {
    QMutexLocker s(&FSpeicher);
    return FListe;
}

int THostList::Add(const THostListRec& host, bool fromScannerS) {
    int ergebnis;
    {
        TListenSperre sperre(*this);
        ergebnis = AddGesperrt(host, fromScannerS);
    }
    if (ergebnis >= 0 || ChangeS())
        Melden();
    return ergebnis;
}

void THostList::IndexPruefen() {
    if (FIndexGueltigS)
        return;
    FMacIndex.clear();
    FMacIndex.reserve(FListe.size());
    for (int i = 0; i < FListe.size(); ++i)
        FMacIndex.insert(FListe[i].MAC, i);
    FIndexGueltigS = true;
}

void THostList::Anhaengen(THostListRec h) {
    h.ChangeS = false;
    if (h.PC.isEmpty())
        h.PC = Unbekannt;
    if (h.User.isEmpty())
        h.User = Unbekannt;
    SenderGeaendert(false, h.SenderS);
    FMacIndex.insert(h.MAC, int(FListe.size()));
    FListe.append(std::move(h));
}

namespace {

// A peer that has not announced itself for more than the timeout loses its Sender mark.
// Unsigned difference: a wrap of the tick count does no harm.
bool SenderVerfallen(const THostListRec& e, quint32 jetzt) {
    return e.SenderS && quint32(jetzt - e.Millisek) > THostList::SenderTimeoutMs;
}

// The scanner may update names it learnt, the status and the address; nothing else.
bool ScannerZusammenfuehren(THostListRec& e, const THostListRec& h) {
    const bool pcNeuS = e.PC != h.PC && !h.PC.isEmpty();
    const bool userNeuS = e.User != h.User && !h.User.isEmpty();
    if (!pcNeuS && !userNeuS && e.Status == h.Status && e.IP == h.IP)
        return false;
    e.ChangeS = true;
    if (pcNeuS)
        e.PC = h.PC;
    if (userNeuS)
        e.User = h.User;
    e.Status = h.Status;
    e.IP = h.IP;
    return true;
}

} // namespace

int THostList::AddGesperrt(THostListRec h, bool fromScannerS) {
    const quint32 jetzt = FTick();
    QMutexLocker s(&FSpeicher);
    IndexPruefen();
    // Only a presence withdraws Sender marks, and from the entries of every other MAC.
    if (!fromScannerS && FSenderAnzahl > 0)
        for (THostListRec& e : FListe)
            if (SenderVerfallen(e, jetzt) && e.MAC != h.MAC) {
                e.ChangeS = true;
                e.SenderS = false;
                --FSenderAnzahl;
                FChangeS = true;
            }

    const auto [von, bis] = std::as_const(FMacIndex).equal_range(h.MAC);
    if (von == bis) {
        Anhaengen(std::move(h));
        return int(FListe.size()) - 1;
    }
    if (fromScannerS) {
        // Of a MAC listed twice the scanner looks at the first entry only, peer or not.
        THostListRec& e = FListe[*std::min_element(von, bis)];
        // A peer instance's own report is never overwritten by the scanner.
        if (!e.SenderS && ScannerZusammenfuehren(e, h))
            FChangeS = true;
        return -1;
    }
    // A presence speaks for every entry of its MAC.
    for (auto i = von; i != bis; ++i)
        PraesenzZusammenfuehren(FListe[*i], h, jetzt);
    return -1;
}

// An unchanged presence refreshes the stamp, or only the broadcast flag when that alone
// differs; any other difference replaces the whole entry.
void THostList::PraesenzZusammenfuehren(THostListRec& e, const THostListRec& h, quint32 jetzt) {
    if (e.PC == h.PC && e.User == h.User && e.Status == h.Status && e.SenderS == h.SenderS && e.IP == h.IP) {
        if (e.BroadcastS != h.BroadcastS)
            e.BroadcastS = h.BroadcastS;
        else
            e.Millisek = jetzt;
        return;
    }
    SenderGeaendert(e.SenderS, h.SenderS);
    e = h;
    e.ChangeS = true;
    FChangeS = true;
}

void THostList::Delete(int index) {
    TListenSperre sperre(*this);
    QMutexLocker s(&FSpeicher);
    // An index outside the list must not touch memory that is not ours.
    if (index < 0 || index >= FListe.size())
        return;
    SenderGeaendert(FListe[index].SenderS, false);
    FListe.removeAt(index);
    FIndexGueltigS = false;
    s.unlock();
    Melden();
}

THostListRec THostList::FindMAC(const QString& mac) const {
    QMutexLocker s(&FSpeicher);
    for (const THostListRec& e : FListe)
        if (e.MAC == mac)
            return e;
    return {};
}

void THostList::SetChangeS(int index, bool wert) {
    QMutexLocker s(&FSpeicher);
    if (index < 0 || index >= FListe.size())
        return;
    FListe[index].ChangeS = wert;
    if (!wert)
        return;
    FChangeS = true;
    s.unlock();
    Melden();
}

void THostList::SetPCUser(bool pcS, int index, const QString& name) {
    QMutexLocker s(&FSpeicher);
    if (index < 0 || index >= FListe.size())
        return;
    (pcS ? FListe[index].PC : FListe[index].User) = name;
    FListe[index].ChangeS = true;
    FChangeS = true;
    s.unlock();
    Melden();
}

void THostList::SetStatus(int index, TStatus wert) {
    QMutexLocker s(&FSpeicher);
    if (index < 0 || index >= FListe.size())
        return;
    FListe[index].Status = wert;
    if (wert == TStatus::sOffline) {
        SenderGeaendert(FListe[index].SenderS, false);
        FListe[index].SenderS = false;
    }
}

void THostList::AlleOffline() {
    {
        TListenSperre sperre(*this);
        QMutexLocker s(&FSpeicher);
        FChangeS = true;
        FSenderAnzahl = 0;
        for (THostListRec& e : FListe) {
            e.Status = TStatus::sOffline;
            e.SenderS = false;
            e.Millisek = 0;
            e.ChangeS = true;
        }
    }
    Melden();
}

bool THostList::LoadSaveListe(bool ladeS) {
    if (ladeS) {
        Clear();
        QFile datei(FFilename);
        if (!datei.exists())
            return true;
        if (!datei.open(QIODevice::ReadOnly))
            return false;
        const QByteArray inhalt = datei.readAll();
        if (datei.error() != QFileDevice::NoError)
            return false;
        for (const THostListRec& r : LeseHostliste(FDateien, inhalt))
            Add(r, false);
        return true;
    }

    const QFileInfo info(FFilename);
    if (info.exists() || info.isSymLink())
        FDateien.DateiAttributeEntfernen(FFilename);
    else
        QDir().mkpath(info.absolutePath());
    if (Count() == 0)
        return !QFile::exists(FFilename) || QFile::remove(FFilename);

    QByteArray inhalt;
    {
        TListenSperre sperre(*this);
        inhalt = SchreibeHostliste(FDateien, GetListe());
    }
    // A crash or a full disk in the middle of a save leaves the previous list whole.
    return DateiErsetzen(FDateien, FFilename, inhalt);
}
