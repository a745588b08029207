#include "platform/linux/NachbarBudget.h"

#include <QMutexLocker>

void TNachbarBudget::Aufraeumen(TUhr::time_point jetzt) {
    while (!FAblauf.empty() && FAblauf.begin()->first <= jetzt) {
        FPlaetze.remove(FAblauf.begin()->second);
        FAblauf.erase(FAblauf.begin());
    }
}

void TNachbarBudget::Setzen(quint32 adresse, TUhr::time_point bis) {
    const auto alt = FPlaetze.constFind(adresse);
    if (alt != FPlaetze.constEnd()) {
        bis = std::max(bis, alt.value()->first);
        FAblauf.erase(alt.value());
    }
    FPlaetze.insert(adresse, FAblauf.emplace(bis, adresse));
}

std::optional<TNachbarBudget::TUhr::duration> TNachbarBudget::Belegen(quint32 adresse, TUhr::time_point jetzt,
                                                                      TUhr::time_point bis) {
    QMutexLocker sperre(&FSperre);
    Aufraeumen(jetzt);
    if (!FPlaetze.contains(adresse) && FPlaetze.size() >= FGrenze)
        return FAblauf.empty() ? std::chrono::milliseconds(10) : FAblauf.begin()->first - jetzt;
    Setzen(adresse, bis);
    return std::nullopt;
}

void TNachbarBudget::Verlaengern(quint32 adresse, TUhr::time_point bis) {
    QMutexLocker sperre(&FSperre);
    if (FPlaetze.contains(adresse))
        Setzen(adresse, bis);
}

void TNachbarBudget::Freigeben(quint32 adresse) {
    QMutexLocker sperre(&FSperre);
    if (const auto platz = FPlaetze.constFind(adresse); platz != FPlaetze.constEnd()) {
        FAblauf.erase(platz.value());
        FPlaetze.erase(platz);
    }
}

int TNachbarBudget::Belegt(TUhr::time_point jetzt) {
    QMutexLocker sperre(&FSperre);
    Aufraeumen(jetzt);
    return int(FPlaetze.size());
}

TNachbarBudget& NachbarBudget() {
    static TNachbarBudget budget(NachbarBudgetGrenze);
    return budget;
}
