#pragma once
// Measuring routines every window lays itself out with, so controls grow with the font.

#include <QFont>
#include <QString>

enum class TSchalterArt { Sonstige, Edit, Button, StatusBar, RadioGroup, CheckBox };

// Height a control of this kind needs for one line of text in the font.
int GetSchalterHoehe(const QFont& font, TSchalterArt art);
// Width of the text followed by one blank.
int GetTextBreite(const QFont& font, const QString& text);
QString EntferneAmpersand(const QString& text);
