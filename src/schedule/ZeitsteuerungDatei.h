#pragma once
// The schedule file "Zeitsteuerung.txt": one line holding the schedule body.

#include <QByteArray>
#include <QString>
#include <optional>

class TDateien;

// A bigger file is not read at all; a schedule body is about twenty characters, and a rich-text
// file written by a word processor stays far below it.
constexpr qint64 MaxZeitsteuerungDateiGroesse = 4 * 1024 * 1024;

// The file's text: a UTF-8 or UTF-16 byte-order mark honoured, otherwise the ANSI code page;
// a file beginning with "{\r" is rich text and its plain text is taken. Trimmed of blanks and
// line breaks at both ends.
QString ZeitsteuerungDateiText(TDateien& dateien, const QByteArray& daten);

// Reads the file (a regular file only, at most MaxZeitsteuerungDateiGroesse bytes); nothing
// when it is missing or cannot be read, and then grund (if given) says why it could not be
// read, or stays empty when it is missing.
std::optional<QString> LeseZeitsteuerungDatei(TDateien& dateien, const QString& pfad,
                                              QString* grund = nullptr);

// Replaces the file whole with the body and CR LF in the ANSI code page. A read-only file is
// made writable first. The new content is written beside the file and renamed over it, so a
// failed write leaves the old file as it was. False on any failure, with grund saying why.
bool SchreibeZeitsteuerungDatei(TDateien& dateien, const QString& pfad, const QString& text,
                                QString* grund = nullptr);
