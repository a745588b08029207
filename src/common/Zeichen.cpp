#include "common/Zeichen.h"

std::optional<int> Ziffernfolge(QStringView text, int maxStellen) {
    if (text.isEmpty() || text.size() > maxStellen)
        return std::nullopt;
    int wert = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        wert = wert * 10 + (c.unicode() - u'0');
    }
    return wert;
}
