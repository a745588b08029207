#pragma once
// The small dialog under "Datei" that sets the network key from a passphrase typed twice, or
// removes it, and the status bar's mark of whether a key is active. Made for one use.

#include "ui/Farben.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class TDateien;

class TSchluesselDlg : public QDialog {
    Q_OBJECT
public:
    TSchluesselDlg(bool aktivS, const TProgrammSchrift& schrift, const QColor& hintergrund,
                   QWidget* eltern = nullptr);

    QLineEdit* LePassphrase = nullptr;
    QLineEdit* LeWiederholung = nullptr;
    QPushButton* Btn1Ok = nullptr;
    QPushButton* Btn2Entfernen = nullptr;
    QPushButton* Btn3Abbrechen = nullptr;

    // Accepted with "Entfernen" rather than OK.
    bool EntfernenS() const { return FEntfernenS; }
    // Why the two entries cannot become a key; empty when they can.
    QString Einwand() const;

private:
    bool FEntfernenS = false;
};

struct TSchluesselWahl {
    bool GeaendertS = false;
    std::optional<QByteArray> Schluessel; // the key to use from now on; nothing: none
};

// Shows the dialog and keeps what the user chose in the key file pfad; tells the user when it
// could not be kept (nothing changed then).
TSchluesselWahl SchluesselBearbeiten(QWidget* eltern, TDateien& dateien, const QString& pfad, bool aktivS,
                                     const TProgrammSchrift& schrift, const QColor& hintergrund);

// "Netzwerkschlüssel aktiv" or "ohne Netzwerkschlüssel", with a tip that says what it means.
void SchluesselAnzeigen(QLabel* anzeige, bool aktivS);
