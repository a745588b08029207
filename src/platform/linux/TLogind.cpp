#include "platform/linux/TLogind.h"

#include "common/ResConst.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString Dienst = QStringLiteral("org.freedesktop.login1");
const QString Pfad = QStringLiteral("/org/freedesktop/login1");
const QString Schnittstelle = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

TLogind::TLogind(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    FVerfuegbarS = bus.connect(Dienst, Pfad, Schnittstelle, QStringLiteral("PrepareForSleep"), this,
                               SLOT(VorSchlaf(bool)));
    if (FVerfuegbarS)
        SperreNehmen();
}

void TLogind::HibernationPruefen(QObject* kontext, std::function<void(bool)> antwort) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            kontext, [antwort = std::move(antwort)] { antwort(false); }, Qt::QueuedConnection);
        return;
    }
    const QDBusMessage aufruf =
        QDBusMessage::createMethodCall(Dienst, Pfad, Schnittstelle, QStringLiteral("CanHibernate"));
    auto* warten = new QDBusPendingCallWatcher(bus.asyncCall(aufruf, 2000), kontext);
    QObject::connect(warten, &QDBusPendingCallWatcher::finished, kontext,
                     [antwort = std::move(antwort)](QDBusPendingCallWatcher* w) {
                         const QDBusPendingReply<QString> r = *w;
                         w->deleteLater();
                         antwort(!r.isError() && r.value() == QLatin1String("yes"));
                     });
}

bool TLogind::Schlafen() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage aufruf =
        QDBusMessage::createMethodCall(Dienst, Pfad, Schnittstelle, QStringLiteral("Suspend"));
    aufruf << false;
    // The answer would come only after the computer has woken up again.
    return bus.send(aufruf);
}

void TLogind::SperreNehmen() {
    QDBusMessage aufruf =
        QDBusMessage::createMethodCall(Dienst, Pfad, Schnittstelle, QStringLiteral("Inhibit"));
    aufruf << QStringLiteral("sleep") << ProgrammTitel << QStringLiteral("Abmeldung bei den anderen Geräten")
           << QStringLiteral("delay");
    auto* warten = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(aufruf, 2000), this);
    connect(warten, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> r = *w;
        w->deleteLater();
        if (!r.isError())
            FSperre = r.value();
    });
}

void TLogind::SchlafFreigeben() {
    FSperre = QDBusUnixFileDescriptor();
}

void TLogind::VorSchlaf(bool beginntS) {
    if (beginntS) {
        emit SchlafBeginnt();
        // The leaving presence has gone out by now; let the system sleep.
        SchlafFreigeben();
    } else {
        SperreNehmen();
        emit Aufgewacht();
    }
}
