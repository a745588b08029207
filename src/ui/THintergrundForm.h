#pragma once
// The background colour dialog ("Schrifthintergrund wählen"): a list of the 19 colour
// names. The main window keeps one for its whole life and lets it remember the choice.

#include <QDialog>
#include <optional>

class QListWidget;
class QPushButton;
struct TProgrammSchrift;

class THintergrundForm : public QDialog {
    Q_OBJECT
public:
    // rand: the margin around and between the controls, in pixels.
    explicit THintergrundForm(QWidget* eltern = nullptr, int rand = 10);

    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr; // the standard OK
    QPushButton* Button2 = nullptr; // "&Abbrechen"
    int Rand;
    // The selection when the dialog was shown; Cancel, Esc and the close box go back to it.
    int MerkItemIndex = 0;

    int HintergrundNr() const;
    // An index outside 0 to 18 selects 0 ("Schwarz").
    void SetHintergrundNr(int nr);
    QColor HintergrundFarbe() const;

    void CaptionZuweisen();
    // Font and colour for the next showing; the layout follows when it is shown.
    void SchriftartZuweisen(const TProgrammSchrift& schrift, const QColor& farbe);
    void SchalterEinrichten();
    void FensterEinrichten();

    void done(int ergebnis) override;

protected:
    void showEvent(QShowEvent* ereignis) override;
};

// The "Schrift&hintergrund..." flow: applies font and colour, shows the dialog modally and
// returns the chosen entry on OK; on Cancel nothing, and the dialog's selection is back.
std::optional<int> HintergrundWaehlen(THintergrundForm* form, const TProgrammSchrift& schrift,
                                      const QColor& farbe);
