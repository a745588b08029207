#pragma once
// Launcher and autostart entries: files that start a program, in the system's own format.

#include <QString>
#include <QStringList>

class TStarteintraege {
public:
    virtual ~TStarteintraege() = default;
    // The file name an entry for the program at programmPfad gets, without a folder.
    virtual QString EintragsName(const QString& programmPfad) = 0;
    // Writes (or replaces, also a read-only one) the entry at eintragPfad that starts
    // zielPfad with argumente in arbeitsOrdner (empty: the target's folder); true when saved.
    virtual bool Schreiben(const QString& eintragPfad, const QString& zielPfad, const QStringList& argumente,
                           const QString& beschreibung, const QString& arbeitsOrdner) = 0;
};
