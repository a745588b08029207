#pragma once
// The program's names and the display texts of a host's state.

#include <QString>

inline const QString ProgrammTitel = QStringLiteral("Veltrano V1.01");
inline const QString ProgrammName = QStringLiteral("Veltrano");

enum class TStatus { sOffline = 0, sOnline = 1 };

// Display texts, indexed by the enumeration and by the Boolean; the view's colour rule
// compares against the same texts.
const QString& StatusText(TStatus s);
const QString& SenderText(bool senderS);
