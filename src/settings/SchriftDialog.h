#pragma once
// The "&Schriftart..." dialog on the program font: typeface, size, style and the effects
// underline and strike-out, plus the text colour through a "&Farbe..." button, since the
// font dialog itself has no colour.

class QWidget;
struct TProgrammSchrift;

// True when the user confirmed; then schrift holds the new font and colour. The character
// set is not offered (fonts here cover all scripts) and stays as it was.
bool SchriftWaehlen(QWidget* eltern, TProgrammSchrift& schrift);
