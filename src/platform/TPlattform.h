#pragma once
// Everything the program asks of the operating system, one narrow interface per job. main
// builds the system's implementations and hands this bundle on; tests hand fakes. No part
// of the program reaches the system any other way.

#include "platform/TDateien.h"
#include "platform/TEnergie.h"
#include "platform/TIdentitaet.h"
#include "platform/TInstanz.h"
#include "platform/TKlaenge.h"
#include "platform/TNetz.h"
#include "platform/TNetzSuche.h"
#include "platform/TProgramme.h"
#include "platform/TStarteintraege.h"
#include "platform/TUhr.h"

#include <memory>

struct TPlattform {
    TUhr& Uhr;
    TIdentitaet& Identitaet;
    TDateien& Dateien;
    TStarteintraege& Starteintraege;
    TProgramme& Programme;
    TEnergie& Energie;
    TInstanz& Instanz;
    TNetz& Netz;
    TNetzSuche& NetzSuche;
    TKlaenge& Klaenge;
};

// Owns the system's implementations for the life of the program.
class TSystemDienste {
public:
    virtual ~TSystemDienste() = default;
    virtual TPlattform Dienste() = 0;
};
// Defined by the folder of the system the program is built for.
std::unique_ptr<TSystemDienste> ErzeugeSystemDienste();
