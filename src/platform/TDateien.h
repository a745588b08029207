#pragma once
// The system's folders, the running program's file, the program's own files and the system's
// text encoding.

#include <QByteArray>
#include <QString>
#include <optional>

class TDateien {
public:
    virtual ~TDateien() = default;

    enum class TOrdner { Desktop, DesktopAlle, Autostart, AnwendungsDaten, Einstellungen };
    // Path with a trailing '/', or empty when the folder does not exist on this system.
    virtual QString SpezialOrdner(TOrdner ordner) = 0;
    virtual QString TempOrdner() = 0; // with a trailing '/'
    // Full path of the running executable, taken once at start: where it was started from,
    // also when that file has since been replaced (an upgrade) or removed.
    virtual QString ProgrammDatei() = 0;
    // A file that comes with the program (its change history): beside the program, else where
    // an installation keeps the program's documents; empty when there is none.
    virtual QString BeigelegteDatei(const QString& programmDatei, const QString& name) = 0;
    // Makes a file (for a link: its target) writable for its owner so it can be replaced.
    virtual bool DateiAttributeEntfernen(const QString& pfad) = 0;

    // What reading one of the program's files found.
    struct TGelesen {
        enum class TArt { Gelesen, Fehlt, Unlesbar };
        TArt Art = TArt::Fehlt;
        QByteArray Daten; // Gelesen: the whole file
        QString Grund;    // Unlesbar: why, a German phrase for a message ("keine Berechtigung")
    };
    // Reads a whole file without ever blocking: only a regular file (or a link to one) is
    // opened; a pipe, a device, a socket or a folder counts as unreadable, and so does a file
    // of more than hoechstens bytes.
    virtual TGelesen DateiLesen(const QString& pfad, qint64 hoechstens) = 0;
    // Replaces a file whole (Dateien.h says how); on failure false, and grund (if given) says
    // why in a German phrase.
    virtual bool DateiSchreiben(const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS,
                                QString* grund) = 0;

    // Like DateiSchreiben, but the file is readable and writable by its owner only, from its
    // first byte on and whatever it allowed before; its folder is made when missing.
    virtual bool GeheimSchreiben(const QString& pfad, const QByteArray& inhalt, QString* grund) = 0;
    // Whether users other than the owner may read an existing file; nothing when that cannot
    // be told (no such file, no access).
    virtual std::optional<bool> FuerAndereLesbarS(const QString& pfad) = 0;
    // Appends to a log file (new ones readable by the owner only), without waiting for the
    // disk and without ever blocking; when it would grow past hoechstens bytes it is first
    // renamed to "<pfad>.1", replacing an older one, and begun anew. False (and grund) when
    // the bytes could not be written.
    virtual bool DateiAnhaengen(const QString& pfad, const QByteArray& inhalt, qint64 hoechstens,
                                QString* grund) = 0;

    // The system's own text encoding (the ANSI code page of a Windows installation).
    virtual QByteArray ZuAnsi(const QString& text) = 0;
    virtual QString VonAnsi(const QByteArray& daten) = 0;
};
