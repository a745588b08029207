#include "protocol/Nachrichten.h"

#include "common/ResConst.h"

#include <QStringDecoder>

namespace Protokoll {

QString Praesenz(bool onlineS, const QString& pc, const QString& user, const QString& mac) {
    return Tag % u'|' % (onlineS ? u'1' : u'0') % u'|' % pc % u'|' % user % u'|' % mac % QStringLiteral("|1");
}

QString Befehl(const QString& wort) {
    return Tag % u'|' % wort;
}

QString MitZeitsteuerung(const QString& wort, const QString& zeitsteuerungText) {
    return Tag % u'|' % wort % u'|' % zeitsteuerungText;
}

QByteArray Kodieren(const QString& text) {
    return text.toUtf8();
}

QString Dekodieren(const QByteArray& daten) {
    // A leading byte-order mark stays a character: skipping it would make a datagram read
    // differently from what its text encodes to, and no peer sends one.
    QStringDecoder dekodierer(QStringConverter::Utf8,
                              QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return dekodierer(daten);
}

bool TagPasst(const TFelder& felder) {
    return TrimSteuerView(felder.Roh(1)) == Tag;
}

std::optional<QString> Annehmen(const QByteArray& daten, bool stopS) {
    QString text = Dekodieren(daten);
    if (stopS || !TagPasst(TFelder(text)))
        return std::nullopt;
    return text;
}

QString Kuerzen(QStringView feld, int n) {
    QStringView text = TrimSteuerView(feld);
    if (text.size() > n) {
        // Half a character would reach the file as a replacement character.
        if (n > 0 && text.at(n - 1).isHighSurrogate())
            --n;
        text = TrimSteuerView(text.left(n));
    }
    return text.toString();
}

std::optional<TPraesenzRec> LesePraesenz(const QString& text) {
    const TFelder felder(text);
    if (!TagPasst(felder))
        return std::nullopt;
    TPraesenzRec p;
    p.SenderS = felder.Feld(2) == QLatin1String("1");
    p.PC = Kuerzen(felder.Roh(3));
    p.User = Kuerzen(felder.Roh(4));
    p.MAC = Kuerzen(felder.Roh(5));
    p.BroadcastS = felder.Feld(6) == QLatin1String("1");
    return p;
}

THostListRec PraesenzEintrag(const TPraesenzRec& praesenz, const QString& absenderIp, quint32 tick) {
    THostListRec r;
    r.PC = praesenz.PC;
    r.User = praesenz.User;
    r.IP = absenderIp;
    r.MAC = praesenz.MAC;
    r.BroadcastS = praesenz.BroadcastS;
    r.Status = TStatus::sOnline;
    r.SenderS = praesenz.SenderS;
    r.Millisek = tick;
    r.ChangeS = false;
    return r;
}

} // namespace Protokoll
