#pragma once
// Text files of the program: written in the system's ANSI code page without a byte-order
// mark; read with a UTF-8 or UTF-16 byte-order mark honoured, otherwise as ANSI.

#include <QByteArray>
#include <QString>
#include <QStringList>

class TDateien;

QString DekodiereTextdatei(TDateien& dateien, const QByteArray& daten);
QByteArray KodiereAnsi(TDateien& dateien, const QString& text);
// What a text file of the program holds: ANSI, unless the reader would take its first bytes
// for a byte-order mark; then UTF-8 with a mark.
QByteArray KodiereTextdatei(TDateien& dateien, const QString& text);

// Splits at CR LF, a lone CR or a lone LF; a final line break yields no empty last line.
QStringList TeileZeilen(const QString& text);
