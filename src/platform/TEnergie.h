#pragma once
// Power actions on this computer and on computers that run no peer instance, and the
// notices around the computer's own sleep. Nothing here blocks the calling thread.

#include <QObject>
#include <QString>
#include <functional>

class TEnergie : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TEnergie() override = default;

    // Whether this computer may hibernate now (asked anew each time); the answer comes later,
    // on the calling thread.
    virtual void HibernationPruefen(std::function<void(bool)> antwort) = 0;
    // Each false when the action could not even be started. beendet, if given, runs once,
    // later and on the calling thread, when the program that carries the action out has
    // ended (never after a failed start).
    using TBeendet = std::function<void()>;
    virtual bool Hibernieren(TBeendet beendet = {}) = 0;
    // Sleep (not hibernation) with wake events left on; done when it returns.
    virtual bool Schlafen() = 0;
    virtual bool Herunterfahren(TBeendet beendet = {}) = 0;
    virtual bool Neustarten(TBeendet beendet = {}) = 0;
    // Shuts down or restarts another computer through the system's remote shutdown, with
    // the user's own ticket where there is one, else with the kept credentials; never asks
    // for a password. fertig runs once, later, on the calling thread: with an empty text when
    // the other computer took the order, else with the reason it was refused or failed.
    using TFernErgebnis = std::function<void(const QString& fehler)>;
    virtual void FernAbschalten(const QString& ip, bool neustartS, TFernErgebnis fertig) = 0;

    // The credentials for the remote shutdown, kept for this user only.
    struct TFernanmeldung {
        QString Benutzer; // empty: none kept
        QString Kennwort;
        QString Domaene;
    };
    virtual TFernanmeldung FernanmeldungLesen() = 0;
    // Replaces the kept credentials whole (no Benutzer: removes them); false when they could
    // not be kept as given (nothing changed then).
    virtual bool FernanmeldungSpeichern(const TFernanmeldung& anmeldung) = 0;

    // Starts listening for the computer's sleep and resume.
    virtual void Beginnen() = 0;
    // Lets the system sleep now that the leaving presence has gone out.
    virtual void SchlafFreigeben() = 0;

signals:
    void SchlafBeginnt(); // the computer is about to suspend
    void Aufgewacht();    // the computer has resumed
};
