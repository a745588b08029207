#include "schedule/Piep.h"

#include <QApplication>

namespace {
std::function<void()>& Ersatz() {
    static std::function<void()> piep;
    return piep;
}
} // namespace

void FeldPiep() {
    if (Ersatz())
        Ersatz()();
    else
        QApplication::beep();
}

void SetzeFeldPiep(std::function<void()> piep) {
    Ersatz() = std::move(piep);
}
