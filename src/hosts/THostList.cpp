#include "hosts/THostList.h"

#include "hosts/HostlisteDatei.h"
#include "platform/Dateien.h"
#include "platform/TDateien.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <algorithm>
#include <numeric>

namespace {
const QString Unbekannt = QStringLiteral("Unbekannt");
}

THostList::THostList(const QString& dateiname, TDateien& dateien, TTickQuelle tick, TMelder melden,
                     int maxEintraege)
    : FFilename(dateiname), FMaxEintraege(maxEintraege), FDateien(dateien), FTick(std::move(tick)),
      FMelden(std::move(melden)) {
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

void THostList::AenderungMelden() {
    if (!FMeldungOffenS.exchange(true))
        emit Geaendert();
}

void THostList::Clear() {
    QMutexLocker s(&FSpeicher);
    FListe.clear();
    FMacIndex.clear();
    FIndexGueltigS = true;
    FSenderAnzahl = 0;
    FAeltesterGueltigS = false;
    FGeaendert.clear();
    FAlleGeaendertS = false;
    FChangeS = false;
}

void THostList::Markieren(int index) {
    if (FAlleGeaendertS)
        return;
    // A view that never collects (a session without a window) must not grow the hints.
    if (FGeaendert.size() >= FListe.size())
        AlleMarkieren();
    else
        FGeaendert.append(index);
}

void THostList::AlleMarkieren() {
    FAlleGeaendertS = true;
    FGeaendert.clear();
}

QList<int> THostList::GeaenderteAbholen() {
    QMutexLocker s(&FSpeicher);
    QList<int> ergebnis;
    if (FAlleGeaendertS) {
        ergebnis.resize(FListe.size());
        std::iota(ergebnis.begin(), ergebnis.end(), 0);
    } else {
        ergebnis = std::exchange(FGeaendert, {});
        std::sort(ergebnis.begin(), ergebnis.end());
        ergebnis.erase(std::unique(ergebnis.begin(), ergebnis.end()), ergebnis.end());
    }
    FAlleGeaendertS = false;
    FGeaendert.clear();
    return ergebnis;
}

QString THostList::VollMeldungAbholen() {
    if (!VollS() || FVollGemeldetS.exchange(true))
        return {};
    return QStringLiteral("Die Hostliste ist voll (%1 Einträge). Weitere Geräte werden nicht aufgenommen; "
                          "die bekannten werden weiter aktualisiert.")
        .arg(FMaxEintraege);
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
    // Any stamp may come in this way.
    FAeltesterGueltigS = false;
    AlleMarkieren();
    s.unlock();
    AenderungMelden();
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
    // The first address turned away is reported too: the user is told the list is full.
    if (ergebnis >= 0 || ChangeS() || (VollS() && !FVollGemeldetS.load()))
        AenderungMelden();
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
    if (h.SenderS)
        SenderStempel(h.Millisek);
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

// Only a presence withdraws Sender marks, and from the entries of every other MAC. The walk
// is needed only once the oldest mark may have passed the timeout.
void THostList::SenderVerfall(const QString& ausserMac, quint32 jetzt) {
    if (FSenderAnzahl == 0 || (FAeltesterGueltigS && quint32(jetzt - FAeltester) <= SenderTimeoutMs))
        return;
    quint32 aeltestesAlter = 0;
    for (int i = 0; i < FListe.size(); ++i) {
        THostListRec& e = FListe[i];
        if (!e.SenderS)
            continue;
        if (SenderVerfallen(e, jetzt) && e.MAC != ausserMac) {
            e.ChangeS = true;
            e.SenderS = false;
            --FSenderAnzahl;
            FChangeS = true;
            Markieren(i);
        } else {
            aeltestesAlter = std::max(aeltestesAlter, quint32(jetzt - e.Millisek));
        }
    }
    FAeltester = jetzt - aeltestesAlter;
    FAeltesterGueltigS = true;
}

void THostList::SenderStempel(quint32 millisek) {
    // Wrap-aware: a stamp before the oldest known one becomes the oldest.
    if (FAeltesterGueltigS && qint32(millisek - FAeltester) < 0)
        FAeltester = millisek;
}

int THostList::AddGesperrt(THostListRec h, bool fromScannerS) {
    const quint32 jetzt = FTick();
    QMutexLocker s(&FSpeicher);
    IndexPruefen();
    if (!fromScannerS)
        SenderVerfall(h.MAC, jetzt);

    const auto [von, bis] = std::as_const(FMacIndex).equal_range(h.MAC);
    if (von == bis) {
        if (FListe.size() >= FMaxEintraege) {
            ++FAbgewiesen;
            return -1;
        }
        Anhaengen(std::move(h));
        return int(FListe.size()) - 1;
    }
    if (fromScannerS) {
        // Of a MAC listed twice the scanner looks at the first entry only, peer or not.
        const int i = *std::min_element(von, bis);
        // A peer instance's own report is never overwritten by the scanner.
        if (!FListe[i].SenderS && ScannerZusammenfuehren(FListe[i], h)) {
            FChangeS = true;
            Markieren(i);
        }
        return -1;
    }
    // A presence speaks for every entry of its MAC.
    for (auto i = von; i != bis; ++i)
        if (PraesenzZusammenfuehren(FListe[*i], h, jetzt))
            Markieren(*i);
    return -1;
}

// An unchanged presence refreshes the stamp, or only the broadcast flag when that alone
// differs; any other difference replaces the whole entry.
bool THostList::PraesenzZusammenfuehren(THostListRec& e, const THostListRec& h, quint32 jetzt) {
    if (e.PC == h.PC && e.User == h.User && e.Status == h.Status && e.SenderS == h.SenderS && e.IP == h.IP) {
        if (e.BroadcastS != h.BroadcastS)
            e.BroadcastS = h.BroadcastS;
        else
            e.Millisek = jetzt;
        return false;
    }
    SenderGeaendert(e.SenderS, h.SenderS);
    e = h;
    e.ChangeS = true;
    if (e.SenderS)
        SenderStempel(e.Millisek);
    FChangeS = true;
    return true;
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
    AlleMarkieren();
    s.unlock();
    AenderungMelden();
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
    Markieren(index);
    s.unlock();
    AenderungMelden();
}

void THostList::SetPCUser(bool pcS, int index, const QString& name) {
    QMutexLocker s(&FSpeicher);
    if (index < 0 || index >= FListe.size())
        return;
    (pcS ? FListe[index].PC : FListe[index].User) = name;
    FListe[index].ChangeS = true;
    FChangeS = true;
    Markieren(index);
    s.unlock();
    AenderungMelden();
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
        AlleMarkieren();
        for (THostListRec& e : FListe) {
            e.Status = TStatus::sOffline;
            e.SenderS = false;
            e.Millisek = 0;
            e.ChangeS = true;
        }
    }
    AenderungMelden();
}

bool THostList::LoadSaveListe(bool ladeS) {
    return ladeS ? Laden() : Speichern();
}

void THostList::Melden(const QString& text) const {
    if (FMelden)
        FMelden(text);
}

bool THostList::Laden() {
    Clear();
    // Only a file read now decides whether it may be written.
    FSperrgrund.clear();
    const TDateien::TGelesen datei = FDateien.DateiLesen(FFilename, MaxHostlisteGroesse);
    if (datei.Art == TDateien::TGelesen::TArt::Fehlt)
        return true;
    const QString pfad = PfadFuerMeldung(FFilename);
    if (datei.Art == TDateien::TGelesen::TArt::Unlesbar) {
        // Whatever the list holds later, the user's file stays as it is.
        FSperrgrund = datei.Grund;
        Melden(QStringLiteral("Die Hostliste „%1“ konnte nicht gelesen werden (%2). Sie wird bis zum "
                              "nächsten Programmstart nicht überschrieben.")
                   .arg(pfad, datei.Grund));
        return false;
    }

    const THostlisteInhalt inhalt = LeseHostlisteDatei(FDateien, datei.Daten);
    bool aufbewahrtS = false;
    if (inhalt.BeschaedigtS) {
        const QString schaden =
            QStringLiteral("%1 von %2 Zeilen sind keine Einträge").arg(inhalt.Unbrauchbar).arg(inhalt.Zeilen);
        QString grund;
        const std::optional<QString> kopie = KopieAufbewahren(FDateien, FFilename, datei.Daten, &grund);
        aufbewahrtS = true;
        if (kopie) {
            Melden(QStringLiteral("Die Hostliste „%1“ ist beschädigt (%2). Die lesbaren Einträge wurden "
                                  "geladen; die ursprüngliche Datei wurde als „%3“ aufbewahrt.")
                       .arg(pfad, schaden, PfadFuerMeldung(*kopie)));
        } else {
            FSperrgrund = grund;
            Melden(QStringLiteral("Die Hostliste „%1“ ist beschädigt (%2), und es konnte keine Kopie "
                                  "angelegt werden (%3). Sie wird bis zum nächsten Programmstart nicht "
                                  "überschrieben.")
                       .arg(pfad, schaden, grund));
        }
    }
    const int abgewiesenVorher = FAbgewiesen.load();
    for (const THostListRec& r : inhalt.Eintraege)
        Add(r, false);
    // A file with more hosts than the list takes (written by hand or by another program):
    // the first ones are loaded, and the next save would shorten the file, so the whole of
    // it is kept aside first, or, failing that, never written over.
    const int zuviel = FAbgewiesen.exchange(abgewiesenVorher) - abgewiesenVorher;
    if (zuviel > 0 && !aufbewahrtS) {
        const QString anfang =
            QStringLiteral("Die Hostliste „%1“ enthält mehr als %2 Geräte; die ersten %2 wurden "
                           "geladen, %3 weitere nicht.")
                .arg(pfad)
                .arg(FMaxEintraege)
                .arg(zuviel);
        QString grund;
        if (const std::optional<QString> kopie =
                KopieAufbewahren(FDateien, FFilename, datei.Daten, &grund, QStringLiteral(".vollstaendig"))) {
            Melden(
                anfang +
                QStringLiteral(" Die ganze Datei wurde als „%1“ aufbewahrt.").arg(PfadFuerMeldung(*kopie)));
        } else {
            FSperrgrund = grund;
            Melden(anfang +
                   QStringLiteral(" Es konnte keine Kopie angelegt werden (%1); sie wird bis zum nächsten "
                                  "Programmstart nicht überschrieben.")
                       .arg(grund));
        }
    }
    return true;
}

bool THostList::Speichern() {
    if (!FSperrgrund.isEmpty())
        return false;
    auto gescheitert = [this](const QString& grund) {
        FSpeicherFehler = grund;
        if (!FSpeicherFehlerGemeldetS) {
            FSpeicherFehlerGemeldetS = true;
            Melden(QStringLiteral("Die Hostliste konnte nicht in „%1“ gespeichert werden (%2). Die bisherige "
                                  "Datei bleibt unverändert; bei der nächsten Änderung wird es erneut "
                                  "versucht.")
                       .arg(PfadFuerMeldung(FFilename), grund));
        }
        return false;
    };

    const QFileInfo info(FFilename);
    if (info.exists() || info.isSymLink())
        FDateien.DateiAttributeEntfernen(FFilename);
    else
        QDir().mkpath(info.absolutePath());
    if (Count() == 0) {
        QFile datei(FFilename);
        if (datei.exists() && !datei.remove())
            return gescheitert(datei.errorString());
        FSpeicherFehler.clear();
        return true;
    }

    QByteArray inhalt;
    {
        TListenSperre sperre(*this);
        inhalt = SchreibeHostliste(FDateien, GetListe());
    }
    // A crash or a full disk in the middle of a save leaves the previous list whole.
    QString grund;
    if (!DateiErsetzen(FDateien, FFilename, inhalt, false, &grund))
        return gescheitert(grund);
    FSpeicherFehler.clear();
    return true;
}

QString THostList::SpeicherFehlerText() const {
    if (FSpeicherFehler.isEmpty())
        return {};
    return QStringLiteral("Die Hostliste konnte nicht in „%1“ gespeichert werden (%2). Was sich seit dem "
                          "letzten erfolgreichen Speichern geändert hat, fehlt in der Datei.")
        .arg(PfadFuerMeldung(FFilename), FSpeicherFehler);
}
