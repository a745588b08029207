#include "support/TestUmgebung.h"
#include "support/TForm1Innen.h"

#include "app/TForm1.h"

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QTest>

#include "common/ResConst.h"
#include "hosts/Datenpfade.h"

TMeldungsSkript::TMeldungsSkript() {
    Meldungen::SetzeAutomat([this](const Meldungen::TAnfrage& a) -> std::optional<bool> {
        Texte << a.Text;
        Arten << a.Art;
        if (a.Dialog && DialogFueller)
            DialogFueller(a.Dialog);
        return FAntworten.isEmpty() ? false : FAntworten.dequeue();
    });
}

TMeldungsSkript::~TMeldungsSkript() {
    Meldungen::SetzeAutomat({});
}

void TMeldungsSkript::Antworten(std::initializer_list<bool> antworten) {
    for (bool a : antworten)
        FAntworten.enqueue(a);
}

namespace {
TTestUmgebung* aktuelle = nullptr;
}

TTestUmgebung::TTestUmgebung() : FVorige(aktuelle) {
    DatenpfadeSetzen(Laufzeit, FFake, FFake, FFake.Starteintraege);
    aktuelle = this;
}

TTestUmgebung::~TTestUmgebung() {
    aktuelle = FVorige;
}

TTestUmgebung& TTestUmgebung::Aktuelle() {
    Q_ASSERT(aktuelle);
    return *aktuelle;
}

void TTestUmgebung::NetzEinrichten() {
    TNetz::TRohSchnittstelle eth;
    eth.Name = QStringLiteral("eth0");
    eth.Adresse = 0x0A000001;
    eth.Maske = 0xFFFFFF00;
    eth.Broadcast = 0x0A0000FF;
    eth.Flags = TNetz::FlagUp | TNetz::FlagBroadcast | TNetz::FlagMulticast;
    TNetz::TRohSchnittstelle lo;
    lo.Name = QStringLiteral("lo");
    lo.Adresse = 0x7F000001;
    lo.Maske = 0xFF000000;
    lo.Flags = TNetz::FlagUp | TNetz::FlagLoopback;
    Fake().FSchnittstellen = {lo, eth};
    Fake().FHardware.insert(eth.Adresse, QByteArray::fromHex("020000000001"));
}

std::unique_ptr<TForm1> FormStarten(const QStringList& argumente, quint16 befehlPort, quint16 senderPort) {
    TForm1Optionen o;
    o.BefehlPort = befehlPort;
    o.SenderPort = senderPort;
    o.Argumente = argumente;
    TTestUmgebung& u = TTestUmgebung::Aktuelle();
    auto form = std::make_unique<TForm1>(u.Plattform(), u.Laufzeit, o);
    // The first tick decides about showing; it comes 5 ms after creation.
    QDeadlineTimer frist(5000);
    while (Innen(*form).Timer1Start.isActive() && !frist.hasExpired())
        QTest::qWait(5);
    return form;
}

quint16 ZufallsPort() {
    return quint16(20000 + QRandomGenerator::global()->bounded(30000));
}
