#include "platform/TPlattform.h"

#include <atomic>

TPlattform* ErzeugeSystemPlattform(); // defined by the per-OS folder

namespace {
std::atomic<TPlattform*> aktuelle{nullptr};
}

TPlattform& Plattform() {
    TPlattform* p = aktuelle.load();
    if (!p) {
        TPlattform* neu = ErzeugeSystemPlattform();
        TPlattform* erwartet = nullptr;
        if (aktuelle.compare_exchange_strong(erwartet, neu))
            p = neu;
        else {
            delete neu;
            p = erwartet;
        }
    }
    return *p;
}

void SetzePlattform(TPlattform* plattform) { aktuelle.store(plattform); }

bool TitelPasst(const QString& titel, const QString& text) {
    if (titel.isEmpty() || text.isEmpty())
        return false;
    const qsizetype p = titel.indexOf(text);
    return p >= 0 && p == titel.size() - text.size();
}
