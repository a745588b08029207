#include "platform/linux/TLinuxInstanz.h"

#include "common/ResConst.h"
#include "platform/linux/TInstanzWaechter.h"
#include "platform/linux/TSignalWaechter.h"

TLinuxInstanz::TLinuxInstanz() : FWaechter(std::make_unique<TInstanzWaechter>(ProgrammTitel)) {
    connect(FWaechter.get(), &TInstanzWaechter::NachrichtEmpfangen, this, &TInstanz::NachrichtEmpfangen);
}

// The local socket and the lock go before the event loop's objects do.
TLinuxInstanz::~TLinuxInstanz() = default;

bool TLinuxInstanz::Beanspruchen() {
    return FWaechter->Beanspruchen();
}

void TLinuxInstanz::Lauschen() {
    FWaechter->Lauschen();
    FSignale = std::make_unique<TSignalWaechter>();
    connect(FSignale.get(), &TSignalWaechter::SitzungEndet, this, &TInstanz::SitzungEndet);
}

bool TLinuxInstanz::NachrichtAnInstanz(const QString& titelEnde, int nachricht) {
    return FWaechter->NachrichtSenden(titelEnde, nachricht);
}

void TLinuxInstanz::SetzeFensterTitel(const QString& titel) {
    FWaechter->SetzeTitel(titel);
}

void TLinuxInstanz::SetzeAnfrageBeantworter(TBeantworter beantworter) {
    FWaechter->SetzeBeantworter(std::move(beantworter));
}

std::optional<QString> TLinuxInstanz::AnfrageAnInstanz(const QString& anfrage, int fristMs) {
    return FWaechter->Anfragen(anfrage, fristMs);
}
