#include "protocol/Netzwerkschluessel.h"
#include "protocol/Signatur.h"
#include "support/TFakePlattform.h"

#include <QFile>
#include <QTest>
#include <sys/stat.h>

namespace {
// Computed apart from the program, with Python's hashlib.pbkdf2_hmac and hmac.
const QString Passphrase = QStringLiteral("Schlüssel für das Büro");
const QByteArray Schluessel =
    QByteArray::fromHex("3c8f86c36e6be6b214fbf0b4c221bf86b30d0324fd4da254f868d7ca7b749787");
constexpr qint64 Jetzt = 1800000000;
} // namespace

class TstSignatur : public QObject {
    Q_OBJECT
private slots:
    void festeWerte_data() {
        QTest::addColumn<QString>("datagramm");
        QTest::addColumn<QString>("signiert");
        QTest::newRow("Befehl") << "VTR1|herunterfahren"
                                << "VTR1|herunterfahren|1800000000|0123456789abcdef|"
                                   "5fc4295bad42b1aee8ca80c40bcbbf9d57f5bc1a4786bee2bcc7dec6217abce9";
        QTest::newRow("Zeitsteuerung") << "VTR1|zssenden|07:15:00|2|1|24.12.2026|22:00"
                                       << "VTR1|zssenden|07:15:00|2|1|24.12.2026|22:00|1800000000|"
                                          "0123456789abcdef|"
                                          "9aef220025772bf6dc4301312c0aa2716ea93353b9c3a4191d80db4817fbb306";
    }
    void festeWerte() {
        QFETCH(QString, datagramm);
        QFETCH(QString, signiert);
        QCOMPARE(Signatur::SchluesselAusPassphrase(Passphrase).toHex(), Schluessel.toHex());
        QCOMPARE(Signatur::Signieren(datagramm, Schluessel, Jetzt, "0123456789abcdef"), signiert);
        Signatur::TPruefer pruefer;
        const Signatur::TErgebnis e = pruefer.Pruefen(signiert, Schluessel, Jetzt);
        QCOMPARE(e.Art, Signatur::TErgebnis::Gueltig);
        QCOMPARE(e.Datagramm, datagramm);
    }

    // One checker through a sequence, so that the nonce memory is part of what is tested.
    void pruefen() {
        const auto s = [](const QString& d, qint64 t, const QString& n, const QByteArray& k = Schluessel) {
            return Signatur::Signieren(d, k, t, n);
        };
        const QString gut = s("VTR1|neustart", Jetzt, "00000000000000a1");
        const QByteArray anderer = Signatur::SchluesselAusPassphrase("ein anderer Schlüssel");
        struct TFall {
            const char* Name;
            QString Text;
            qint64 Uhr;
            QString Grund;
        } faelle[] = {
            {"gültig", gut, Jetzt, ""},
            {"nochmals", gut, Jetzt + 1, "wiederholt"},
            {"unsigniert", "VTR1|neustart", Jetzt, "keine Signatur"},
            {"Signatur fehlt ein Feld", "VTR1|neustart|00000000000000a2|" + gut.right(64), Jetzt,
             "keine Signatur"},
            {"Trenner am Ende", s("VTR1|neustart", Jetzt, "00000000000000a3") + "|", Jetzt, "keine Signatur"},
            {"große Hex-Ziffern",
             s("VTR1|neustart", Jetzt, "00000000000000a4")
                 .toUpper()
                 .replace("VTR1|NEUSTART", "VTR1|neustart"),
             Jetzt, "keine Signatur"},
            {"Zeit mit Vorzeichen", "VTR1|neustart|+1800000000|00000000000000a5|" + gut.right(64), Jetzt,
             "keine Signatur"},
            {"anderer Schlüssel", s("VTR1|neustart", Jetzt, "00000000000000b1", anderer), Jetzt,
             "falsche Signatur"},
            {"Wort getauscht", QString(gut).replace("neustart", "herunterfahren"), Jetzt, "falsche Signatur"},
            {"Zeit verändert", QString(gut).replace("1800000000", "1800000001"), Jetzt, "falsche Signatur"},
            {"zu alt", s("VTR1|neustart", Jetzt - 301, "00000000000000c1"), Jetzt,
             "Zeit um 301 s abweichend"},
            {"zu früh", s("VTR1|neustart", Jetzt + 400, "00000000000000c2"), Jetzt,
             "Zeit um 400 s abweichend"},
            {"gerade noch", s("VTR1|neustart", Jetzt + 300, "00000000000000c3"), Jetzt, ""},
            // Refused for its time, so its nonce is not used up.
            {"zu alt, später frisch", s("VTR1|neustart", Jetzt + 1000, "00000000000000c1"), Jetzt + 1000, ""},
            {"nach zehn Minuten vergessen", s("VTR1|neustart", Jetzt + 1700, "00000000000000a1"),
             Jetzt + 1700, ""},
        };
        Signatur::TPruefer pruefer;
        for (const TFall& f : faelle)
            QVERIFY2(Signatur::Grund(pruefer.Pruefen(f.Text, Schluessel, f.Uhr)) == f.Grund, f.Name);
    }

    // The key file: used only when it is the owner's alone and holds a key.
    void schluesselDatei_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<int>("rechte");
        QTest::addColumn<bool>("schluesselS");
        QTest::addColumn<bool>("meldungS");
        const QByteArray hex = Schluessel.toHex() + '\n';
        QTest::newRow("nur Eigentümer") << hex << 0600 << true << false;
        QTest::newRow("Gruppe liest") << hex << 0640 << false << true;
        QTest::newRow("alle lesen") << hex << 0604 << false << true;
        QTest::newRow("kein Schlüssel") << QByteArray("geheim\n") << 0600 << false << true;
        QTest::newRow("zu kurz") << hex.left(62) << 0600 << false << true;
        QTest::newRow("fehlt") << QByteArray() << 0 << false << false;
    }
    void schluesselDatei() {
        QFETCH(QByteArray, inhalt);
        QFETCH(int, rechte);
        QFETCH(bool, schluesselS);
        QFETCH(bool, meldungS);
        TFakePlattform fake;
        const QString pfad = fake.Basis() + "/Netzwerkschluessel";
        if (rechte) {
            QFile f(pfad);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size());
            f.close();
            QVERIFY(::chmod(QFile::encodeName(pfad).constData(), mode_t(rechte)) == 0);
        }
        const TSchluesselGelesen g = SchluesselLesen(fake, pfad);
        QCOMPARE(g.Schluessel.has_value(), schluesselS);
        QCOMPARE(!g.Meldung.isEmpty(), meldungS);
        // Setting it anew makes the file the owner's alone, whatever it was.
        QVERIFY(SchluesselSpeichern(fake, pfad, Schluessel, nullptr));
        QCOMPARE(QFile::permissions(pfad),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(SchluesselLesen(fake, pfad).Schluessel, std::optional<QByteArray>(Schluessel));
    }
};

QTEST_GUILESS_MAIN(TstSignatur)
#include "tst_signatur.moc"
