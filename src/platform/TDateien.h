#pragma once
// The system's folders, the running program's file and the system's text encoding.

#include <QByteArray>
#include <QString>

class TDateien {
public:
    virtual ~TDateien() = default;

    enum class TOrdner { Desktop, DesktopAlle, Autostart, AnwendungsDaten, Einstellungen };
    // Path with a trailing '/', or empty when the folder does not exist on this system.
    virtual QString SpezialOrdner(TOrdner ordner) = 0;
    virtual QString TempOrdner() = 0;    // with a trailing '/'
    virtual QString ProgrammDatei() = 0; // full path of the running executable
    // Makes a file (for a link: its target) writable for its owner so it can be replaced.
    virtual bool DateiAttributeEntfernen(const QString& pfad) = 0;

    // The system's own text encoding (the ANSI code page of a Windows installation).
    virtual QByteArray ZuAnsi(const QString& text) = 0;
    virtual QString VonAnsi(const QByteArray& daten) = 0;
};
