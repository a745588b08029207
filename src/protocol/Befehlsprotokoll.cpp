#include "protocol/Befehlsprotokoll.h"

#include "platform/Dateien.h"
#include "platform/TDateien.h"

namespace {
QString Zeit(const QDateTime& zeit) {
    return zeit.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}
} // namespace

TBefehlsprotokoll::TBefehlsprotokoll(const QString& pfad, TDateien& dateien,
                                     std::function<void(const QString&)> melden, QObject* parent)
    : QObject(parent), FPfad(pfad), FDateien(dateien), FMelden(std::move(melden)) {
    FTakt.setSingleShot(true);
    connect(&FTakt, &QTimer::timeout, this, &TBefehlsprotokoll::Schreiben);
}

TBefehlsprotokoll::~TBefehlsprotokoll() {
    Schreiben();
}

void TBefehlsprotokoll::Eintragen(const QDateTime& zeit, const QString& ip, quint16 port, const QString& wort,
                                  const QString& ergebnis) {
    if (FPfad.isEmpty())
        return;
    FLetzteZeit = zeit;
    if (FZeilen >= PufferZeilen) {
        ++FVerworfen;
        return;
    }
    FPuffer += FDateien.ZuAnsi(
        QStringLiteral("%1  %2:%3  %4  %5\n").arg(Zeit(zeit), ip).arg(port).arg(wort, ergebnis));
    ++FZeilen;
    if (!FTakt.isActive())
        FTakt.start(TaktMs);
}

void TBefehlsprotokoll::Schreiben() {
    FTakt.stop();
    if (FVerworfen > 0)
        FPuffer += FDateien.ZuAnsi(
            QStringLiteral("%1  %2 weitere Befehle nicht protokolliert (zu viele auf einmal)\n")
                .arg(Zeit(FLetzteZeit))
                .arg(FVerworfen));
    if (FPuffer.isEmpty())
        return;
    QString grund;
    if (!FDateien.DateiAnhaengen(FPfad, FPuffer, HoechstGroesse, &grund) && !FGemeldetS && FMelden) {
        FGemeldetS = true;
        FMelden(QStringLiteral("Das Befehlsprotokoll \"%1\" konnte nicht geschrieben werden: %2.")
                    .arg(PfadFuerMeldung(FPfad), grund));
    }
    FPuffer.clear();
    FZeilen = 0;
    FVerworfen = 0;
}
