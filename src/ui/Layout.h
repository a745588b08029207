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

class QAbstractButton;
class QWidget;
struct TProgrammSchrift;

// The colour and font rule every window applies to its controls: text areas (lists, labels,
// edits, check boxes, radio groups, status bars, date and time fields) take the background
// colour and a full copy of the program font; buttons take typeface, size and style only.
void TextbereichGestalten(QWidget* steuerelement, const TProgrammSchrift& schrift, const QColor& hintergrund);
void KnopfGestalten(QAbstractButton* knopf, const TProgrammSchrift& schrift);

// Centres a dialog on its whole screen (not the work area), top-left corner kept on it.
void AufBildschirmZentrieren(QWidget* fenster);
