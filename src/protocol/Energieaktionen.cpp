#include "protocol/Energieaktionen.h"

#include "platform/TPlattform.h"

namespace Energieaktionen {

bool Hibernieren() {
    if (!Plattform().HibernationErlaubt())
        return false;
    Plattform().ProgrammStarten(QStringLiteral("systemctl"), {QStringLiteral("hibernate")});
    return true;
}

// The system's default delay of the shutdown command applies, as it would on Windows.
void Herunterfahren() {
    Plattform().ProgrammStarten(QStringLiteral("shutdown"), {QStringLiteral("-P")});
}

void Neustarten() {
    Plattform().ProgrammStarten(QStringLiteral("shutdown"), {QStringLiteral("-r")});
}

bool SuspendComputer() {
    return Plattform().Schlafen();
}

} // namespace Energieaktionen
