#include "platform/linux/TLinuxEnergie.h"

#include "platform/TProgramme.h"
#include "platform/linux/TLogind.h"

TLinuxEnergie::TLinuxEnergie(TProgramme& programme) : FProgramme(programme) {}

TLinuxEnergie::~TLinuxEnergie() = default;

void TLinuxEnergie::HibernationPruefen(std::function<void(bool)> antwort) {
    TLogind::HibernationPruefen(this, std::move(antwort));
}

bool TLinuxEnergie::Hibernieren() {
    return FProgramme.ProgrammStarten(QStringLiteral("systemctl"), {QStringLiteral("hibernate")});
}

bool TLinuxEnergie::Schlafen() {
    return TLogind::Schlafen();
}

// The system's default delay of the shutdown command applies, as it would on Windows.
bool TLinuxEnergie::Herunterfahren() {
    return FProgramme.ProgrammStarten(QStringLiteral("shutdown"), {QStringLiteral("-P")});
}

bool TLinuxEnergie::Neustarten() {
    return FProgramme.ProgrammStarten(QStringLiteral("shutdown"), {QStringLiteral("-r")});
}

bool TLinuxEnergie::FernAbschalten(const QString& ip, bool neustartS) {
    // Samba's remote shutdown, which needs rights on the target.
    QStringList argumente{QStringLiteral("rpc"), QStringLiteral("shutdown")};
    if (neustartS)
        argumente << QStringLiteral("-r");
    argumente << QStringLiteral("-I") << ip;
    return FProgramme.ProgrammStarten(QStringLiteral("net"), argumente);
}

void TLinuxEnergie::Beginnen() {
    FLogind = std::make_unique<TLogind>();
    connect(FLogind.get(), &TLogind::SchlafBeginnt, this, &TEnergie::SchlafBeginnt);
    connect(FLogind.get(), &TLogind::Aufgewacht, this, &TEnergie::Aufgewacht);
}

void TLinuxEnergie::SchlafFreigeben() {
    if (FLogind)
        FLogind->SchlafFreigeben();
}
