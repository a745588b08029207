#include "settings/Verknuepfungen.h"

#include "common/TLaufzeit.h"
#include "platform/TDateien.h"
#include "platform/TStarteintraege.h"

#include <QFile>
#include <QFileInfo>

namespace {
bool Vorhanden(const QString& pfad) {
    return !pfad.isEmpty() && QFileInfo::exists(pfad);
}
} // namespace

TVerknuepfungsAktion Cb1DesktopAutostartScannerAktion(int tag, bool checkedS, bool fokusS,
                                                      bool traySichtbarS) {
    if (tag == 1 && fokusS)
        return checkedS ? TVerknuepfungsAktion::DesktopSchreiben : TVerknuepfungsAktion::DesktopLoeschen;
    if (traySichtbarS || (tag == 2 && fokusS) || tag == 3) {
        if (tag == 2)
            return checkedS ? TVerknuepfungsAktion::AutostartSchreiben
                            : TVerknuepfungsAktion::AutostartLoeschen;
        if (tag == 3)
            return TVerknuepfungsAktion::ScannerSetzen;
    }
    return TVerknuepfungsAktion::Nichts;
}

bool VerknuepfungLoeschen(TDateien& dateien, const QString& pfad) {
    if (pfad.isEmpty())
        return false;
    const QFileInfo info(pfad);
    if (!info.exists() && !info.isSymLink())
        return false;
    dateien.DateiAttributeEntfernen(pfad);
    return QFile::remove(pfad);
}

TVerknuepfungen::TVerknuepfungen(const TLaufzeit& laufzeit, TStarteintraege& eintraege, TDateien& dateien)
    : TVerknuepfungen(laufzeit.DesktopLink, laufzeit.DesktopLinkAlle, laufzeit.AutostartLink,
                      laufzeit.ProgrammDatei, eintraege, dateien) {}

TVerknuepfungen::TVerknuepfungen(QString desktopLink, QString desktopLinkAlle, QString autostartLink,
                                 QString programm, TStarteintraege& eintraege, TDateien& dateien)
    : FDesktop(std::move(desktopLink)), FDesktopAlle(std::move(desktopLinkAlle)),
      FAutostart(std::move(autostartLink)), FProgramm(std::move(programm)), FEintraege(eintraege),
      FDateien(dateien) {}

bool TVerknuepfungen::DesktopVorhanden() const {
    return Vorhanden(FDesktop) || Vorhanden(FDesktopAlle);
}

bool TVerknuepfungen::AutostartVorhanden() const {
    return Vorhanden(FAutostart);
}

QString ProgrammFehltText(const QString& programm) {
    return QStringLiteral("Die Programmdatei „%1“ gibt es nicht mehr (das Programm wurde entfernt oder "
                          "verschoben).")
        .arg(programm);
}

std::optional<QString> TVerknuepfungen::Ausfuehren(TVerknuepfungsAktion aktion) const {
    const bool schreibenS = aktion == TVerknuepfungsAktion::DesktopSchreiben ||
                            aktion == TVerknuepfungsAktion::AutostartSchreiben;
    // An entry that starts nothing would fail silently at the next login.
    if (schreibenS && !QFileInfo(FProgramm).isFile())
        return ProgrammFehltText(FProgramm) +
               QStringLiteral(" Es wurde kein Eintrag geschrieben, der nichts starten würde. Ist das "
                              "Programm noch installiert, starten Sie es bitte neu.");
    switch (aktion) {
    case TVerknuepfungsAktion::DesktopSchreiben:
        FEintraege.Schreiben(FDesktop, FProgramm, {}, QString(), QString());
        break;
    case TVerknuepfungsAktion::DesktopLoeschen:
        VerknuepfungLoeschen(FDateien, FDesktop);
        VerknuepfungLoeschen(FDateien, FDesktopAlle);
        break;
    case TVerknuepfungsAktion::AutostartSchreiben:
        FEintraege.Schreiben(FAutostart, FProgramm, {SystemstartArgument}, QString(), QString());
        break;
    case TVerknuepfungsAktion::AutostartLoeschen:
        VerknuepfungLoeschen(FDateien, FAutostart);
        break;
    case TVerknuepfungsAktion::ScannerSetzen:
    case TVerknuepfungsAktion::Nichts:
        break;
    }
    return std::nullopt;
}
