#pragma once
// Every message box and modal dialog of the program goes through here, so a test can
// answer it in advance and see what the user would have seen.

#include <QString>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace Meldungen {

enum class TArt { Information, Frage, Fehler, Dialog };

struct TAnfrage {
    TArt Art;
    QString Text;              // message text, or the dialog's caption
    QDialog* Dialog = nullptr; // for TArt::Dialog: the dialog, so a test can fill it
};

// Returns the answer (true = Yes/OK) without showing anything, or nothing to show the
// box for real.
using TAutomat = std::function<std::optional<bool>(const TAnfrage&)>;

void Information(QWidget* eltern, const QString& text);
void Fehler(QWidget* eltern, const QString& text);
// Yes and No; true on Yes.
bool Frage(QWidget* eltern, const QString& text);
// Shows a dialog modally; true when it was accepted.
bool ZeigeModal(QDialog* dialog);

void SetzeAutomat(TAutomat automat);

// Closes the box or dialog that is open now, answering No/Cancel (end of the session).
void OffeneSchliessen();
bool IstEineOffen();

} // namespace Meldungen
