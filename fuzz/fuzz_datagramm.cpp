// The pure reception path of presence datagrams: decoding, field cutting, reading the
// presence and the merge into the host list store, without a window; and the check of signed
// commands against a fixed key.
//
// Input: datagrams separated by a zero byte. The first byte of each picks the source address
// (low two bits) and how far the tick count moves before it (the other bits, in 256 ms
// steps, so the 8000 ms Sender timeout is crossed now and then); the rest is the payload.
#include "FuzzStuetze.h"

#include "common/TFelder.h"
#include "hosts/HostlisteDatei.h"
#include "hosts/THostList.h"
#include "protocol/Nachrichten.h"
#include "protocol/Signatur.h"

#include <QHash>

namespace {

const char* const Absender[4] = {"10.0.0.1", "10.0.0.2", "192.168.1.20", "10.0.0.3"};

// Field cutting, checked against its definition: maximal runs of characters other than "|".
void FelderPruefen(const QString& text) {
    const TFelder felder(text);
    int laeufe = 0;
    qsizetype zeichen = 0, pos = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] != u'|' && (i == 0 || text[i - 1] == u'|'))
            ++laeufe;
    FUZZ_PRUEFEN(felder.Anzahl() == laeufe,
                 QStringLiteral("%1: %2 fields, %3 runs").arg(Lesbar(text)).arg(felder.Anzahl()).arg(laeufe));
    for (int n = 1; n <= felder.Anzahl(); ++n) {
        const QStringView f = felder.Roh(n);
        FUZZ_PRUEFEN(!f.isEmpty() && !f.contains(u'|'),
                     QStringLiteral("field %1 of %2").arg(n).arg(Lesbar(text)));
        // In order and where the text has it.
        const qsizetype stelle = text.indexOf(f, pos);
        FUZZ_PRUEFEN(stelle >= pos, QStringLiteral("field %1 of %2 out of order").arg(n).arg(Lesbar(text)));
        pos = stelle + f.size();
        zeichen += f.size();
        FUZZ_PRUEFEN(felder.Feld(n) == TrimSteuer(f), QStringLiteral("trimmed field %1").arg(n));
    }
    FUZZ_PRUEFEN(zeichen + text.count(u'|') == text.size(),
                 QStringLiteral("fields lose characters of ") + Lesbar(text));
    FUZZ_PRUEFEN(felder.Roh(felder.Anzahl() + 1).isEmpty() && felder.Roh(0).isEmpty(),
                 QStringLiteral("a field that does not exist is not empty"));
    const QString rest = felder.RestAbFeld3();
    if (felder.Anzahl() < 3)
        FUZZ_PRUEFEN(rest.isEmpty(), QStringLiteral("rest from field 3 without a field 3"));
    else
        FUZZ_PRUEFEN(rest.startsWith(felder.Roh(3)) && text.endsWith(rest),
                     QStringLiteral("rest from field 3 of %1 is %2").arg(Lesbar(text), Lesbar(rest)));
}

// What the checker accepts is exactly what the key signed, and only once. The seed
// "signiert" is signed with this key for this time.
constexpr qint64 SignaturZeit = 1800000000;
void SignaturPruefen(Signatur::TPruefer& pruefer, const QString& text, qint64 jetzt) {
    static const QByteArray schluessel(Signatur::SchluesselBytes, '\x5a');
    const Signatur::TErgebnis e = pruefer.Pruefen(text, schluessel, jetzt);
    if (e.Art != Signatur::TErgebnis::Gueltig)
        return;
    const QStringList teile = text.split(u'|');
    const QString zeit = teile.value(teile.size() - 3), nonce = teile.value(teile.size() - 2);
    FUZZ_PRUEFEN(Signatur::Signieren(e.Datagramm, schluessel, zeit.toLongLong(), nonce) == text &&
                     qAbs(zeit.toLongLong() - jetzt) <= Signatur::ZeitToleranzS,
                 QStringLiteral("accepted, but not signed with the key for now: ") + Lesbar(text));
    FUZZ_PRUEFEN(pruefer.Pruefen(text, schluessel, jetzt).Art == Signatur::TErgebnis::Wiederholt,
                 QStringLiteral("accepted twice: ") + Lesbar(text));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzUmgebung();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
    const QByteArray eingabe(reinterpret_cast<const char*>(daten), qsizetype(groesse));
    quint32 tick = 0xFFFF0000; // wraps past 2^32 within a long input
    // A file name that never exists: the store starts empty and this target never saves.
    THostList liste(QStringLiteral("/nonexistent/veltrano-fuzz/Hostliste.txt"), AktuellerFake(),
                    [&tick] { return tick; });
    QHash<QString, int> macs; // MAC → number of merges
    Signatur::TPruefer pruefer;

    for (const QByteArray& stueck : eingabe.split('\0')) {
        if (stueck.isEmpty())
            continue;
        const auto kopf = static_cast<unsigned char>(stueck[0]);
        tick += quint32(kopf >> 2) * 256;
        const QString ip = QString::fromLatin1(Absender[kopf & 3]);
        const QByteArray nutzlast = stueck.mid(1).left(Protokoll::MaxDatagramm);

        const QString text = Protokoll::Dekodieren(nutzlast);
        FUZZ_PRUEFEN(Protokoll::Dekodieren(Protokoll::Kodieren(text)) == text,
                     QStringLiteral("decoding is not stable for ") + Lesbar(nutzlast));
        FelderPruefen(text);
        SignaturPruefen(pruefer, text, SignaturZeit + (kopf >> 2) - 32);
        const TFelder felder(text);
        const std::optional<Protokoll::TPraesenzRec> praesenz = Protokoll::LesePraesenz(text);
        FUZZ_PRUEFEN(praesenz.has_value() == Protokoll::TagPasst(felder),
                     QStringLiteral("read as a presence against its tag: ") + Lesbar(text));
        if (!praesenz)
            continue;

        const int vorher = liste.Count();
        const QString mac = Protokoll::Kuerzen(felder.Roh(5));
        const bool bekanntS = macs.contains(mac);
        const int index = liste.Add(Protokoll::PraesenzEintrag(*praesenz, ip, liste.Tick()), false);
        const QString wozu = QStringLiteral("after %1 from %2").arg(Lesbar(nutzlast), ip);
        FUZZ_PRUEFEN(bekanntS ? index == -1 && liste.Count() == vorher
                              : index == vorher && liste.Count() == vorher + 1,
                     wozu + QStringLiteral(": result %1, %2 entries before").arg(index).arg(vorher));
        ++macs[mac];

        // The entry holds what the datagram says; a new one has "Unbekannt" for empty names.
        int treffer = -1;
        const THostListListe eintraege = liste.GetListe();
        for (int i = 0; i < eintraege.size(); ++i)
            if (eintraege[i].MAC == mac) {
                FUZZ_PRUEFEN(treffer < 0, wozu + QStringLiteral(": MAC listed twice"));
                treffer = i;
            }
        FUZZ_PRUEFEN(treffer >= 0, wozu + QStringLiteral(": MAC not listed"));
        const THostListRec& e = eintraege[treffer];
        auto name = [&](int feld) {
            // Stored as cut to the longest kept length.
            const QString f = Protokoll::Kuerzen(felder.Roh(feld));
            return f.isEmpty() && !bekanntS ? QStringLiteral("Unbekannt") : f;
        };
        FUZZ_PRUEFEN(
            e.PC == name(3) && e.User == name(4) && e.IP == ip && e.Status == TStatus::sOnline &&
                e.SenderS == (felder.Feld(2) == QLatin1String("1")) &&
                e.BroadcastS == (felder.Feld(6) == QLatin1String("1")),
            wozu +
                QStringLiteral(": entry %1|%2|%3|%4").arg(Lesbar(e.PC), Lesbar(e.User), e.IP, Lesbar(e.MAC)));
        FUZZ_PRUEFEN(liste.Count() == macs.size(),
                     wozu + QStringLiteral(": entries and MACs differ in number"));
        // No other peer keeps its Sender mark beyond the timeout.
        for (int i = 0; i < eintraege.size(); ++i)
            FUZZ_PRUEFEN(i == treffer || !eintraege[i].SenderS ||
                             quint32(tick - eintraege[i].Millisek) <= THostList::SenderTimeoutMs,
                         wozu +
                             QStringLiteral(": entry %1 is still a sender, %2 ms after its last announcement")
                                 .arg(i)
                                 .arg(quint32(tick - eintraege[i].Millisek)));
        FUZZ_PRUEFEN(!liste.Locked(), wozu + QStringLiteral(": the list stays locked"));
    }

    // What the store holds survives the host list file.
    const THostListListe eintraege = liste.GetListe();
    const THostListListe gelesen =
        LeseHostliste(AktuellerFake(), SchreibeHostliste(AktuellerFake(), eintraege));
    FUZZ_PRUEFEN(gelesen.size() == eintraege.size(),
                 QStringLiteral("the file holds %1 of %2 entries").arg(gelesen.size()).arg(eintraege.size()));
    for (int i = 0; i < eintraege.size(); ++i) {
        const THostListRec& e = eintraege[i];
        const THostListRec& g = gelesen[i];
        FUZZ_PRUEFEN(g.PC == EinzeiligWieDatei(e.PC) && g.User == EinzeiligWieDatei(e.User) && g.IP == e.IP &&
                         g.MAC == EinzeiligWieDatei(e.MAC),
                     QStringLiteral("entry %1 %2|%3|%4 comes back from the file as %5|%6|%7")
                         .arg(i)
                         .arg(Lesbar(e.PC), Lesbar(e.User), Lesbar(e.MAC))
                         .arg(Lesbar(g.PC), Lesbar(g.User), Lesbar(g.MAC)));
    }
    return 0;
}
