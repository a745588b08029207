#pragma once
// "Befehle.log" in the data folder: every received power command and schedule write, carried
// out or not, one line each: local time, sender's address and port, the word, and
// "ausgeführt" or why not. Lines are gathered and written about once a second, never synced,
// so a flood of commands cannot make the disk its bottleneck; what does not fit the buffer
// is counted and the count written instead.

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class TDateien;

class TBefehlsprotokoll : public QObject {
    Q_OBJECT
public:
    // An empty path logs nothing. melden hears once when the log cannot be written.
    TBefehlsprotokoll(const QString& pfad, TDateien& dateien, std::function<void(const QString&)> melden = {},
                      QObject* parent = nullptr);
    ~TBefehlsprotokoll() override; // writes what is gathered

    void Eintragen(const QDateTime& zeit, const QString& ip, quint16 port, const QString& wort,
                   const QString& ergebnis);
    void Schreiben();

    static constexpr qint64 HoechstGroesse = 1024 * 1024; // then one older file is kept
    static constexpr int PufferZeilen = 2000;
    static constexpr int TaktMs = 1000;

private:
    QString FPfad;
    TDateien& FDateien;
    std::function<void(const QString&)> FMelden;
    QByteArray FPuffer;
    int FZeilen = 0;
    qint64 FVerworfen = 0;
    QDateTime FLetzteZeit;
    bool FGemeldetS = false;
    QTimer FTakt;
};
