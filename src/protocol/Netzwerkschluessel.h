#pragma once
// The network key's file "Netzwerkschluessel" beside the settings: one line of 64 lower-case
// hex digits (the key a passphrase gives, never the passphrase), the owner's alone.

#include <QByteArray>
#include <QString>
#include <optional>

class TDateien;

struct TSchluesselGelesen {
    std::optional<QByteArray> Schluessel; // nothing: run without a key
    QString Meldung;                      // why a file that is there is not used
};

// A missing file is no key and no message. A file others may read, one that cannot be read
// and one without a key in it are not used, and the message says so.
TSchluesselGelesen SchluesselLesen(TDateien& dateien, const QString& pfad);
// Written whole, the owner's alone from the start; grund says why it failed.
bool SchluesselSpeichern(TDateien& dateien, const QString& pfad, const QByteArray& schluessel,
                         QString* grund);
bool SchluesselEntfernen(const QString& pfad, QString* grund);
