#pragma once
// Other programs and documents.

#include <QString>
#include <QStringList>

class TProgramme {
public:
    virtual ~TProgramme() = default;
    // Starts a program (found through the system's search path), detached; false when it
    // could not be started.
    virtual bool ProgrammStarten(const QString& programm, const QStringList& argumente) = 0;
};
