#include "app/Befehlszeile.h"

#include "common/DatumZeit.h"
#include "common/ResConst.h"
#include "hosts/HostlisteDatei.h"
#include "kern/LokaleSchnittstelle.h"
#include "kern/TKern.h"
#include "net/Hardwareadresse.h"
#include "net/Netzwerkschnittstellen.h"
#include "platform/Dateien.h"
#include "power/Befehlsweg.h"
#include "schedule/TEditorFelder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>

namespace LS = LokaleSchnittstelle;

namespace {

const QStringList AktionsOptionen{QStringLiteral("--wecken"), QStringLiteral("--einschlafen"),
                                  QStringLiteral("--herunterfahren"), QStringLiteral("--neustart")};
constexpr int AnfrageFristMs = 3000;
// A schedule exchange waits about 2.5 s for the peer; the instance's answer comes after it.
constexpr int ZeitsteuerungFristMs = 6000;
// Long enough for the five magic packets, 50 ms apart.
constexpr int WeckenDauerMs = 300;
constexpr int FernFristMs = 65000;
// A little more than one announcement period.
constexpr int PraesenzAbwartenMs = 2300;

QString HilfeText() {
    return QStringLiteral(
        "Aufruf: veltrano [OPTION] [ZIEL...]\n"
        "Ohne Option startet das Programm wie gewohnt (\"/systemstartup\": versteckt im Infobereich).\n"
        "\n"
        "  --liste [--json]         die Liste der Geräte (Tabulator-getrennt oder als JSON)\n"
        "                           Beispiel: veltrano --liste --json\n"
        "  --wecken ZIEL...         Geräte aufwecken (Wake-on-LAN)\n"
        "                           Beispiel: veltrano --wecken PC1 PC2 00:1a:2b:3c:4d:5e\n"
        "  --einschlafen ZIEL...    Geräte einschlafen lassen\n"
        "                           Beispiel: veltrano --einschlafen 192.168.1.23\n"
        "  --herunterfahren ZIEL... Geräte herunterfahren\n"
        "                           Beispiel: veltrano --herunterfahren --alle\n"
        "  --neustart ZIEL...       Geräte neu starten\n"
        "                           Beispiel: veltrano --neustart KUECHE\n"
        "  --alle                   statt ZIEL: jedes Gerät der Liste außer diesem\n"
        "  --zeitsteuerung ZIEL     die Zeitsteuerung eines Geräts ausgeben\n"
        "                           Beispiel: veltrano --zeitsteuerung KUECHE\n"
        "  --zeitsteuerung ZIEL --setzen \"AKTION|JEDEN_TAG|TT.MM.JJJJ|HH:MM\"\n"
        "                           sie setzen (AKTION: 0 keine, 1 Einschlafen, 2 Herunterfahren,\n"
        "                           3 Neustart; JEDEN_TAG: 0 oder 1)\n"
        "                           Beispiel: veltrano --zeitsteuerung KUECHE --setzen "
        "\"2|1|01.01.2027|22:00\"\n"
        "  --zustand                der Zustand des laufenden Programms\n"
        "  --ansicht                die Zeilen, wie das Fenster sie zeigt\n"
        "  --help                   diese Hilfe\n"
        "  --version                die Version\n"
        "\n"
        "ZIEL: Gerätename (Groß-/Kleinschreibung egal), IPv4-Adresse oder MAC-Adresse.\n"
        "Rückgabewert: 0 erledigt, 1 Ziel unbekannt oder mehrdeutig, 2 falscher Aufruf,\n"
        "3 keine Antwort oder die Aktion ist fehlgeschlagen.\n");
}

// Twelve hex digits in any usual spelling, as the program writes MACs; empty otherwise.
QString MacNormal(const QString& text) {
    QString ziffern = text;
    ziffern.remove(QRegularExpression(QStringLiteral("[-:. ]")));
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{12}$"));
    if (!hex.match(ziffern).hasMatch())
        return {};
    // The program's one text form of a MAC, as the list holds it.
    return MacFormatieren(QByteArray::fromHex(ziffern.toLatin1()));
}

bool ZeitsteuerungTextGueltig(const QString& text) {
    const QStringList f = text.split(u'|');
    static const QRegularExpression aktion(QStringLiteral("^[0-3]$")), jedenTag(QStringLiteral("^[01]$"));
    return f.size() == 4 && aktion.match(f[0]).hasMatch() && jedenTag.match(f[1]).hasMatch() &&
           LeseDatum(f[2]).has_value() && LeseZeit(f[3]).has_value();
}

QString Beschreibung(const THostListRec& e) {
    return QStringLiteral("%1 (%2, %3)").arg(e.PC, e.IP, e.MAC);
}

// Runs the event loop until fertigS holds or the time is up.
void Warten(const std::function<bool()>& fertigS, int ms) {
    QDeadlineTimer frist(ms);
    while (!fertigS() && !frist.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
}

} // namespace

bool IstBefehlszeile(const QStringList& argumente) {
    for (const QString& a : argumente)
        if (a.startsWith(QLatin1String("--")))
            return true;
    return false;
}

std::variant<TBzAuftrag, QString> AuftragLesen(const QStringList& argumente) {
    TBzAuftrag a;
    int aufgaben = 0;
    auto aufgabe = [&](TBzAuftrag::TArt art) {
        a.Art = art;
        ++aufgaben;
    };
    for (qsizetype i = 0; i < argumente.size(); ++i) {
        const QString& arg = argumente[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            aufgabe(TBzAuftrag::Hilfe);
        else if (arg == QLatin1String("--version"))
            aufgabe(TBzAuftrag::Version);
        else if (arg == QLatin1String("--liste"))
            aufgabe(TBzAuftrag::Liste);
        else if (arg == QLatin1String("--zustand"))
            aufgabe(TBzAuftrag::Zustand);
        else if (arg == QLatin1String("--ansicht"))
            aufgabe(TBzAuftrag::Ansicht);
        else if (arg == QLatin1String("--zeitsteuerung"))
            aufgabe(TBzAuftrag::Zeitsteuerung);
        else if (AktionsOptionen.contains(arg)) {
            aufgabe(TBzAuftrag::Aktion);
            a.AktionsWort = arg.mid(2);
        } else if (arg == QLatin1String("--json"))
            a.JsonS = true;
        else if (arg == QLatin1String("--alle"))
            a.AlleS = true;
        else if (arg == QLatin1String("--setzen")) {
            if (i + 1 == argumente.size())
                return QStringLiteral("--setzen braucht einen Wert: \"AKTION|JEDEN_TAG|TT.MM.JJJJ|HH:MM\"");
            a.Setzen = argumente[++i];
        } else if (arg.startsWith(u'-'))
            return QStringLiteral("Unbekannte Option: %1").arg(arg);
        else
            a.Ziele << arg;
    }
    if (aufgaben != 1)
        return QStringLiteral("Bitte genau eine Aufgabe angeben (--liste, --wecken, --einschlafen, "
                              "--herunterfahren, --neustart, --zeitsteuerung, --zustand, --ansicht, "
                              "--help, --version).");
    if (a.JsonS && a.Art != TBzAuftrag::Liste)
        return QStringLiteral("--json gilt nur für --liste.");
    if (a.AlleS && a.Art != TBzAuftrag::Aktion)
        return QStringLiteral(
            "--alle gilt nur für --wecken, --einschlafen, --herunterfahren und --neustart.");
    if (a.Setzen && a.Art != TBzAuftrag::Zeitsteuerung)
        return QStringLiteral("--setzen gilt nur für --zeitsteuerung.");
    if (a.Setzen && !ZeitsteuerungTextGueltig(*a.Setzen))
        return QStringLiteral(
                   "Ungültige Zeitsteuerung \"%1\": erwartet \"AKTION|JEDEN_TAG|TT.MM.JJJJ|HH:MM\".")
            .arg(*a.Setzen);
    if (a.Art == TBzAuftrag::Aktion && a.Ziele.isEmpty() && !a.AlleS)
        return QStringLiteral("--%1 braucht mindestens ein Ziel oder --alle.").arg(a.AktionsWort);
    if (a.Art == TBzAuftrag::Zeitsteuerung && a.Ziele.size() != 1)
        return QStringLiteral("--zeitsteuerung braucht genau ein Ziel.");
    if (a.Art != TBzAuftrag::Aktion && a.Art != TBzAuftrag::Zeitsteuerung && !a.Ziele.isEmpty())
        return QStringLiteral("Unerwartetes Argument: %1").arg(a.Ziele.first());
    return a;
}

std::variant<THostListListe, QString> ZieleAufloesen(const QStringList& ziele, bool alleS,
                                                     const THostListListe& liste,
                                                     const QStringList& eigeneMacs) {
    THostListListe treffer;
    auto hinzu = [&treffer](const THostListRec& e) {
        for (const THostListRec& t : std::as_const(treffer))
            if (t.MAC == e.MAC)
                return;
        treffer << e;
    };
    if (alleS)
        for (const THostListRec& e : liste)
            if (!eigeneMacs.contains(e.MAC))
                hinzu(e);
    for (const QString& ziel : ziele) {
        const QString mac = MacNormal(ziel);
        const QHostAddress adresse(ziel);
        const bool ipS = adresse.protocol() == QAbstractSocket::IPv4Protocol;
        THostListListe passend;
        for (const THostListRec& e : liste)
            if ((!mac.isEmpty() && e.MAC == mac) || (ipS && e.IP == adresse.toString()) ||
                (!ipS && mac.isEmpty() && e.PC.compare(ziel, Qt::CaseInsensitive) == 0))
                passend << e;
        if (passend.isEmpty())
            return QStringLiteral("Ziel \"%1\" ist nicht in der Liste.").arg(ziel);
        // A MAC names one entry even when it is listed twice.
        if (passend.size() > 1 && mac.isEmpty()) {
            QStringList kandidaten;
            for (const THostListRec& e : std::as_const(passend))
                kandidaten << Beschreibung(e);
            return QStringLiteral("Ziel \"%1\" ist mehrdeutig: %2")
                .arg(ziel, kandidaten.join(QStringLiteral("; ")));
        }
        hinzu(passend.first());
    }
    return treffer;
}

namespace {

class TBefehlszeile {
public:
    TBefehlszeile(TPlattform plattform, TLaufzeit& laufzeit, QTextStream& aus, QTextStream& fehler)
        : FPlattform(plattform), FLaufzeit(laufzeit), FAus(aus), FFehler(fehler) {}

    int Ausfuehren(const TBzAuftrag& a) {
        switch (a.Art) {
        case TBzAuftrag::Hilfe:
            FAus << HilfeText();
            return BzFertig;
        case TBzAuftrag::Version:
            FAus << ProgrammTitel << '\n';
            return BzFertig;
        case TBzAuftrag::Zustand:
        case TBzAuftrag::Ansicht:
            return Diagnose(a.Art == TBzAuftrag::Zustand ? LS::Zustand : LS::Ansicht);
        case TBzAuftrag::Liste:
            return Liste(a.JsonS);
        case TBzAuftrag::Aktion:
            return Aktion(a);
        case TBzAuftrag::Zeitsteuerung:
            return Zeitsteuerung(a);
        }
        return BzFalscheAngabe;
    }

private:
    std::optional<QString> Fragen(const QString& anfrage, int fristMs = AnfrageFristMs) {
        return FPlattform.Instanz.AnfrageAnInstanz(anfrage, fristMs);
    }

    // The running instance's list, or the file's (then without status and sender).
    THostListListe ListeHolen(bool& laufendS) {
        if (const std::optional<QString> antwort = Fragen(LS::Liste)) {
            laufendS = true;
            return LS::ListeLesen(*antwort);
        }
        laufendS = false;
        // Never blocks: a pipe or a folder at the path counts as unreadable.
        const TDateien::TGelesen gelesen =
            FPlattform.Dateien.DateiLesen(FLaufzeit.HostlisteDatei, MaxHostlisteGroesse);
        if (gelesen.Art == TDateien::TGelesen::TArt::Unlesbar)
            FFehler << QStringLiteral("Die Hostliste „%1“ konnte nicht gelesen werden (%2).\n")
                           .arg(FLaufzeit.HostlisteDatei, gelesen.Grund);
        return LeseHostliste(FPlattform.Dateien, gelesen.Daten);
    }

    int Diagnose(const QString& anfrage) {
        const std::optional<QString> antwort = Fragen(anfrage);
        if (!antwort) {
            FFehler << "Veltrano läuft nicht.\n";
            return BzKeineAntwort;
        }
        FAus << *antwort << '\n';
        return BzFertig;
    }

    int Liste(bool jsonS) {
        bool laufendS = false;
        const THostListListe liste = ListeHolen(laufendS);
        const QString unbekannt = QStringLiteral("unbekannt");
        auto status = [&](const THostListRec& e) {
            return laufendS
                       ? (e.Status == TStatus::sOnline ? QStringLiteral("Online") : QStringLiteral("Offline"))
                       : unbekannt;
        };
        auto sender = [&](const THostListRec& e) {
            return laufendS ? (e.SenderS ? QStringLiteral("Aktiv") : QStringLiteral("Inaktiv")) : unbekannt;
        };
        if (jsonS) {
            QJsonArray feld;
            for (const THostListRec& e : liste)
                feld.append(QJsonObject{{QStringLiteral("geraet"), e.PC},
                                        {QStringLiteral("benutzer"), e.User},
                                        {QStringLiteral("status"), status(e)},
                                        {QStringLiteral("sender"), sender(e)},
                                        {QStringLiteral("ip"), e.IP},
                                        {QStringLiteral("mac"), e.MAC}});
            FAus << QJsonDocument(feld).toJson(QJsonDocument::Indented);
            return BzFertig;
        }
        for (const THostListRec& e : liste)
            FAus << QStringList{LS::Kodieren(e.PC), LS::Kodieren(e.User), status(e),
                                sender(e),          LS::Kodieren(e.IP),   LS::Kodieren(e.MAC)}
                        .join(u'\t')
                 << '\n';
        return BzFertig;
    }

    QStringList EigeneMacs() {
        TBroadcastList netze;
        FillBroadcastList(FPlattform.Netz, false, netze);
        QStringList macs;
        for (const TBroadcastRec& b : std::as_const(netze))
            macs << b.MAC;
        return macs;
    }

    std::optional<THostListListe> Ziele(const TBzAuftrag& a, bool& laufendS, int& ergebnis) {
        const std::variant<THostListListe, QString> ziele =
            ZieleAufloesen(a.Ziele, a.AlleS, ListeHolen(laufendS), EigeneMacs());
        if (const QString* meldung = std::get_if<QString>(&ziele)) {
            FFehler << *meldung << '\n';
            ergebnis = BzZielUnbekannt;
            return std::nullopt;
        }
        return std::get<THostListListe>(ziele);
    }

    // The session core without a window, for the time it takes to send.
    std::unique_ptr<TKern> KernOhneFenster() {
        FFelder = std::make_unique<TEditorFelder>([&uhr = FPlattform.Uhr] { return uhr.Jetzt(); });
        auto kern = std::make_unique<TKern>(FPlattform, FLaufzeit, *FFelder, TKernOptionen{},
                                            [this](const QString& text) { FFehler << text << '\n'; });
        kern->NurSenden();
        return kern;
    }

    int Aktion(const TBzAuftrag& a) {
        bool laufendS = false;
        int ergebnis = BzFertig;
        const std::optional<THostListListe> ziele = Ziele(a, laufendS, ergebnis);
        if (!ziele)
            return ergebnis;
        const int nr = *LS::AktionVonWort(a.AktionsWort);
        std::unique_ptr<TKern> kern = laufendS ? nullptr : KernOhneFenster();
        // The file does not keep which hosts run a peer: their announcements tell, every 2 s,
        // and decide between a datagram and the system's remote shutdown.
        if (kern && nr != AktionAufwecken)
            Warten([] { return false; }, PraesenzAbwartenMs);
        for (THostListRec e : *ziele) {
            if (kern)
                e = kern->HostList().FindMAC(e.MAC);
            QString fehler;
            if (laufendS) {
                const std::optional<QString> antwort =
                    Fragen(QStringList{LS::Befehl, a.AktionsWort, e.MAC}.join(u' '), FernFristMs);
                if (!antwort)
                    fehler = QStringLiteral("keine Antwort von Veltrano");
                else if (*antwort != LS::Ok)
                    fehler = *antwort;
            } else {
                std::optional<QString> ergebnisText;
                kern->SendBefehl(nr, e, [&ergebnisText](const QString& f) { ergebnisText = f; });
                // A remote shutdown answers later; `net` gives up after a minute.
                Warten([&ergebnisText] { return ergebnisText.has_value(); }, FernFristMs);
                fehler = ergebnisText.value_or(QStringLiteral("keine Antwort"));
            }
            if (!fehler.isEmpty()) {
                FFehler << QStringLiteral("%1 bei %2: %3\n").arg(AktionsName(nr), Beschreibung(e), fehler);
                ergebnis = BzKeineAntwort;
            }
        }
        if (kern && nr == AktionAufwecken)
            Warten([] { return false; }, WeckenDauerMs);
        return ergebnis;
    }

    int Zeitsteuerung(const TBzAuftrag& a) {
        bool laufendS = false;
        int ergebnis = BzFertig;
        const std::optional<THostListListe> ziele = Ziele(a, laufendS, ergebnis);
        if (!ziele)
            return ergebnis;
        const QString ip = ziele->first().IP;
        std::optional<QString> text; // the stamped schedule, or "" for a confirmed setting
        if (laufendS) {
            const std::optional<QString> antwort =
                a.Setzen
                    ? Fragen(QStringList{LS::ZeitsteuerungSetzen, ip, LS::Kodieren(*a.Setzen)}.join(u' '),
                             ZeitsteuerungFristMs)
                    : Fragen(QStringList{LS::Zeitsteuerung, ip}.join(u' '), ZeitsteuerungFristMs);
            if (antwort && (*antwort == LS::Ok || antwort->startsWith(LS::Ok + u' ')))
                text = LS::Dekodieren(antwort->mid(LS::Ok.size() + 1));
        } else {
            std::unique_ptr<TKern> kern = KernOhneFenster();
            bool fertigS = false;
            QObject::connect(kern.get(), &TKern::ZeitsteuerungErhalten, [&](const std::optional<QString>& t) {
                text = t;
                fertigS = true;
            });
            QObject::connect(kern.get(), &TKern::ZeitsteuerungBestaetigt, [&](bool bestaetigtS) {
                if (bestaetigtS)
                    text = QString();
                fertigS = true;
            });
            if (a.Setzen)
                kern->ZeitsteuerungSenden(ip, FPlattform.Uhr.Jetzt().toString(QStringLiteral("HH:mm:ss|")) +
                                                  *a.Setzen);
            else
                kern->ZeitsteuerungAnfordern(ip);
            Warten([&] { return fertigS; }, ZeitsteuerungFristMs);
        }
        if (!text) {
            FFehler << QStringLiteral("Keine Antwort von %1.\n").arg(Beschreibung(ziele->first()));
            return BzKeineAntwort;
        }
        if (!a.Setzen) // without the sender's time in front
            FAus << text->section(u'|', 1) << '\n';
        return BzFertig;
    }

    TPlattform FPlattform;
    TLaufzeit& FLaufzeit;
    QTextStream& FAus;
    QTextStream& FFehler;
    std::unique_ptr<TEditorFelder> FFelder;
};

} // namespace

int BefehlszeileAusfuehren(const QStringList& argumente, TPlattform plattform, TLaufzeit& laufzeit,
                           QTextStream& aus, QTextStream& fehler) {
    const std::variant<TBzAuftrag, QString> auftrag = AuftragLesen(argumente);
    if (const QString* meldung = std::get_if<QString>(&auftrag)) {
        fehler << *meldung << "\nMehr mit: veltrano --help\n";
        return BzFalscheAngabe;
    }
    TBefehlszeile bz(plattform, laufzeit, aus, fehler);
    const int ergebnis = bz.Ausfuehren(std::get<TBzAuftrag>(auftrag));
    aus.flush();
    fehler.flush();
    return ergebnis;
}
