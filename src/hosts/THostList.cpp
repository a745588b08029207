#include "hosts/THostList.h"

#include "common/TFelder.h"
#include "hosts/HostlisteDatei.h"
#include "platform/TPlattform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>
#include <QThread>

namespace {
const QString Unbekannt = QStringLiteral("Unbekannt");
}

THostList::THostList(const QString& dateiname, TTickQuelle tick)
    : FFilename(dateiname), FTick(tick ? std::move(tick) : TTickQuelle([] { return Plattform().TickCount(); })) {
    LoadSaveListe(true);
}

THostList::~THostList() { Clear(); }

void THostList::Sperren() {
    while (FLocked.exchange(true, std::memory_order_acquire))
        QThread::yieldCurrentThread();
}

void THostList::Entsperren() { FLocked.store(false, std::memory_order_release); }

void THostList::Clear() {
    QMutexLocker s(&FSpeicher);
    FListe.clear();
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
    if (index >= 0 && index < FListe.size())
        FListe[index] = wert;
}

THostListListe THostList::GetListe() const {
    QMutexLocker s(&FSpeicher);
    return FListe;
}

int THostList::Add(const THostListRec& host, bool fromScannerS) {
    TListenSperre sperre(*this);
    return AddGesperrt(host, fromScannerS);
}

int THostList::AddGesperrt(THostListRec h, bool fromScannerS) {
    const quint32 jetzt = FTick();
    bool gefundenS = false;
    QMutexLocker s(&FSpeicher);
    for (THostListRec& e : FListe) {
        if (e.MAC != h.MAC) {
            // Unsigned difference: a wrap of the tick count does no harm.
            if (!fromScannerS && e.SenderS && quint32(jetzt - e.Millisek) > SenderTimeoutMs) {
                e.ChangeS = true;
                e.SenderS = false;
                FChangeS = true;
            }
            continue;
        }
        if (fromScannerS) {
            // A peer instance's own report is never overwritten by the scanner.
            if (e.SenderS)
                return -1;
            const bool pcNeuS = e.PC != h.PC && !h.PC.isEmpty();
            const bool userNeuS = e.User != h.User && !h.User.isEmpty();
            if (pcNeuS || userNeuS || e.Status != h.Status || e.IP != h.IP) {
                e.ChangeS = true;
                if (pcNeuS)
                    e.PC = h.PC;
                if (userNeuS)
                    e.User = h.User;
                e.Status = h.Status;
                e.IP = h.IP;
                FChangeS = true;
            }
            return -1;
        }
        gefundenS = true;
        if (e.PC == h.PC && e.User == h.User && e.Status == h.Status && e.SenderS == h.SenderS && e.IP == h.IP) {
            if (e.BroadcastS != h.BroadcastS)
                e.BroadcastS = h.BroadcastS;
            else
                e.Millisek = jetzt;
        } else {
            h.ChangeS = true;
            e = h;
            FChangeS = true;
        }
        // No stop here: the timeout rule applies to every other entry as well.
    }
    if (gefundenS)
        return -1;
    h.ChangeS = false;
    if (h.PC.isEmpty())
        h.PC = Unbekannt;
    if (h.User.isEmpty())
        h.User = Unbekannt;
    FListe.append(h);
    return int(FListe.size()) - 1;
}

int THostList::Add(const QString& ip, const QString& daten) {
    const TFelder felder(daten);
    THostListRec r;
    r.PC = felder.Feld(3);
    r.User = felder.Feld(4);
    r.MAC = felder.Feld(5);
    r.IP = ip;
    r.BroadcastS = felder.Feld(6) == QLatin1String("1");
    r.SenderS = felder.Feld(2) == QLatin1String("1");
    r.Status = TStatus::sOnline;
    r.Millisek = FTick();
    r.ChangeS = false;
    return Add(r, false);
}

void THostList::Delete(int index) {
    TListenSperre sperre(*this);
    QMutexLocker s(&FSpeicher);
    // An index outside the list must not touch memory that is not ours.
    if (index >= 0 && index < FListe.size())
        FListe.removeAt(index);
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
    if (wert)
        FChangeS = true;
}

void THostList::SetPCUser(bool pcS, int index, const QString& name) {
    QMutexLocker s(&FSpeicher);
    if (index < 0 || index >= FListe.size())
        return;
    (pcS ? FListe[index].PC : FListe[index].User) = name;
    FListe[index].ChangeS = true;
    FChangeS = true;
}

void THostList::SetStatus(int index, TStatus wert) {
    QMutexLocker s(&FSpeicher);
    if (index < 0 || index >= FListe.size())
        return;
    FListe[index].Status = wert;
    if (wert == TStatus::sOffline)
        FListe[index].SenderS = false;
}

void THostList::AlleOffline() {
    TListenSperre sperre(*this);
    QMutexLocker s(&FSpeicher);
    FChangeS = true;
    for (THostListRec& e : FListe) {
        e.Status = TStatus::sOffline;
        e.SenderS = false;
        e.Millisek = 0;
        e.ChangeS = true;
    }
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
        for (const THostListRec& r : LeseHostliste(inhalt))
            Add(r, false);
        return true;
    }

    const QFileInfo info(FFilename);
    if (info.exists() || info.isSymLink())
        Plattform().DateiAttributeEntfernen(FFilename);
    else
        QDir().mkpath(info.absolutePath());
    if (Count() == 0)
        return !QFile::exists(FFilename) || QFile::remove(FFilename);

    QByteArray inhalt;
    {
        TListenSperre sperre(*this);
        inhalt = SchreibeHostliste(GetListe());
    }
    // Write beside the file and replace it only when complete: a crash or a full disk
    // in the middle of a save leaves the previous list whole.
    QSaveFile datei(FFilename);
    if (!datei.open(QIODevice::WriteOnly))
        return false;
    if (datei.write(inhalt) != inhalt.size()) {
        datei.cancelWriting();
        return false;
    }
    return datei.commit();
}
