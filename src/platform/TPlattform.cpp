#include "platform/TPlattform.h"

#include <atomic>

TPlattform* ErzeugeSystemPlattform(); // defined by the per-OS folder

namespace {
std::atomic<TPlattform*> aktuelle{nullptr};
// The one the process created itself; a fake installed by a test belongs to the test.
std::atomic<TPlattform*> eigene{nullptr};
} // namespace

TPlattform& Plattform() {
    TPlattform* p = aktuelle.load();
    if (!p) {
        TPlattform* neu = ErzeugeSystemPlattform();
        TPlattform* erwartet = nullptr;
        if (aktuelle.compare_exchange_strong(erwartet, neu)) {
            p = neu;
            eigene.store(neu);
        } else {
            delete neu;
            p = erwartet;
        }
    }
    return *p;
}

void SetzePlattform(TPlattform* plattform) {
    aktuelle.store(plattform);
}

void PlattformBeenden() {
    TPlattform* p = eigene.exchange(nullptr);
    if (!p)
        return;
    TPlattform* erwartet = p;
    aktuelle.compare_exchange_strong(erwartet, nullptr);
    delete p;
}

bool TitelPasst(const QString& titel, const QString& text) {
    if (titel.isEmpty() || text.isEmpty())
        return false;
    const qsizetype p = titel.indexOf(text);
    return p >= 0 && p == titel.size() - text.size();
}
