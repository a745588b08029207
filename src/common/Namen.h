#pragma once
// Names the user gives (own user name, device and user names of hosts) travel in the
// presence datagrams and the host list file, whose fields are cut at "|" and at line ends.

#include <QString>

// Without blanks and control characters at either end.
QString NameTrimmen(const QString& name);
// True for characters a name must not hold anywhere: the field separator and controls.
bool NamenZeichenVerboten(QChar c);
// Drops forbidden characters, then trims: what a stored name may safely be announced as.
QString NameBereinigen(const QString& name);
