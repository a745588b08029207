#pragma once
// Splits the command line into file arguments and parameters; every parameter character
// starts a new parameter, so "/a/b" gives "/A" and "/B".

#include <QSet>
#include <QString>
#include <QStringList>

class TParamClass {
public:
    // Splits the process's arguments (without the program name).
    TParamClass(const QSet<QChar>& parameterzeichen, bool parameterInGbS);
    TParamClass(const QSet<QChar>& parameterzeichen, bool parameterInGbS, const QStringList& argumente);

    // 1-based; empty outside 1..count.
    QString Dateien(int index) const;
    QString Parameter(int index) const;
    int DateienCount() const { return int(FDateien.size()); }
    int ParameterCount() const { return int(FParameter.size()); }

private:
    void Teilen(const QStringList& argumente);
    void StueckSchliessen(QString& stueck, bool parameterS);

    QSet<QChar> FParameterzeichen;
    bool FParameterInGbS;
    QStringList FDateien;
    QStringList FParameter;
};
