#pragma once
// The login manager on the system bus: sleep and resume events, and a "delay" sleep
// inhibitor so the leaving presence can go out before the computer sleeps.

#include <QDBusUnixFileDescriptor>
#include <QObject>

class TLogind : public QObject {
    Q_OBJECT
public:
    explicit TLogind(QObject* parent = nullptr);

    bool Verfuegbar() const { return FVerfuegbarS; }

    // CanHibernate() answers "yes".
    static bool HibernationErlaubt();
    // Suspend(false): sleep without asking the user for rights interactively.
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
