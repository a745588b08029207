#pragma once
// Other programs and documents.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class TProgramme {
public:
    virtual ~TProgramme() = default;
    // Starts a program (found through the system's search path), detached; false when it
    // could not be started. beendet, if given, runs once, later and on the calling thread,
    // when the program has ended (never after a failed start).
    using TProgrammBeendet = std::function<void()>;
    virtual bool ProgrammStarten(const QString& programm, const QStringList& argumente,
                                 TProgrammBeendet beendet = {}) = 0;

    // Runs a program (through the search path) with nothing to read on its input and no
    // terminal to ask on, and reports once, later and on the calling thread, its exit code
    // (-1: not started, crashed or killed after ProgrammAusfuehrenMaxMs) and what it wrote
    // on its output and error channels together (the first ProgrammAusgabeMax bytes).
    using TProgrammEnde = std::function<void(int code, const QByteArray& ausgabe)>;
    static constexpr int ProgrammAusfuehrenMaxMs = 60000;
    static constexpr qsizetype ProgrammAusgabeMax = 64 * 1024;
    virtual void ProgrammAusfuehren(const QString& programm, const QStringList& argumente,
                                    TProgrammEnde ende) = 0;
};
