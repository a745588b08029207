#pragma once
// The one in-memory table of known computers. Entries are identified by MAC alone; a peer
// instance's own report outranks the scanner; a silent peer loses its Sender mark after
// 8000 ms.

#include "hosts/THostListRec.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QRecursiveMutex>
#include <atomic>
#include <functional>

class TDateien;

class THostList : public QObject {
    Q_OBJECT
public:
    using TTickQuelle = std::function<quint32()>;
    // Tells the user about the file: each problem once per run.
    using TMelder = std::function<void(const QString&)>;
    static constexpr quint32 SenderTimeoutMs = 8000;
    // The most entries the list takes (docs/benchmarks.md: merge, save, view and memory at
    // this size). Once full, new hardware addresses are turned away, known ones keep
    // updating, and nothing is dropped to make room: a flood of made-up addresses must not
    // grow memory, view and file without end.
    static constexpr int MaxEintraege = 8192;

    // Loads the file at once; dateien reads and writes it, tick is the clock of the Sender
    // timeout, melden hears what went wrong with the file. A bound other than MaxEintraege
    // is for benchmarks that measure beyond it.
    THostList(const QString& dateiname, TDateien& dateien, TTickQuelle tick, TMelder melden = {},
              int maxEintraege = MaxEintraege);
    ~THostList() override;
    THostList(const THostList&) = delete;
    THostList& operator=(const THostList&) = delete;

    const QString& Filename() const { return FFilename; }
    // The tick count the store stamps and times out Sender marks with.
    quint32 Tick() const { return FTick(); }

    void Clear();
    int Count() const;
    THostListRec Get(int index) const;
    void Put(int index, const THostListRec& wert);
    THostListListe GetListe() const;

    int Add(const THostListRec& host, bool fromScannerS);
    void Delete(int index);
    THostListRec FindMAC(const QString& mac) const;
    void SetChangeS(int index, bool wert);
    void SetPCUser(bool pcS, int index, const QString& name);
    void SetStatus(int index, TStatus wert);
    void AlleOffline();

    // Whether a new hardware address was turned away because the list is full.
    bool VollS() const { return FAbgewiesen.load() > 0; }
    // The message for the user that the list is full: once per run, from the first
    // address turned away on; empty otherwise.
    QString VollMeldungAbholen();

    // Indexes whose entry may carry ChangeS since the last call (each entry's own flag
    // decides), in ascending order; after moves, deletions or a reset of every entry, all
    // indexes. Lets the view repaint changed rows without walking the whole list.
    QList<int> GeaenderteAbholen();

    // Loads (ladeS) or saves the file. A file that exists but could not be read is never
    // written over until a later load reads it; a damaged one (mostly lines that are no
    // entries) is loaded as far as it is sound and kept aside as "<file>.defekt" first. A
    // failed save leaves the old file whole; the next save tries again.
    bool LoadSaveListe(bool ladeS);
    // Why the file is not written this run; empty while saving is allowed.
    const QString& Sperrgrund() const { return FSperrgrund; }
    // Why the last save failed; empty after a successful one.
    const QString& SpeicherFehler() const { return FSpeicherFehler; }
    // For the close: what was not saved, as a message; empty when the last save succeeded.
    QString SpeicherFehlerText() const;

    // The list's lock, shared with the worker threads and the view code. Re-entrant: a holder
    // that calls another lock-taking operation must not hang its own thread.
    void Sperren();
    void Entsperren();
    bool Locked() const { return FSperrTiefe.load() > 0; }

    // The receiver of Geaendert calls this before it reads the changes: a change after it
    // is reported again.
    void MeldungAbgeholt() { FMeldungOffenS.store(false); }

signals:
    // Rows were added, removed or marked changed. Emitted from whichever thread changed the
    // store, at most once until MeldungAbgeholt: connect it queued.
    void Geaendert();

public:
    bool ChangeS() const { return FChangeS.load(); }
    void SetListChangeS(bool wert) { FChangeS.store(wert); }

private:
    void AenderungMelden();
    int AddGesperrt(THostListRec h, bool fromScannerS);
    // True when the entry changed (and is to be repainted).
    bool PraesenzZusammenfuehren(THostListRec& e, const THostListRec& h, quint32 jetzt);
    void Anhaengen(THostListRec h);
    void IndexPruefen();
    void SenderGeaendert(bool vorherS, bool nachherS) { FSenderAnzahl += int(nachherS) - int(vorherS); }
    void SenderVerfall(const QString& ausserMac, quint32 jetzt);
    void SenderStempel(quint32 millisek);
    void Markieren(int index);
    void AlleMarkieren();

    bool Laden();
    bool Speichern();
    void Melden(const QString& text) const;

    QString FFilename;
    const int FMaxEintraege;
    TDateien& FDateien;
    TTickQuelle FTick;
    TMelder FMelden;
    QString FSperrgrund;
    QString FSpeicherFehler;
    bool FSpeicherFehlerGemeldetS = false;
    // Guards the storage itself, so a thread reading without the lock never sees the
    // vector being resized.
    mutable QMutex FSpeicher;
    THostListListe FListe;
    // Speeds up the merge: where each MAC stands (a moved row can leave one MAC twice), and
    // how many entries carry a Sender mark (the timeout walk is needed only then). Rebuilt
    // after moves and deletions.
    QMultiHash<QString, int> FMacIndex;
    bool FIndexGueltigS = false;
    int FSenderAnzahl = 0;
    // No Sender mark is older than this stamp (while FAeltesterGueltigS): until it is more
    // than the timeout old, no presence needs to walk the list for expired marks.
    quint32 FAeltester = 0;
    bool FAeltesterGueltigS = false;
    // Hints for the view: indexes marked since it last looked, or all of them.
    QList<int> FGeaendert;
    bool FAlleGeaendertS = false;
    // New hardware addresses turned away since the list was full (loading not counted).
    std::atomic<int> FAbgewiesen{0};
    std::atomic<bool> FVollGemeldetS{false};
    QRecursiveMutex FSperre;
    std::atomic<int> FSperrTiefe{0};
    std::atomic<bool> FMeldungOffenS{false};
    std::atomic<bool> FChangeS{false};
};

// Holds the list's lock for a scope.
class TListenSperre {
public:
    explicit TListenSperre(THostList& liste) : FListe(liste) { FListe.Sperren(); }
    ~TListenSperre() { FListe.Entsperren(); }
    TListenSperre(const TListenSperre&) = delete;
    TListenSperre& operator=(const TListenSperre&) = delete;

private:
    THostList& FListe;
};
