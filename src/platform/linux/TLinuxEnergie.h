#pragma once
// Power actions on Linux: logind on the system bus for sleep and hibernation and their
// notices, the shutdown and systemctl commands, and Samba's remote shutdown for computers
// that run no peer instance.

#include "platform/TEnergie.h"

#include <memory>

class TLogind;
class TProgramme;

class TLinuxEnergie : public TEnergie {
    Q_OBJECT
public:
    // Commands are started through programme, so they can be recorded.
    explicit TLinuxEnergie(TProgramme& programme);
    ~TLinuxEnergie() override;

    void HibernationPruefen(std::function<void(bool)> antwort) override;
    bool Hibernieren() override;
    bool Schlafen() override;
    bool Herunterfahren() override;
    bool Neustarten() override;
    bool FernAbschalten(const QString& ip, bool neustartS) override;
    void Beginnen() override;
    void SchlafFreigeben() override;

private:
    TProgramme& FProgramme;
    std::unique_ptr<TLogind> FLogind;
};
