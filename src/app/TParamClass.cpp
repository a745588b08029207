#include "app/TParamClass.h"

#include "common/TFelder.h"

#include <QCoreApplication>

TParamClass::TParamClass(const QSet<QChar>& parameterzeichen, bool parameterInGbS)
    : TParamClass(parameterzeichen, parameterInGbS, QCoreApplication::arguments().mid(1)) {}

TParamClass::TParamClass(const QSet<QChar>& parameterzeichen, bool parameterInGbS,
                         const QStringList& argumente)
    : FParameterzeichen(parameterzeichen), FParameterInGbS(parameterInGbS) {
    Teilen(argumente);
}

void TParamClass::Teilen(const QStringList& argumente) {
    FDateien.clear();
    FParameter.clear();
    for (const QString& argument : argumente) {
        QString stueck;
        bool parameterS = false;
        for (QChar c : argument) {
            if (FParameterzeichen.contains(c)) {
                StueckSchliessen(stueck, parameterS);
                parameterS = true;
            }
            stueck += c;
        }
        StueckSchliessen(stueck, parameterS);
    }
}

void TParamClass::StueckSchliessen(QString& stueck, bool parameterS) {
    QString p = TrimSteuer(stueck);
    stueck.clear();
    if (p.isEmpty())
        return;
    if (!parameterS) {
        FDateien.append(p);
        return;
    }
    if (FParameterInGbS && p.size() > 1)
        p.replace(1, 1, p.mid(1, 1).toUpper());
    FParameter.append(p);
}

QString TParamClass::Dateien(int index) const {
    return index >= 1 && index <= FDateien.size() ? FDateien[index - 1] : QString();
}

QString TParamClass::Parameter(int index) const {
    return index >= 1 && index <= FParameter.size() ? FParameter[index - 1] : QString();
}
