#pragma once
// What a subnet sweep asks of the system: who answers in a block of addresses, and the
// names of those who did. Thread-safe throughout.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class TNetzSuche {
public:
    virtual ~TNetzSuche() = default;

    // One block of 256 addresses (basis + 0 ... basis + 255, basis ending in .0), asked by the
    // one thread that sweeps it. Answers are collected whenever the thread waits, so an
    // answer that comes after its host's wait still counts.
    struct TScannerFund {
        quint8 N = 0;        // last number of the address
        QByteArray Hardware; // hardware address seen right after the answer; may be empty
    };
    class TScannerSuche {
    public:
        virtual ~TScannerSuche() = default;
        // Asks whether host n is there and collects answers for up to warteMs.
        virtual void Fragen(quint8 n, int warteMs) = 0;
        // After the last question: waits for late answers, then every host that answered,
        // in ascending order.
        virtual QList<TScannerFund> Funde() = 0;
    };
    // anhalten is asked throughout every wait; true cuts the waits short.
    virtual std::unique_ptr<TScannerSuche> ScannerSucheBeginnen(quint32 basis,
                                                                std::function<bool()> anhalten) = 0;
    // Host name of an address by reverse lookup; empty when none is known. A resolver may
    // take many seconds and cannot be interrupted, so the lookup is handed out as a callable
    // that depends on nothing else: a thread still inside it may outlive this object.
    using TRueckwaertsFrage = std::function<QString(quint32 adresse)>;
    virtual TRueckwaertsFrage RueckwaertsFrage() = 0;
    // Sends anfrage to UDP port 137 of every address and collects for at most timeoutMs the
    // first answer per address that akzeptieren takes (sooner when every address has
    // answered or refused).
    virtual QHash<quint32, QByteArray>
    NetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage, int timeoutMs,
                    const std::function<bool(QByteArrayView)>& akzeptieren) = 0;
};
