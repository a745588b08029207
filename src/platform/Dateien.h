#pragma once
// Replacing a file of the program whole, and keeping a damaged one aside.

#include <QByteArray>
#include <QString>
#include <optional>

class TDateien;

// Writes the content beside the file and renames it over the file only once every byte is
// on disk; on any failure (a full disk included) the old file stays as it was. With
// direktErlaubtS a folder the program may not create files in still lets it write the file
// in place. A read-only file is made writable first; a link stays a link, its target is
// replaced. Goes through the platform (TDateien::DateiSchreiben); grund, if given, receives
// why it failed.
bool DateiErsetzen(TDateien& dateien, const QString& pfad, const QByteArray& inhalt,
                   bool direktErlaubtS = false, QString* grund = nullptr);

// Keeps inhalt (the bytes of a file the program could not read whole) as a new file beside
// it: "<pfad>.defekt" (or another endung), or ".defekt2", ".defekt3", ... when that exists, so
// an earlier copy is never replaced. The path of the copy; nothing when it could not be
// written, with grund saying why.
std::optional<QString> KopieAufbewahren(TDateien& dateien, const QString& pfad, const QByteArray& inhalt,
                                        QString* grund, const QString& endung = QStringLiteral(".defekt"));

// A path as the user's system writes it, for messages.
QString PfadFuerMeldung(const QString& pfad);
