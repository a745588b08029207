#pragma once
// Desktop launcher and autostart entry of the program, the autostart one with
// "/systemstartup" so it comes up hidden in the tray.

#include <QString>
#include <optional>

class TDateien;
class TLaufzeit;
class TStarteintraege;

inline const QString SystemstartArgument = QStringLiteral("/systemstartup");
// The autostart box and its tray menu copy: the entry starts the program when the user logs
// in. The access key "n" is free in the main window, its menu bar and the tray menu.
inline const QString AutostartBeschriftung = QStringLiteral("Beim A&nmelden starten");

// What a change of one of the three check boxes (tags: 1 desktop, 2 autostart, 3 scanner)
// must do. Only a box the user changed (it has the focus) touches files, so refreshing the
// boxes from the files never writes or deletes one; while the window is hidden in the tray
// the tray menu changes the autostart box without focusing it, so then every change acts.
enum class TVerknuepfungsAktion {
    Nichts,
    DesktopSchreiben,
    DesktopLoeschen, // the user's and the common one
    AutostartSchreiben,
    AutostartLoeschen,
    ScannerSetzen, // to the box's state
};
TVerknuepfungsAktion Cb1DesktopAutostartScannerAktion(int tag, bool checkedS, bool fokusS,
                                                      bool traySichtbarS);

// The three entry files of this program and the program they start.
class TVerknuepfungen {
public:
    // From the paths DesktopLink, DesktopLinkAlle, AutostartLink and the running program.
    TVerknuepfungen(const TLaufzeit& laufzeit, TStarteintraege& eintraege, TDateien& dateien);
    TVerknuepfungen(QString desktopLink, QString desktopLinkAlle, QString autostartLink, QString programm,
                    TStarteintraege& eintraege, TDateien& dateien);

    // Cb1Desktop: the user's or the common entry exists; Cb1Autostart: the autostart one.
    bool DesktopVorhanden() const;
    bool AutostartVorhanden() const;

    // Carries out a file action; ScannerSetzen and Nichts do nothing here. An entry is only
    // written for a program file that exists: when it is gone (the program was removed or
    // moved while it runs) nothing is written and the message for the user comes back. Other
    // failures are silent: the next refresh of the boxes shows the true state.
    std::optional<QString> Ausfuehren(TVerknuepfungsAktion aktion) const;

private:
    QString FDesktop, FDesktopAlle, FAutostart, FProgramm;
    TStarteintraege& FEintraege;
    TDateien& FDateien;
};

// The program file the program was started from is gone.
QString ProgrammFehltText(const QString& programm);

// Clears the file's attributes so a read-only entry goes too, then deletes it; an empty
// path (a folder this system does not have) is skipped.
bool VerknuepfungLoeschen(TDateien& dateien, const QString& pfad);
