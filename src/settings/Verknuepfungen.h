#pragma once
// Desktop launcher and autostart entry: freedesktop ".desktop" files that start the
// program, the autostart one with "/systemstartup" so it comes up hidden in the tray.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

inline const QString SystemstartArgument = QStringLiteral("/systemstartup");

// One argument of an Exec line: quoted when it holds a reserved character, with "%"
// doubled so it is never taken for a field code.
QString ExecArgument(const QString& argument);
// The escapes of a string value of a desktop entry; nothing when the text holds a
// control character a desktop entry cannot carry.
std::optional<QString> DesktopString(const QString& text);
// The file's contents; nothing when a path cannot be written into a desktop entry.
// An empty working folder means the target's folder.
std::optional<QByteArray> DesktopEintrag(const QString& zielPfad, const QStringList& argumente,
                                         const QString& beschreibung, const QString& arbeitsOrdner);

// Writes (or replaces, also a read-only one) the entry at linkPfad; true when saved.
// The hotkey and show command of a Windows shortcut have no counterpart here.
bool SchreibeVerknuepfung(const QString& linkPfad, const QString& zielPfad, const QStringList& argumente,
                          const QString& beschreibung = QString(), const QString& arbeitsOrdner = QString());

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
    // From the process-wide paths DesktopLink, DesktopLinkAlle, AutostartLink and the
    // running program.
    TVerknuepfungen();
    TVerknuepfungen(QString desktopLink, QString desktopLinkAlle, QString autostartLink, QString programm);

    // Cb1Desktop: the user's or the common entry exists; Cb1Autostart: the autostart one.
    bool DesktopVorhanden() const;
    bool AutostartVorhanden() const;

    // Carries out a file action; ScannerSetzen and Nichts do nothing here. Failures are
    // silent: the next refresh of the boxes shows the true state.
    void Ausfuehren(TVerknuepfungsAktion aktion) const;

private:
    QString FDesktop, FDesktopAlle, FAutostart, FProgramm;
};

// Clears the file's attributes so a read-only entry goes too, then deletes it; an empty
// path (a folder this system does not have) is skipped.
bool VerknuepfungLoeschen(const QString& pfad);
