#pragma once
// The small dialog under "Datei" that keeps the user name, password and domain with which
// computers running no peer instance are shut down or restarted. Made for one use.

#include "platform/TEnergie.h"
#include "ui/Farben.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

class TFernanmeldungDlg : public QDialog {
    Q_OBJECT
public:
    // Filled from the kept credentials; the password is never shown, an empty password field
    // keeps the kept one for the same user.
    TFernanmeldungDlg(TEnergie& energie, const TProgrammSchrift& schrift, const QColor& hintergrund,
                      QWidget* eltern = nullptr);

    QLineEdit* LeBenutzer = nullptr;
    QLineEdit* LeKennwort = nullptr;
    QLineEdit* LeDomaene = nullptr;
    QPushButton* Btn1Ok = nullptr;
    QPushButton* Btn2Abbrechen = nullptr;

    // What OK keeps; an empty user name removes the kept credentials.
    TEnergie::TFernanmeldung Anmeldung() const;

private:
    TEnergie::TFernanmeldung FBisher;
};

// Shows the dialog and keeps what the user confirmed; tells the user when it could not be
// kept.
void FernanmeldungBearbeiten(QWidget* eltern, TEnergie& energie, const TProgrammSchrift& schrift,
                             const QColor& hintergrund);
