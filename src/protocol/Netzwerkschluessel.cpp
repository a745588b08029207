#include "protocol/Netzwerkschluessel.h"

#include "platform/Dateien.h"
#include "platform/TDateien.h"
#include "protocol/Signatur.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString OhneSchluessel = QStringLiteral("Befehle werden bis auf Weiteres ohne Schlüssel angenommen.");
} // namespace

TSchluesselGelesen SchluesselLesen(TDateien& dateien, const QString& pfad) {
    const TDateien::TGelesen gelesen = dateien.DateiLesen(pfad, 4096);
    const QString name = PfadFuerMeldung(pfad);
    if (gelesen.Art == TDateien::TGelesen::TArt::Fehlt)
        return {};
    if (gelesen.Art == TDateien::TGelesen::TArt::Unlesbar)
        return {std::nullopt,
                QStringLiteral("Der Netzwerkschlüssel in \"%1\" konnte nicht gelesen werden (%2). ")
                        .arg(name, gelesen.Grund) +
                    OhneSchluessel};
    // A key others can read is no secret any more: whoever read it could sign commands.
    if (dateien.FuerAndereLesbarS(pfad).value_or(true))
        return {
            std::nullopt,
            QStringLiteral("Der Netzwerkschlüssel in \"%1\" wird nicht verwendet, weil auch andere Benutzer "
                           "die Datei lesen können; bitte unter \"Datei\" \u2192 \"Netzwerkschlüssel...\" "
                           "neu setzen. ")
                    .arg(name) +
                OhneSchluessel};
    const QByteArray text = gelesen.Daten.trimmed().toLower();
    const QByteArray schluessel = QByteArray::fromHex(text);
    if (text.size() != 2 * Signatur::SchluesselBytes || schluessel.size() != Signatur::SchluesselBytes ||
        schluessel.toHex() != text)
        return {std::nullopt,
                QStringLiteral("Die Datei \"%1\" enthält keinen gültigen Netzwerkschlüssel. ").arg(name) +
                    OhneSchluessel};
    return {schluessel, {}};
}

bool SchluesselSpeichern(TDateien& dateien, const QString& pfad, const QByteArray& schluessel,
                         QString* grund) {
    return dateien.GeheimSchreiben(pfad, schluessel.toHex() + '\n', grund);
}

bool SchluesselEntfernen(const QString& pfad, QString* grund) {
    QFile datei(pfad);
    if (!QFileInfo(pfad).exists() && !QFileInfo(pfad).isSymLink())
        return true;
    if (datei.remove())
        return true;
    if (grund)
        *grund = datei.errorString();
    return false;
}
