#pragma once
// Plain text of a rich-text (RTF) document, for a schedule file saved by a word processor.
// One pass over the input; nesting, output and every number read are bounded, so truncated
// or hostile input ends early but never crashes or hangs.

#include <QByteArrayView>
#include <QString>

// Text of the document's body: paragraphs become line breaks, hidden destinations (font
// and colour tables, style sheets, document info, pictures, "\*" groups) are left out,
// "\'hh" bytes are decoded with the document's ANSI code page, "\uN" gives the character
// and skips its fallback. At most maxZeichen characters are returned.
QString RtfZuText(QByteArrayView rtf, qsizetype maxZeichen = 64 * 1024);

// True when the bytes begin like a rich-text file.
bool IstRtf(QByteArrayView daten);
