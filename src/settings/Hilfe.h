#pragma once
// The "&Hilfe" menu's logic: which items are available, the texts and addresses, and the
// hand-off to the maker's separate updater "Renovo.exe".

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

inline const QString HistoryName = QStringLiteral("History.txt");
inline const QString UpdaterName = QStringLiteral("Renovo.exe");
inline const QString UebergabeName = QStringLiteral("Veltrano.cfg");

// Folder of the running program, with a trailing "/".
QString ProgrammOrdner();
// "Programm-&Änderungen..." is enabled, "Programm-&Aktualisierung..." and the tray's
// "&Update..." are shown, exactly when the file lies beside the program.
bool HistoryVorhanden();
bool UpdaterVorhanden();

QString ProgrammInfoText();
QUrl HomepageUrl();
QUrl MailUrl();
QUrl SpendenUrl();
QUrl HistoryUrl();

// The hand-off file in the user's temporary folder.
QString UebergabeDatei();
// Its five lines: product, window caption, program path, product name, "<points> <typeface>".
QStringList UebergabeZeilen(const QString& fensterTitel, int punkte, const QString& schriftName);
// In the system's ANSI encoding, every line ended by CR LF, no byte-order mark.
QByteArray UebergabeInhalt(const QStringList& zeilen);
// Replaces the file, also a read-only one; a symbolic link planted at its place in the
// shared temporary folder is removed, never written through. True when written.
bool UebergabeSchreiben(const QString& pfad, const QByteArray& inhalt);
QString UpdateFehlerText(const QString& pfad);

// Starts a program without waiting for it; the result is not used.
using TProgrammStarter = std::function<void(const QString& programm, const QStringList& argumente)>;
void ProgrammLosgeloestStarten(const QString& programm, const QStringList& argumente);

// Writes the hand-off file and starts the updater beside the program with "Veltrano.cfg".
// Returns the failure message when the file could not be written (nothing started then).
std::optional<QString> UpdateUebergeben(const QString& fensterTitel, int punkte, const QString& schriftName,
                                        const TProgrammStarter& starter = ProgrammLosgeloestStarten);
