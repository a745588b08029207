// The host list file "Hostliste.txt": the reader on any bytes, the store loading such a file,
// and the save/load round trip.
//
// Input: the file's bytes.
#include "FuzzStuetze.h"

#include "common/TFelder.h"
#include "hosts/HostlisteDatei.h"
#include "hosts/THostList.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace {

QString pfad;

bool Schreiben(const QByteArray& inhalt) {
    QFile datei(pfad);
    return datei.open(QIODevice::WriteOnly | QIODevice::Truncate) && datei.write(inhalt) == inhalt.size();
}

QByteArray Lesen() {
    QFile datei(pfad);
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
}

QString Zeile(const THostListRec& r) {
    return Lesbar(r.PC) + u'|' + Lesbar(r.User) + u'|' + Lesbar(r.IP) + u'|' + Lesbar(r.MAC);
}

bool VierGleich(const THostListRec& a, const THostListRec& b) {
    return a.PC == b.PC && a.User == b.User && a.IP == b.IP && a.MAC == b.MAC;
}

// The reader's records: trimmed fields without separators or line breaks.
void RecordsPruefen(const THostListListe& liste) {
    for (const THostListRec& r : liste)
        for (const QString* f : {&r.PC, &r.User, &r.IP, &r.MAC}) {
            FUZZ_PRUEFEN(*f == TrimSteuer(*f), QStringLiteral("untrimmed field in ") + Zeile(r));
            FUZZ_PRUEFEN(!f->contains(u'|') && !f->contains(u'\r') && !f->contains(u'\n'),
                         QStringLiteral("separator or line break in ") + Zeile(r));
        }
}

// Loading merges by MAC: one entry per MAC in the order of first appearance, holding the last
// line's values; a MAC seen only once gets "Unbekannt" for an empty name.
THostListListe Erwartet(const THostListListe& zeilen) {
    THostListListe erwartet;
    QHash<QString, int> stelle, anzahl;
    for (const THostListRec& z : zeilen) {
        ++anzahl[z.MAC];
        if (!stelle.contains(z.MAC)) {
            stelle.insert(z.MAC, int(erwartet.size()));
            erwartet.append(z);
        } else {
            erwartet[stelle[z.MAC]] = z;
        }
    }
    for (THostListRec& e : erwartet)
        if (anzahl[e.MAC] == 1) {
            if (e.PC.isEmpty())
                e.PC = QStringLiteral("Unbekannt");
            if (e.User.isEmpty())
                e.User = QStringLiteral("Unbekannt");
        }
    return erwartet;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzUmgebung();
    pfad = FuzzUmgebung().Fake().Basis() + QStringLiteral("/fuzz/Hostliste.txt");
    QDir().mkpath(FuzzUmgebung().Fake().Basis() + QStringLiteral("/fuzz"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
    const QByteArray inhalt(reinterpret_cast<const char*>(daten), qsizetype(groesse));

    // The reader, and the canonical form one save gives: saving what was read back changes
    // nothing any more.
    const THostListListe zeilen = LeseHostliste(AktuellerFake(), inhalt);
    RecordsPruefen(zeilen);
    const QByteArray einmal = SchreibeHostliste(AktuellerFake(), zeilen);
    const THostListListe wieder = LeseHostliste(AktuellerFake(), einmal);
    FUZZ_PRUEFEN(
        wieder.size() == zeilen.size(),
        QStringLiteral("%1 records read, %2 after saving them").arg(zeilen.size()).arg(wieder.size()));
    for (int i = 0; i < zeilen.size(); ++i) {
        THostListRec soll;
        soll.PC = EinzeiligWieDatei(zeilen[i].PC);
        soll.User = EinzeiligWieDatei(zeilen[i].User);
        soll.IP = EinzeiligWieDatei(zeilen[i].IP);
        soll.MAC = EinzeiligWieDatei(zeilen[i].MAC);
        FUZZ_PRUEFEN(
            VierGleich(wieder[i], soll),
            QStringLiteral("record %1 %2 comes back as %3").arg(i).arg(Zeile(zeilen[i]), Zeile(wieder[i])));
    }
    FUZZ_PRUEFEN(SchreibeHostliste(AktuellerFake(), wieder) == einmal,
                 QStringLiteral("the saved form is not stable: %1").arg(Lesbar(einmal)));

    // The store loading the file, saving it and loading it again.
    FUZZ_PRUEFEN(Schreiben(inhalt), QStringLiteral("cannot write the test file"));
    THostList liste(pfad, AktuellerFake(), [] { return quint32(1000); });
    // A damaged file was kept aside as it was; the next input finds the name free again.
    if (LeseHostlisteDatei(AktuellerFake(), inhalt).BeschaedigtS) {
        QFile kopie(pfad + QStringLiteral(".defekt"));
        FUZZ_PRUEFEN(kopie.open(QIODevice::ReadOnly) && kopie.readAll() == inhalt,
                     QStringLiteral("a damaged file was not kept aside whole"));
        kopie.close();
        kopie.remove();
    }
    FUZZ_PRUEFEN(liste.Sperrgrund().isEmpty(), QStringLiteral("the file is locked: ") + liste.Sperrgrund());
    const THostListListe geladen = liste.GetListe();
    const THostListListe erwartet = Erwartet(zeilen);
    FUZZ_PRUEFEN(
        geladen.size() == erwartet.size(),
        QStringLiteral("%1 entries loaded, %2 distinct MACs").arg(geladen.size()).arg(erwartet.size()));
    for (int i = 0; i < geladen.size(); ++i)
        FUZZ_PRUEFEN(VierGleich(geladen[i], erwartet[i]) && geladen[i].Status == TStatus::sOffline &&
                         !geladen[i].SenderS && !geladen[i].BroadcastS,
                     QStringLiteral("entry %1 loaded as %2, expected %3")
                         .arg(i)
                         .arg(Zeile(geladen[i]), Zeile(erwartet[i])));

    FUZZ_PRUEFEN(liste.LoadSaveListe(false), QStringLiteral("saving failed"));
    if (geladen.isEmpty()) {
        FUZZ_PRUEFEN(!QFile::exists(pfad), QStringLiteral("an empty list leaves a file"));
        return 0;
    }
    FUZZ_PRUEFEN(Lesen() == SchreibeHostliste(AktuellerFake(), geladen),
                 QStringLiteral("the saved file is not the list"));
    // Loading the saved file merges its lines like any other file's (names that differed
    // only in control characters may meet now).
    THostList nochmal(pfad, AktuellerFake(), [] { return quint32(1000); });
    const THostListListe zweit = nochmal.GetListe();
    const THostListListe zweitSoll = Erwartet(LeseHostliste(AktuellerFake(), Lesen()));
    FUZZ_PRUEFEN(
        zweit.size() == zweitSoll.size(),
        QStringLiteral("%1 entries expected, %2 loaded back").arg(zweitSoll.size()).arg(zweit.size()));
    for (int i = 0; i < zweit.size(); ++i)
        FUZZ_PRUEFEN(VierGleich(zweit[i], zweitSoll[i]),
                     QStringLiteral("entry %1 loaded back as %2, expected %3")
                         .arg(i)
                         .arg(Zeile(zweit[i]), Zeile(zweitSoll[i])));
    return 0;
}
