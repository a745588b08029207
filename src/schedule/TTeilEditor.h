#pragma once
// The editing logic of the date and time entry fields, without a widget: a text of fixed
// pattern made of parts, exactly one of them marked; digits are typed into the marked part
// with "_" standing for digits still to come, and a part is repaired when it is left.
// The widgets mirror text and selection and hand keys, characters and clicks in here.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

enum class TTaste { Links, Rechts, Pos1, Ende, BildAuf, BildAb, Entf, Auf, Ab };

class TTeilEditor {
public:
    using TPiep = std::function<void()>;
    using TUhr = std::function<QDateTime()>;

    virtual ~TTeilEditor() = default;
    TTeilEditor(const TTeilEditor&) = delete;
    TTeilEditor& operator=(const TTeilEditor&) = delete;

    const QString& Text() const { return FText; }
    int SelStart() const { return FSelStart; }
    int SelLaenge() const { return FSelLaenge; }
    int Caret() const { return FSelStart + FSelLaenge; }
    QString SelText() const { return FText.mid(FSelStart, FSelLaenge); }
    void SetzeAuswahl(int start, int laenge);
    void SetzeCaret(int pos) { SetzeAuswahl(pos, 0); }

    int MarkiereNr() const { return FMarkiereNr; }
    // Limited to the parts without wrapping; leaving a part repairs it, the new part is
    // selected and remembered. Setting the current part changes nothing.
    void SetMarkiereNr(int nr);
    // Selects the marked part; MerkeS also remembers its text in Gemerkt.
    void Markiere(bool MerkeS);
    // Checks and repairs the marked part.
    virtual void CheckEingabe() = 0;

    // Key-down stage: navigation, paging, Delete and the up-down arrows.
    void Taste(TTaste taste);
    // Character stage: digits type, Backspace ('\b') empties the part, the rest is dropped.
    void Zeichen(QChar zeichen);
    // A step of the attached up-down control (+1 up, -1 down).
    void UpDownSchritt(bool aufS) { Schritt(aufS, 1); }
    // Mouse button released: mark the part at the caret. A selection other than the marked
    // part (a drag, a double click) is given up, so typing always stays inside the pattern.
    void MausLoslassen(int caret, int selStart, int selLaenge);

    // The text of the marked part when it was marked; restores a part the user emptied.
    QString Gemerkt;
    // Read-only: every change beeps instead.
    bool NurLesenS = false;

protected:
    struct TTeil {
        int Start;
        int Laenge;
    };

    TTeilEditor(int minTeil, int maxTeil, TPiep piep, TUhr uhr);

    virtual TTeil Teil(int nr) const = 0;
    virtual int TeilAnStelle(int pos) const = 0;
    virtual bool Eingebbar(int nr) const { return nr >= FMinTeil; }
    // The marked part has just been filled; getipptS is false when the digit found no room.
    virtual void TeilVoll(bool getipptS) = 0;
    virtual void Schritt(bool aufS, int n) = 0;
    virtual int Seitenschritt() const = 0;

    void Piep() const;
    QDateTime Jetzt() const;
    // Selects the marked part unless exactly it is selected (Gemerkt untouched).
    void TeilAuswaehlen();
    // Replaces the marked part by text of its length and selects it.
    void TeilErsetzen(const QString& neu);
    // The selected text without placeholders and blanks, as a number of ASCII digits.
    std::optional<int> AuswahlZahl() const;

    QString FText;
    int FSelStart = 0;
    int FSelLaenge = 0;
    int FMarkiereNr = 1;
    const int FMinTeil;
    const int FMaxTeil;

private:
    void Tippe(QChar ziffer);

    TPiep FPiep;
    TUhr FUhr;
};

// "12", "0042": one to nine ASCII digits and nothing else.
std::optional<int> LeseZiffern(QStringView text);
// The text without "_" and blanks.
QString OhnePlatzhalter(QStringView text);
