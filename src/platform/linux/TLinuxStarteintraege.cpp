#include "platform/linux/TLinuxStarteintraege.h"

#include "common/Bauwerte.h"
#include "common/ResConst.h"
#include "platform/Dateien.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace {

// Characters that make an Exec argument need quotes in a freedesktop.org desktop entry.
const QString Reserviert = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

QString ProgrammOrdnerVon(const QString& pfad) {
    QString ordner = QFileInfo(pfad).absolutePath();
    if (!ordner.endsWith(u'/'))
        ordner += u'/';
    return ordner;
}

} // namespace

QString ExecArgument(const QString& argument) {
    QString a = argument;
    a.replace(u'%', QStringLiteral("%%"));
    const bool zitierenS =
        a.isEmpty() || std::any_of(a.cbegin(), a.cend(), [](QChar c) { return Reserviert.contains(c); });
    if (!zitierenS)
        return a;
    QString z = QStringLiteral("\"");
    for (QChar c : std::as_const(a)) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            z += u'\\';
        z += c;
    }
    return z + u'"';
}

std::optional<QString> DesktopString(const QString& text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            s += QStringLiteral("\\\\");
            break;
        case '\n':
            s += QStringLiteral("\\n");
            break;
        case '\t':
            s += QStringLiteral("\\t");
            break;
        case '\r':
            s += QStringLiteral("\\r");
            break;
        default:
            if (c.unicode() < 32 || c.unicode() == 127)
                return std::nullopt;
            s += c;
        }
    }
    return s;
}

QString ProgrammSymbol(const QString& programmPfad) {
    const QString ordner = QFileInfo(programmPfad).absolutePath() + u'/';
    const QString imBaum = ordner + Bauwerte::SymbolImBaum();
    if (QFileInfo(imBaum).isFile())
        return imBaum;
    const QString daten = QDir::cleanPath(ordner + Bauwerte::DatenVomProgramm());
    const QString installiert = daten + QStringLiteral("/icons/hicolor/256x256/apps/") +
                                Bauwerte::Paketname() + QStringLiteral(".png");
    if (QFileInfo(installiert).isFile() &&
        !QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation).contains(daten))
        return installiert;
    return Bauwerte::Paketname();
}

std::optional<QByteArray> DesktopEintrag(const QString& zielPfad, const QStringList& argumente,
                                         const QString& beschreibung, const QString& arbeitsOrdner) {
    if (zielPfad.isEmpty())
        return std::nullopt;
    QStringList teile{ExecArgument(zielPfad)};
    for (const QString& a : argumente)
        teile << ExecArgument(a);
    const std::optional<QString> exec = DesktopString(teile.join(u' '));
    const std::optional<QString> ordner =
        DesktopString(arbeitsOrdner.isEmpty() ? ProgrammOrdnerVon(zielPfad) : arbeitsOrdner);
    const std::optional<QString> kommentar = DesktopString(beschreibung);
    const std::optional<QString> symbol = DesktopString(ProgrammSymbol(zielPfad));
    if (!exec || !ordner || !kommentar || !symbol)
        return std::nullopt;

    QString t = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + ProgrammName + u'\n';
    if (!kommentar->isEmpty())
        t += QStringLiteral("Comment=") + *kommentar + u'\n';
    t += QStringLiteral("Exec=") + *exec + u'\n';
    t += QStringLiteral("Path=") + *ordner + u'\n';
    t += QStringLiteral("Icon=") + *symbol + u'\n';
    t += QStringLiteral("Terminal=false\n");
    return t.toUtf8();
}

QString TLinuxStarteintraege::EintragsName(const QString& programmPfad) {
    return QFileInfo(programmPfad).completeBaseName() + QStringLiteral(".desktop");
}

bool TLinuxStarteintraege::Schreiben(const QString& linkPfad, const QString& zielPfad,
                                     const QStringList& argumente, const QString& beschreibung,
                                     const QString& arbeitsOrdner) {
    if (linkPfad.isEmpty())
        return false;
    const std::optional<QByteArray> inhalt = DesktopEintrag(zielPfad, argumente, beschreibung, arbeitsOrdner);
    if (!inhalt)
        return false;
    if (!QDir().mkpath(QFileInfo(linkPfad).absolutePath()))
        return false;
    if (!DateiErsetzen(FDateien, linkPfad, *inhalt))
        return false;
    // File managers launch a desktop launcher only when it is executable.
    QFile::setPermissions(linkPfad, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                        QFileDevice::ReadOther | QFileDevice::ExeOther);
    return true;
}
