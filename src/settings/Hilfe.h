#pragma once
// The "&Hilfe" menu's logic: which items are available, the texts and addresses, and the
// hand-off to the maker's separate updater "Renovo.exe".

#include "settings/Hersteller.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

class TDateien;
class TProgramme;

// What the help menu needs of the system.
struct THilfeUmgebung {
    QString ProgrammDatei; // the running program, as it was started
    TDateien& Dateien;
    TProgramme& Programme;
    THersteller Hersteller = BauHersteller();
};

inline const QString HistoryName = QStringLiteral("History.txt");
inline const QString UpdaterName = QStringLiteral("Renovo.exe");
inline const QString UebergabeName = QStringLiteral("Veltrano.cfg");

// Folder of the running program, with a trailing "/".
QString ProgrammOrdner(const THilfeUmgebung& u);
// The change history that came with the program (beside it, or in the installation's
// documents folder); empty when there is none.
QString HistoryDatei(const THilfeUmgebung& u);
// "Programm-&Änderungen..." is enabled exactly when the history is there; "Programm-
// &Aktualisierung..." and the tray's "&Update..." are shown exactly when the updater lies
// beside the program.
bool HistoryVorhanden(const THilfeUmgebung& u);
bool UpdaterVorhanden(const THilfeUmgebung& u);

// The product, what it does, and the maker's lines that are not empty.
QString ProgrammInfoText(const THersteller& h);
// Empty where the maker gives no such address.
QUrl HomepageUrl(const THersteller& h);
QUrl MailUrl(const THersteller& h);
QUrl SpendenUrl(const THersteller& h);
QUrl HistoryUrl(const THilfeUmgebung& u);

// The hand-off file in the user's temporary folder.
QString UebergabeDatei(const THilfeUmgebung& u);
// Its five lines: product, window caption, program path, product name, "<points> <typeface>".
// The program path is the one the program was started from.
QStringList UebergabeZeilen(const THilfeUmgebung& u, const QString& fensterTitel, int punkte,
                            const QString& schriftName);
// In the system's ANSI encoding, every line ended by CR LF, no byte-order mark.
QByteArray UebergabeInhalt(TDateien& dateien, const QStringList& zeilen);
// Replaces the file, also a read-only one; a symbolic link planted at its place in the
// shared temporary folder is removed, never written through. True when written.
bool UebergabeSchreiben(TDateien& dateien, const QString& pfad, const QByteArray& inhalt);
QString UpdateFehlerText(const QString& pfad);

// Starts a program without waiting for it; the result is not used. Empty: the system's way.
using TProgrammStarter = std::function<void(const QString& programm, const QStringList& argumente)>;

// Writes the hand-off file and starts the updater beside the program with "Veltrano.cfg".
// Returns the failure message when the file could not be written, or when the program file
// is gone (a path that names nothing would hand the updater nothing to replace); nothing is
// started then.
std::optional<QString> UpdateUebergeben(const THilfeUmgebung& u, const QString& fensterTitel, int punkte,
                                        const QString& schriftName, const TProgrammStarter& starter = {});
