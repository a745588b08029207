#pragma once
// The login manager on the system bus: sleep and resume events, and a "delay" sleep
// inhibitor so the leaving presence can go out before the computer sleeps.

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <functional>

class TLogind : public QObject {
    Q_OBJECT
public:
    explicit TLogind(QObject* parent = nullptr);

    bool Verfuegbar() const { return FVerfuegbarS; }

    // CanHibernate() answers "yes"; antwort runs later on kontext's thread (false at once
    // without a system bus). Nothing waits for the bus.
    static void HibernationPruefen(QObject* kontext, std::function<void(bool)> antwort);
    // Suspend(false): sleep without asking the user for rights interactively. Sent without
    // waiting; false only when there is no system bus.
    static bool Schlafen();
    void SchlafFreigeben();

signals:
    void SchlafBeginnt();
    void Aufgewacht();

private slots:
    void VorSchlaf(bool beginntS);

private:
    void SperreNehmen();

    bool FVerfuegbarS = false;
    QDBusUnixFileDescriptor FSperre;
};
