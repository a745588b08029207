#pragma once
// The one field-cutting rule for datagrams, the host list file and the schedule text:
// fields are the maximal runs of characters other than '|'; empty runs do not exist.

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

// Removes leading and trailing characters with codes up to 32.
QString TrimSteuer(QStringView text);
QStringView TrimSteuerView(QStringView text);

class TFelder {
public:
    explicit TFelder(QStringView text);

    int Anzahl() const { return int(FBereiche.size()); }
    // Field n (1-based), untrimmed; empty when it does not exist.
    QStringView Roh(int n) const;
    // Field n (1-based), trimmed of characters up to 32.
    QString Feld(int n) const { return TrimSteuer(Roh(n)); }
    // From the first character of field 3 to the end of the text, separators included.
    QString RestAbFeld3() const;

private:
    struct TBereich {
        qsizetype Start;
        qsizetype Laenge;
    };
    QStringView FText;
    QVarLengthArray<TBereich, 8> FBereiche;
};

// True when the whole text holds only characters with codes up to 32.
bool IstLeer(QStringView text);
