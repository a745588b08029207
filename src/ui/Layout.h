#pragma once
// Measuring routines every window lays itself out with, so controls grow with the font.

#include <QFont>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

enum class TSchalterArt { Sonstige, Edit, Button, StatusBar, RadioGroup, CheckBox };

// Height a control of this kind needs for one line of text in the font.
int GetSchalterHoehe(const QFont& font, TSchalterArt art);
// Width of the text followed by one blank.
int GetTextBreite(const QFont& font, const QString& text);
QString EntferneAmpersand(const QString& text);
// The caption of the standard OK button, as Qt's own dialogs show it (translated; no access
// key: Return presses it as the default button).
QString OkBeschriftung();

class QAbstractButton;
class QWidget;
struct TProgrammSchrift;

// The colour and font rule every window applies to its controls: text areas (lists, labels,
// edits, check boxes, radio groups, status bars, date and time fields) take the background
// colour and a full copy of the program font; buttons take typeface, size and style only.
void TextbereichGestalten(QWidget* steuerelement, const TProgrammSchrift& schrift, const QColor& hintergrund);
void KnopfGestalten(QAbstractButton* knopf, const TProgrammSchrift& schrift);

class QFormLayout;
class QLineEdit;
// One labelled edit line of a form, in the program's font and colour; the label's access key
// leads to the edit.
QLineEdit* FormularZeile(QWidget* eltern, QFormLayout* formular, const QString& name, const QString& text,
                         const TProgrammSchrift& schrift, const QColor& hintergrund);

// --- Bounds of the screen -------------------------------------------------------------------

// The work area (the screen without panels) of the screen the window is on or will open on.
QRect Arbeitsbereich(const QWidget* fenster);
// The frame the window system puts around the window, as far as it has told it yet (often
// nothing before the first showing, and nothing again while it is hidden). Where it has told
// none or one that cannot be true, `ersatz` (the last frame known for the window) stands in.
QMargins FensterRahmen(const QWidget* fenster, const QMargins& ersatz = {});
// Whether a frame told by the window system can be true on a work area of this size. Right
// after reparenting some window managers' frame window is still 1 x 1, which makes the
// margins negative by about the window's size.
bool RahmenPlausibel(const QMargins& rahmen, const QSize& arbeit);
// The largest client size with which the window, frame included, still fits the work area.
QSize GroessteClientGroesse(const QWidget* fenster);

// Where a window of outer size `aussen` goes when centred on `bereich` with its top-left
// corner kept on it, then shifted into the work area `arbeit` as far as needed.
QPoint ZentriertePosition(const QSize& aussen, const QRect& bereich, const QRect& arbeit);
// Centres the window, frame included, so (the work area of its screen).
void FensterZentrieren(QWidget* fenster, const QRect& bereich);
// Centres a dialog on its whole screen (not the work area), as above.
void AufBildschirmZentrieren(QWidget* fenster);

// Before a window is first shown most desktops have not told its frame yet, so a window
// laid out to fill the work area can end up reaching past it by that frame. This runs
// `anordnen` again once the frame is known and the window, frame included, does not fit.
void NachRahmenNeuAnordnen(QWidget* fenster, std::function<void()> anordnen);

// --- Room for captions -----------------------------------------------------------------------

// Client width a window needs for the window system to show its whole title. The window
// manager draws it in a font of its own that Qt is not told: estimated as the desktop's
// font in bold, with room for the title bar's icon and buttons beside it.
int TitelBreiteNoetig(const QWidget* fenster);

// Width a check box or label needs to show its whole caption (style margins, indicator).
int BreiteNoetig(const QWidget* steuerelement);
// Width a button needs for its caption with room around it: the caption without "&" and
// with "MM" added, as the background dialog's rule measures its buttons.
int KnopfBreiteNoetig(const QAbstractButton* knopf);

// Shares `platz` pixels among the controls of a row: each gets its wished width where that
// is at least what it needs; otherwise the ones short of room take it from the others in
// proportion to what those can spare. Empty when the needs alone exceed `platz`.
std::optional<QList<int>> BreitenVerteilen(const QList<int>& wunsch, const QList<int>& bedarf, int platz);

// Splits controls, in their order, into as few rows of `breite` pixels as possible with
// `abstand` between neighbours; one wider than a row gets a row of its own. Lists the
// indices of each row.
QList<QList<int>> ZeilenUmbrechen(const QList<int>& bedarf, int breite, int abstand);
