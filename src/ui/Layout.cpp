#include "ui/Layout.h"

#include <QFontMetrics>

int GetSchalterHoehe(const QFont& font, TSchalterArt art) {
    // The line height of an auto-sized label showing "M".
    const int l = QFontMetrics(font).height();
    switch (art) {
    case TSchalterArt::Edit:
    case TSchalterArt::RadioGroup:
    case TSchalterArt::CheckBox:
        return l + 8;
    case TSchalterArt::Button:
        return l + 12;
    case TSchalterArt::StatusBar:
        return l + 6;
    case TSchalterArt::Sonstige:
        break;
    }
    return l;
}

int GetTextBreite(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text + u' ');
}

QString EntferneAmpersand(const QString& text) {
    QString t = text;
    t.remove(u'&');
    return t;
}
