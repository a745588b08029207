#pragma once
// Small character rules several readers share.

#include <QStringView>
#include <optional>

// Value of an ASCII hexadecimal digit (either case), or -1.
constexpr int HexWert(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// A whole number of 1..maxStellen ASCII digits and nothing else (no sign, no blanks).
std::optional<int> Ziffernfolge(QStringView text, int maxStellen);
