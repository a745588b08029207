#pragma once
// The program's files on Linux: reading without ever blocking, the reasons of failures in
// German, and the fallback encoding of text files a Windows installation wrote.

#include "platform/TDateien.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

// TDateien::DateiLesen: stat first (a pipe, device or socket is never opened), then the file
// opened non-blocking and checked again, read whole up to hoechstens bytes.
TDateien::TGelesen LinuxDateiLesen(const QString& pfad, qint64 hoechstens);

// TDateien::DateiSchreiben without making a read-only file writable first: the content goes
// into an unnamed file in the target's folder (O_TMPFILE; where the file system has none, a
// named one beside it), is synced to the disk, then linked as "<name>.XXXXXX" and renamed
// over the target, which keeps its permissions. A link's target is replaced, the link stays.
// With direktErlaubtS a folder the program may not create files in lets it write the target in
// place. On failure the target is untouched (but in place) and grund says why.
// With geheimS the file is the owner's alone (0600) from the start, whatever it was before,
// and is never written in place.
bool LinuxDateiErsetzen(const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS, QString* grund,
                        bool geheimS = false);

// TDateien::FuerAndereLesbarS: the group's or others' read bit.
std::optional<bool> LinuxFuerAndereLesbarS(const QString& pfad);
// TDateien::DateiAnhaengen: O_APPEND, non-blocking, no sync; only a regular file.
bool LinuxDateiAnhaengen(const QString& pfad, const QByteArray& inhalt, qint64 hoechstens, QString* grund);

// The program's path from the target of /proc/self/exe. Once the file was replaced (a package
// upgrade renames the new version over it) or removed, the kernel appends " (deleted)"; the
// path it started from is without it.
QString ProgrammDateiAusLink(const QString& ziel);

// TDateien::BeigelegteDatei: beside the program (a build tree), else in the documents folder
// of the installation the program lies in.
QString LinuxBeigelegteDatei(const QString& programmDatei, const QString& name);

// A German phrase for an error number ("keine Berechtigung"); the system's text for the rare
// ones.
QString LinuxFehlerText(int fehler);

// Windows-1252, the ANSI code page of German and Western European Windows installations: its
// characters 0x80 to 0x9F are "€", "„", "“" and the like, where Latin-1 has control
// characters. The five bytes the code page leaves unassigned become U+0081, U+008D, U+008F,
// U+0090 and U+009D, as Windows itself converts them.
QString VonWindows1252(QByteArrayView daten);
