#include "platform/linux/Fernanmeldung.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool SteuerzeichenS(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

bool AllesSchreiben(int fd, const QByteArray& inhalt) {
    qsizetype geschrieben = 0;
    while (geschrieben < inhalt.size()) {
        const ssize_t n = ::write(fd, inhalt.constData() + geschrieben, size_t(inhalt.size() - geschrieben));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        geschrieben += n;
    }
    return true;
}
} // namespace

std::optional<QByteArray> FernanmeldungText(const TEnergie::TFernanmeldung& a) {
    // Samba splits "user%password" in the user name and drops blanks after the "=".
    if (a.Benutzer.isEmpty() || a.Benutzer.contains(u'%') || SteuerzeichenS(a.Benutzer) ||
        SteuerzeichenS(a.Kennwort) || SteuerzeichenS(a.Domaene) || a.Kennwort.startsWith(u' ') ||
        a.Benutzer.trimmed() != a.Benutzer || a.Domaene.trimmed() != a.Domaene)
        return std::nullopt;
    QByteArray text = "username = " + a.Benutzer.toUtf8() + "\npassword = " + a.Kennwort.toUtf8() + '\n';
    if (!a.Domaene.isEmpty())
        text += "domain = " + a.Domaene.toUtf8() + '\n';
    return text;
}

TEnergie::TFernanmeldung FernanmeldungAusText(const QByteArray& text) {
    TEnergie::TFernanmeldung a;
    for (const QByteArray& zeile : text.split('\n')) {
        const qsizetype gleich = zeile.indexOf('=');
        if (gleich < 0)
            continue;
        const QByteArray schluessel = zeile.left(gleich).trimmed().toLower();
        QByteArray wert = zeile.mid(gleich + 1);
        while (wert.startsWith(' ') || wert.startsWith('\t'))
            wert.remove(0, 1);
        if (schluessel == "username")
            a.Benutzer = QString::fromUtf8(wert);
        else if (schluessel == "password")
            a.Kennwort = QString::fromUtf8(wert);
        else if (schluessel == "domain")
            a.Domaene = QString::fromUtf8(wert);
    }
    return a;
}

bool FernanmeldungSchreiben(const QString& pfad, const QByteArray& inhalt) {
    const QString ordner = QFileInfo(pfad).absolutePath();
    if (!QDir().mkpath(ordner))
        return false;
    QByteArray vorlage = QFile::encodeName(pfad) + ".XXXXXX";
    // mkstemp makes the file 0600 before a byte is in it.
    const int fd = ::mkstemp(vorlage.data());
    if (fd < 0)
        return false;
    const bool gutS = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && AllesSchreiben(fd, inhalt) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !gutS ||
        ::rename(vorlage.constData(), QFile::encodeName(pfad).constData()) != 0) {
        ::unlink(vorlage.constData());
        return false;
    }
    return true;
}

QString SambaGrund(int code, const QByteArray& ausgabe) {
    static const QRegularExpression status(QStringLiteral("\\b(NT_STATUS_[A-Z0-9_]+|WERR_[A-Z0-9_]+)\\b"));
    const QString text = QString::fromUtf8(ausgabe);
    const QRegularExpressionMatch treffer = status.match(text);
    if (treffer.hasMatch()) {
        const QString s = treffer.captured(1);
        QString erklaerung;
        if (s.endsWith(QLatin1String("LOGON_FAILURE")) || s.endsWith(QLatin1String("WRONG_PASSWORD")) ||
            s.endsWith(QLatin1String("NO_SUCH_USER")))
            erklaerung = QStringLiteral("Anmeldung abgelehnt: Benutzername oder Kennwort falsch oder keine "
                                        "Fernanmeldung hinterlegt (Datei \u2192 Fernanmeldung)");
        else if (s.endsWith(QLatin1String("ACCESS_DENIED")) ||
                 s.endsWith(QLatin1String("PRIVILEGE_NOT_HELD")))
            erklaerung =
                QStringLiteral("Zugriff verweigert: der Benutzer darf dieses Gerät nicht herunterfahren");
        else if (s.contains(QLatin1String("UNREACHABLE")) ||
                 s.endsWith(QLatin1String("CONNECTION_REFUSED")) || s.endsWith(QLatin1String("IO_TIMEOUT")))
            erklaerung = QStringLiteral("Gerät nicht erreichbar");
        return erklaerung.isEmpty() ? QStringLiteral("Samba meldet %1").arg(s)
                                    : QStringLiteral("%1 (Samba: %2)").arg(erklaerung, s);
    }
    const QStringList zeilen = text.split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = zeilen.size() - 1; i >= 0; --i)
        if (!zeilen[i].trimmed().isEmpty())
            return QStringLiteral("Samba meldet: ") + zeilen[i].trimmed().left(300);
    return code < 0 ? QStringLiteral("Das Samba-Programm \"net\" konnte nicht ausgeführt werden "
                                     "(Paket samba-common-bin)")
                    : QStringLiteral("Samba meldet Fehler %1").arg(code);
}
