#pragma once
// Power actions on Linux: logind on the system bus for sleep and hibernation and their
// notices, the shutdown and systemctl commands, and Samba's remote shutdown for computers
// that run no peer instance.

#include "platform/TEnergie.h"

#include <memory>

class TDateien;
class TLogind;
class TProgramme;

class TLinuxEnergie : public TEnergie {
    Q_OBJECT
public:
    // Commands are started through programme, so they can be recorded; the credentials
    // for the remote shutdown live in the settings folder of dateien.
    TLinuxEnergie(TProgramme& programme, TDateien& dateien);
    ~TLinuxEnergie() override;

    void HibernationPruefen(std::function<void(bool)> antwort) override;
    bool Hibernieren(TBeendet beendet = {}) override;
    bool Schlafen() override;
    bool Herunterfahren(TBeendet beendet = {}) override;
    bool Neustarten(TBeendet beendet = {}) override;
    void FernAbschalten(const QString& ip, bool neustartS, TFernErgebnis fertig) override;
    TFernanmeldung FernanmeldungLesen() override;
    bool FernanmeldungSpeichern(const TFernanmeldung& anmeldung) override;
    // Samba's authentication file "Fernanmeldung" in the program's settings folder.
    QString FernanmeldungDatei() const;
    void Beginnen() override;
    void SchlafFreigeben() override;

private:
    TProgramme& FProgramme;
    TDateien& FDateien;
    std::unique_ptr<TLogind> FLogind;
};
