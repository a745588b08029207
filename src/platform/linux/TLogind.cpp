#include "platform/linux/TLogind.h"

#include "common/ResConst.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

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

bool TLogind::HibernationErlaubt() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    const QDBusMessage aufruf =
        QDBusMessage::createMethodCall(Dienst, Pfad, Schnittstelle, QStringLiteral("CanHibernate"));
    const QDBusReply<QString> antwort = bus.call(aufruf, QDBus::Block, 2000);
    return antwort.isValid() && antwort.value() == QLatin1String("yes");
}

bool TLogind::Schlafen() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage aufruf =
        QDBusMessage::createMethodCall(Dienst, Pfad, Schnittstelle, QStringLiteral("Suspend"));
    aufruf << false;
    const QDBusMessage antwort = bus.call(aufruf, QDBus::Block, 5000);
    return antwort.type() == QDBusMessage::ReplyMessage;
}

void TLogind::SperreNehmen() {
    QDBusMessage aufruf =
        QDBusMessage::createMethodCall(Dienst, Pfad, Schnittstelle, QStringLiteral("Inhibit"));
    aufruf << QStringLiteral("sleep") << ProgrammTitel << QStringLiteral("Abmeldung bei den anderen Geräten")
           << QStringLiteral("delay");
    QDBusReply<QDBusUnixFileDescriptor> antwort =
        QDBusConnection::systemBus().call(aufruf, QDBus::Block, 2000);
    if (antwort.isValid())
        FSperre = antwort.value();
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
