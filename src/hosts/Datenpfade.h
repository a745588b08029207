#pragma once
// Where the program keeps its files, and who the local machine and user are.

class TDateien;
class TIdentitaet;
class TLaufzeit;
class TStarteintraege;

// Sets EigeneMAC (empty), EigenerPC, EigenerName, the program's file and every path; runs
// once before the main window exists.
void DatenpfadeSetzen(TLaufzeit& laufzeit, TDateien& dateien, TIdentitaet& identitaet,
                      TStarteintraege& eintraege);
