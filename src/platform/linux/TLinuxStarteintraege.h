#pragma once
// Launcher and autostart entries on Linux: freedesktop.org ".desktop" files.

#include "platform/TStarteintraege.h"

#include <QByteArray>
#include <optional>

class TDateien;

// One argument of an Exec line: quoted when it holds a reserved character, with "%"
// doubled so it is never taken for a field code.
QString ExecArgument(const QString& argument);
// The escapes of a string value of a desktop entry; nothing when the text holds a
// control character a desktop entry cannot carry.
std::optional<QString> DesktopString(const QString& text);
// The icon an entry for the program at programmPfad shows: the installed icon by its name
// in the icon theme; the picture file itself where the theme cannot find it (the program runs
// from its build tree, or is installed under a prefix outside the system's data folders).
QString ProgrammSymbol(const QString& programmPfad);
// The file's contents; nothing when a path cannot be written into a desktop entry.
// An empty working folder means the target's folder.
std::optional<QByteArray> DesktopEintrag(const QString& zielPfad, const QStringList& argumente,
                                         const QString& beschreibung, const QString& arbeitsOrdner);

class TLinuxStarteintraege : public TStarteintraege {
public:
    explicit TLinuxStarteintraege(TDateien& dateien) : FDateien(dateien) {}
    QString EintragsName(const QString& programmPfad) override;
    // The hotkey and show command of a Windows shortcut have no counterpart here.
    bool Schreiben(const QString& eintragPfad, const QString& zielPfad, const QStringList& argumente,
                   const QString& beschreibung, const QString& arbeitsOrdner) override;

private:
    TDateien& FDateien;
};
