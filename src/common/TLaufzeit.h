#pragma once
// The values the whole program shares while it runs: who and where it is, the paths of its
// files, and the switches the worker threads read. main fills the names and paths before the
// main window exists; after that only the user-interface thread writes, workers read whole
// values.

#include <QMutex>
#include <QString>
#include <atomic>

class TLaufzeit {
public:
    QString EigenerPC;
    QString EigenerName; // the setting "MeinName" replaces it
    QString ProgrammDatei;
    QString HostlisteDatei;
    QString ZeitsteuerungDatei;
    QString DesktopLink;
    QString DesktopLinkAlle; // empty where the system has no desktop shared by all users
    QString AutostartLink;
    QString EinstellungenDatei;
    QString SchluesselDatei; // the network key, beside the settings
    QString BefehleDatei;    // the log of received commands, beside the host list

    // Stops every timer tick, handler and worker at once (close, session end, suspend).
    std::atomic<bool> StopS{false};
    // The scanner switch, and the number of running scanner threads (UI thread only).
    std::atomic<bool> ScannerS{false};
    int ScannerAnzahl = 0;

    // Hardware address of the first usable interface; empty without network.
    QString EigeneMAC() const {
        QMutexLocker sperre(&FMacSperre);
        return FEigeneMAC;
    }
    void SetzeEigeneMAC(const QString& mac) {
        QMutexLocker sperre(&FMacSperre);
        FEigeneMAC = mac;
    }

private:
    mutable QMutex FMacSperre;
    QString FEigeneMAC;
};
