#pragma once
// Replacing a file of the program whole.

#include <QByteArray>
#include <QString>

class TDateien;

// Writes the content beside the file and renames it over the file only once every byte is
// on disk; on any failure (a full disk included) the old file stays as it was. With
// direktErlaubtS a folder the program may not create files in still lets it write the file
// in place. A read-only file is made writable first.
bool DateiErsetzen(TDateien& dateien, const QString& pfad, const QByteArray& inhalt,
                   bool direktErlaubtS = false);
