#pragma once
// The own computer's schedule: conversions between its text and the schedule dialog's
// fields, the schedule file, and the due test. The controller's methods of the same names
// call these.

#include "schedule/TZeitsteuerungFelder.h"
#include "schedule/Zeitsteuerung.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

class TDateien;

class TZeitsteuerung {
public:
    using TUhr = std::function<QDateTime()>;

    // felder: the schedule dialog, created before this (its date limits apply to every
    // text read). progStartDateTime: the controller's stamp of the last schedule event, set
    // here whenever a schedule is stored or carried out. dateien reads and writes the file;
    // uhr: local date and time.
    TZeitsteuerung(TZeitsteuerungFelder& felder, QString datei, QDateTime& progStartDateTime,
                   TDateien& dateien, TUhr uhr);

    const TZeitsteuerungRec& Zeitsteuerung() const { return FZeitsteuerung; }
    const QString& Datei() const { return FDatei; }

    // The schedule as text: from the dialog's fields (DlgS) or the own record; TimeS puts
    // the current time "hh:nn:ss|" in front.
    QString GetZeitsteuerung(bool TimeS, bool DlgS);
    // Reads a stamped text into the dialog's fields; TimerS makes it the own schedule (and
    // sets ProgStartDateTime), SaveFileS with it also drops a pending firing and saves.
    void SetZeitsteuerung(const QString& AData, bool TimerS, bool SaveFileS);
    // Loads a record into the dialog's fields.
    void SetZeitsteuerung(const TZeitsteuerungRec& AZeitsteuerung);
    // Loads (LadenS) or saves the schedule file; failures leave what is there. A file that
    // exists but could not be read is not written over until a later load reads it.
    void ZeitsteuerungLadenSpeichern(bool LadenS);
    // Why the file is not written this run; empty while saving is allowed.
    const QString& Sperrgrund() const { return FSperrgrund; }
    // For the close: the message when the last save failed; empty otherwise.
    QString SpeicherFehlerText() const;

    // Whether the own schedule is due now.
    bool IsZeitsteuerung(bool StopS, bool SchonIcmpS);
    // Marks the schedule as carried out now (ProgStartDateTime := now) and gives the
    // command number to send to the own computer; nothing when no action is set.
    std::optional<int> AusfuehrungMerken();

    // Stops the controller's pending firing; called before a schedule from a peer is saved.
    std::function<void()> TimerStoppen;
    // Tells the user about the file: each problem once per run.
    std::function<void(const QString&)> Melden;

private:
    QDateTime Jetzt() const;

    TZeitsteuerungFelder& FFelder;
    QString FDatei;
    QDateTime& FProgStartDateTime;
    TDateien& FDateien;
    TUhr FUhr;
    TZeitsteuerungRec FZeitsteuerung;
    QString FSperrgrund;
    QString FSpeicherFehler;
    bool FSpeicherFehlerGemeldetS = false;
};
