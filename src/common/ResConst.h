#pragma once
// Process-wide values shared by the controller, the worker threads and the stores.
// Only the user-interface thread writes them; workers read whole values.

#include <QString>
#include <atomic>

inline const QString ProgrammTitel = QStringLiteral("Veltrano V1.01");
inline const QString ProgrammName = QStringLiteral("Veltrano");

enum class TStatus { sOffline = 0, sOnline = 1 };

// Display texts, indexed by the enumeration and by the Boolean; the view's colour rule
// compares against the same texts.
const QString& StatusText(TStatus s);
const QString& SenderText(bool senderS);

// Stops every timer tick, handler and worker at once (close, session end, suspend).
extern std::atomic<bool> StopS;
// The scanner switch and the number of running scanner threads (UI thread only).
extern std::atomic<bool> ScannerS;
extern int ScannerAnzahl;

// Hardware address of the first usable interface; empty without network.
QString EigeneMAC();
void SetzeEigeneMAC(const QString& mac);

// Set once before the main window exists.
extern QString EigenerPC;
extern QString EigenerName;
extern QString HostlisteDatei;
extern QString ZeitsteuerungDatei;
extern QString DesktopLink;
extern QString DesktopLinkAlle;
extern QString AutostartLink;
