#include "platform/TInstanz.h"

bool TitelPasst(const QString& titel, const QString& text) {
    if (titel.isEmpty() || text.isEmpty())
        return false;
    const qsizetype p = titel.indexOf(text);
    return p >= 0 && p == titel.size() - text.size();
}
