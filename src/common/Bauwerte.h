#pragma once
// What the build fixed: the installed names and folders, and the maker's data.

#include <QString>
#include <QStringList>

namespace Bauwerte {
// The name of the program file, its icon and its documents folder once installed.
QString Paketname();
// From the folder of the installed program to the installation's data and documents folders.
QString DatenVomProgramm();
QString DokumenteVomProgramm();
// From the folder of the program in a build tree to its icon file there.
QString SymbolImBaum();

// The maker's data; empty where the build names none.
QString HerstellerName();
QStringList HerstellerAnschrift(); // the address, line by line
QString Homepage();
QString Mail();
QString SpendenSeite();
} // namespace Bauwerte
