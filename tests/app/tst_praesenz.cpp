#include "app/TForm1.h"
#include "common/ResConst.h"
#include "hosts/HostlisteDatei.h"
#include "protocol/Nachrichten.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray Lesen(const QString& pfad) {
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Zeile(TForm1& form, int r) {
    QStringList z;
    for (int c = 0; c < 6; ++c)
        z << Innen(form).ListView1->item(r, c)->text();
    return z;
}

} // namespace

// The reception of presence datagrams against a live controller: rows, repaints and the
// host list file.
class TstPraesenz : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;
    std::unique_ptr<TForm1> FForm;

    void Empfang(const QString& text, const QString& ip = "10.0.0.5") {
        Innen(*FForm).UdpS1SenderUDPRead(text.toUtf8(), ip);
    }

private slots:
    void init() {
        FUmgebung = std::make_unique<TTestUmgebung>();
        FForm = FormStarten({"/systemstartup"});
    }
    void cleanup() {
        FForm.reset();
        FUmgebung.reset();
    }

    void neuerPeerGleichUndGeaendert() {
        Empfang("VTR1|1|BUERO-PC|anna|00-1A-2B-3C-4D-5E|1");
        QCOMPARE(Innen(*FForm).ListView1->rowCount(), 1);
        QCOMPARE(Zeile(*FForm, 0),
                 (QStringList{"BUERO-PC", "anna", "Online", "Aktiv", "10.0.0.5", "00-1A-2B-3C-4D-5E"}));
        QCOMPARE(Innen(*FForm).ListView1->currentRow(), 0);
        // Saved shortly after: changes in a burst share one save.
        QVERIFY(Innen(*FForm).SpeichernAusstehendS());
        QTRY_COMPARE(Lesen(Laufzeit().HostlisteDatei),
                     QByteArray("BUERO-PC|anna|10.0.0.5|00-1A-2B-3C-4D-5E\r\n"));

        // Unchanged: nothing painted, nothing saved.
        QFile::remove(Laufzeit().HostlisteDatei);
        const int geschrieben = Innen(*FForm).ListView1->GeschriebeneZellen();
        Empfang("VTR1|1|BUERO-PC|anna|00-1A-2B-3C-4D-5E|1");
        QVERIFY(!Innen(*FForm).SpeichernAusstehendS());
        QTest::qWait(300);
        QVERIFY(!QFile::exists(Laufzeit().HostlisteDatei));
        QCOMPARE(Innen(*FForm).ListView1->GeschriebeneZellen(), geschrieben);

        // Changed user: the row is repainted and the file saved.
        Empfang("VTR1|1|BUERO-PC|bert|00-1A-2B-3C-4D-5E|1");
        QCOMPARE(Zeile(*FForm, 0)[1], QString("bert"));
        QTRY_COMPARE(Lesen(Laufzeit().HostlisteDatei),
                     QByteArray("BUERO-PC|bert|10.0.0.5|00-1A-2B-3C-4D-5E\r\n"));
        QVERIFY(!Innen(*FForm).HostList->ChangeS());
        QVERIFY(!Innen(*FForm).HostList->Get(0).ChangeS);
    }

    void verworfen_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("kleiner Tag") << "vtr1|1|PC|anna|M1|1";
        QTest::newRow("anderer Tag") << "VTR2|1|PC|anna|M1|1";
        QTest::newRow("leer") << "";
        QTest::newRow("nur Trenner") << "||||";
    }
    void verworfen() {
        QFETCH(QString, text);
        Empfang(text);
        QCOMPARE(Innen(*FForm).HostList->Count(), 0);
        QCOMPARE(Innen(*FForm).ListView1->rowCount(), 0);
    }

    void waehrendStopVerworfen() {
        Laufzeit().StopS = true;
        Empfang("VTR1|1|PC|anna|M1|1");
        Laufzeit().StopS = false;
        QCOMPARE(Innen(*FForm).HostList->Count(), 0);
    }

    void senderVerfaelltUndAbschied() {
        TFakePlattform& fake = FUmgebung->Fake();
        Empfang("VTR1|1|A|anna|M-A|1", "10.0.0.1");
        Empfang("VTR1|1|B|bert|M-B|1", "10.0.0.2");
        fake.Vorlaufen(8001);
        Empfang("VTR1|1|B|bert|M-B|1", "10.0.0.2");
        QCOMPARE(Zeile(*FForm, 0)[3], QString("Inaktiv"));
        QCOMPARE(Zeile(*FForm, 1)[3], QString("Aktiv"));
        // A leaving presence clears the mark at once; the host stays online for the probe.
        Empfang("VTR1|0|B|bert|M-B|1", "10.0.0.2");
        QCOMPARE(Zeile(*FForm, 1)[2], QString("Online"));
        QCOMPARE(Zeile(*FForm, 1)[3], QString("Inaktiv"));
    }

    // Entries the scanner or the file appended appear with the next datagram.
    void nachgezogeneZeilen() {
        THostListRec r;
        r.PC = "SCAN";
        r.MAC = "M-S";
        r.IP = "10.0.0.9";
        r.Status = TStatus::sOnline;
        Innen(*FForm).HostList->Add(r, true);
        QCOMPARE(Innen(*FForm).ListView1->rowCount(), 0);
        Empfang("VTR1|1|A|anna|M-A|1");
        QCOMPARE(Innen(*FForm).ListView1->rowCount(), 2);
        QCOMPARE(Zeile(*FForm, 0)[0], QString("SCAN"));
        QTRY_COMPARE(LeseHostliste(AktuellerFake(), Lesen(Laufzeit().HostlisteDatei)).size(), 2);
    }

    void zweiFelder() {
        Empfang(" VTR1\t|1"); // fields are trimmed before use, the tag too
        QCOMPARE(Innen(*FForm).ListView1->rowCount(), 1);
        QCOMPARE(Zeile(*FForm, 0),
                 (QStringList{"Unbekannt", "Unbekannt", "Online", "Aktiv", "10.0.0.5", ""}));
    }

    // Bytes read as they stand: a mark before the tag spoils the tag, broken UTF-8 in a name
    // becomes replacement characters, and what a peer sends reads back unchanged.
    void dekodierung() {
        Innen(*FForm).UdpS1SenderUDPRead("\xEF\xBB\xBFVTR1|1|PC|anna|M1|1", "10.0.0.5");
        QCOMPARE(Innen(*FForm).ListView1->rowCount(), 0);
        Innen(*FForm).UdpS1SenderUDPRead("VTR1|1|\xEF\xBB\xBF\xEF\xBB\xBFPC\xC3\x28|anna|M1|1", "10.0.0.5");
        QCOMPARE(Innen(*FForm).ListView1->rowCount(), 1);
        const QString name = Innen(*FForm).HostList->Get(0).PC;
        QCOMPARE(name, QStringLiteral(u"\uFEFF\uFEFFPC\uFFFD("));
        for (const QString& text : {name, QStringLiteral(u"\uFEFF"), QString::fromUtf8("Büro|Ä")})
            QCOMPARE(Protokoll::Dekodieren(Protokoll::Kodieren(text)), text);
    }
};

QTEST_MAIN(TstPraesenz)
#include "tst_praesenz.moc"
