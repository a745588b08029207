#pragma once
// Drives a field editor with a short script, one letter per action, so that many cases fit
// in data tables: digits type, B Backspace, L/R/H/E Left/Right/Home/End, U/D up/down,
// P/N Page Up/Down, X Delete, C CheckEingabe, other characters are typed as they are.

#include "schedule/TTeilEditor.h"

#include <QString>

inline void SkriptAusfuehren(TTeilEditor& editor, const QString& skript) {
    for (QChar c : skript) {
        switch (c.unicode()) {
        case u'B':
            editor.Zeichen(QChar(u'\b'));
            break;
        case u'L':
            editor.Taste(TTaste::Links);
            break;
        case u'R':
            editor.Taste(TTaste::Rechts);
            break;
        case u'H':
            editor.Taste(TTaste::Pos1);
            break;
        case u'E':
            editor.Taste(TTaste::Ende);
            break;
        case u'U':
            editor.Taste(TTaste::Auf);
            break;
        case u'D':
            editor.Taste(TTaste::Ab);
            break;
        case u'P':
            editor.Taste(TTaste::BildAuf);
            break;
        case u'N':
            editor.Taste(TTaste::BildAb);
            break;
        case u'X':
            editor.Taste(TTaste::Entf);
            break;
        case u'C':
            editor.CheckEingabe();
            break;
        default:
            editor.Zeichen(c);
            break;
        }
    }
}
