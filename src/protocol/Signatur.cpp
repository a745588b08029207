#include "protocol/Signatur.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace Signatur {

namespace {

const QByteArray Salz = QByteArrayLiteral("Veltrano-Netzwerkschluessel");
constexpr int Runden = 100000;

bool NurKleinHex(QStringView text, qsizetype laenge) {
    if (text.size() != laenge)
        return false;
    for (const QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    return true;
}

// Whole seconds as decimal digits, nothing else; small enough never to overflow.
std::optional<qint64> LeseZeit(QStringView text) {
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 wert = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        wert = wert * 10 + (c.unicode() - u'0');
    }
    return wert;
}

QByteArray Hmac(const QString& text, const QByteArray& schluessel) {
    return QMessageAuthenticationCode::hash(text.toUtf8(), schluessel, QCryptographicHash::Sha256);
}

// Constant time: how far two MACs agree must not show in how long the comparison takes.
bool GleichKonstant(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char unterschied = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        unterschied |= static_cast<unsigned char>(a[i] ^ b[i]);
    return unterschied == 0;
}

} // namespace

QByteArray SchluesselAusPassphrase(const QString& passphrase) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, passphrase.toUtf8(), Salz, Runden,
                                              SchluesselBytes);
}

QString NeueNonce() {
    return QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

QString Signieren(const QString& d, const QByteArray& schluessel, qint64 zeit, const QString& nonce) {
    const QString ohneH = d + u'|' + QString::number(zeit) + u'|' + nonce;
    return ohneH + u'|' + QString::fromLatin1(Hmac(ohneH, schluessel).toHex());
}

QString Grund(const TErgebnis& e) {
    switch (e.Art) {
    case TErgebnis::Gueltig:
        return {};
    case TErgebnis::KeineSignatur:
        return QStringLiteral("keine Signatur");
    case TErgebnis::FalscheSignatur:
        return QStringLiteral("falsche Signatur");
    case TErgebnis::ZeitAbweichend:
        return QStringLiteral("Zeit um %1 s abweichend").arg(e.AbweichungS);
    case TErgebnis::Wiederholt:
        return QStringLiteral("wiederholt");
    }
    return {};
}

TErgebnis TPruefer::Pruefen(const QString& text, const QByteArray& schluessel, qint64 jetzt) {
    TErgebnis e;
    // The last three fields, exactly as sent: no trimming, no empty fields.
    const qsizetype h = text.lastIndexOf(u'|');
    const qsizetype n = h > 0 ? text.lastIndexOf(u'|', h - 1) : -1;
    const qsizetype t = n > 0 ? text.lastIndexOf(u'|', n - 1) : -1;
    if (t <= 0)
        return e;
    const QStringView ansicht(text);
    const QStringView hText = ansicht.mid(h + 1), nText = ansicht.mid(n + 1, h - n - 1);
    const std::optional<qint64> zeit = LeseZeit(ansicht.mid(t + 1, n - t - 1));
    if (!zeit || !NurKleinHex(nText, 16) || !NurKleinHex(hText, 64))
        return e;
    if (!GleichKonstant(Hmac(text.left(h), schluessel), QByteArray::fromHex(hText.toLatin1()))) {
        e.Art = TErgebnis::FalscheSignatur;
        return e;
    }
    if (qAbs(*zeit - jetzt) > ZeitToleranzS) {
        e.Art = TErgebnis::ZeitAbweichend;
        e.AbweichungS = qAbs(*zeit - jetzt);
        return e;
    }
    const auto vergessen = [this] {
        FGesehen.remove(FReihe.front().second);
        FReihe.pop_front();
    };
    while (!FReihe.empty() && FReihe.front().first < jetzt - NonceGedaechtnisS)
        vergessen();
    const quint64 nonce = nText.toULongLong(nullptr, 16);
    if (FGesehen.contains(nonce)) {
        e.Art = TErgebnis::Wiederholt;
        return e;
    }
    if (qsizetype(FReihe.size()) >= MaxNonces)
        vergessen();
    FGesehen.insert(nonce, jetzt);
    FReihe.emplace_back(jetzt, nonce);
    e.Art = TErgebnis::Gueltig;
    e.Datagramm = text.left(t);
    return e;
}

} // namespace Signatur
