#pragma once
// Where the program keeps its files, and who the local machine and user are.

#include "platform/TPlattform.h"

#include <QString>

QString GetSpecialFolder(TPlattform::TOrdner ordner);
QString ReadComputerName();
QString ReadUserName();
// Name of the launcher files: the program's file name with its extension replaced.
QString VerknuepfungsName();

// Sets EigeneMAC (empty), EigenerPC, EigenerName and every path; runs once before the
// main window exists.
void DatenpfadeSetzen();
