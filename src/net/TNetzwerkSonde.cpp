#include "net/TNetzwerkSonde.h"

#include "platform/TNetz.h"

#include <QMultiHash>

namespace {
class TSystemRunde final : public TSondenRunde {
public:
    TSystemRunde(TNetz& netz, std::unique_ptr<TNetz::TEchoRunde> runde)
        : FNetz(netz), FRunde(std::move(runde)) {}

    bool Fragen(const QString& host) override {
        const quint32 ziel = ResolveIP(FNetz, host);
        // 0.0.0.0 would reach the own machine on Linux; an unresolved host must not answer.
        if (ziel == 0 || !FRunde->Senden(ziel))
            return false;
        if (!FHosts.contains(ziel, host))
            FHosts.insert(ziel, host);
        FAdressen.insert(host, ziel);
        return true;
    }

    QStringList Sammeln(int ms, const QString& bis) override {
        QStringList gekommen;
        for (quint32 ziel : FRunde->Sammeln(ms, FAdressen.value(bis)))
            gekommen += FHosts.values(ziel);
        return gekommen;
    }

private:
    TNetz& FNetz;
    const std::unique_ptr<TNetz::TEchoRunde> FRunde;
    QMultiHash<quint32, QString> FHosts; // every host text asked, by its address
    QHash<QString, quint32> FAdressen;
};
} // namespace

std::unique_ptr<TSondenRunde> TNetzwerkSonde::RundeBeginnen(std::function<bool()> anhalten) const {
    std::unique_ptr<TNetz::TEchoRunde> runde = FNetz.EchoRundeBeginnen(std::move(anhalten));
    if (!runde)
        return nullptr;
    return std::make_unique<TSystemRunde>(FNetz, std::move(runde));
}
