#include "settings/Verknuepfungen.h"

#include "common/Dateien.h"
#include "common/ResConst.h"
#include "platform/TPlattform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// Characters that make an Exec argument need quotes in a freedesktop.org desktop entry.
const QString Reserviert = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

bool Vorhanden(const QString& pfad) {
    return !pfad.isEmpty() && QFileInfo::exists(pfad);
}

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
    if (!exec || !ordner || !kommentar)
        return std::nullopt;

    QString t = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + ProgrammName + u'\n';
    if (!kommentar->isEmpty())
        t += QStringLiteral("Comment=") + *kommentar + u'\n';
    t += QStringLiteral("Exec=") + *exec + u'\n';
    t += QStringLiteral("Path=") + *ordner + u'\n';
    t += QStringLiteral("Terminal=false\n");
    return t.toUtf8();
}

bool SchreibeVerknuepfung(const QString& linkPfad, const QString& zielPfad, const QStringList& argumente,
                          const QString& beschreibung, const QString& arbeitsOrdner) {
    if (linkPfad.isEmpty())
        return false;
    const std::optional<QByteArray> inhalt = DesktopEintrag(zielPfad, argumente, beschreibung, arbeitsOrdner);
    if (!inhalt)
        return false;
    if (!QDir().mkpath(QFileInfo(linkPfad).absolutePath()))
        return false;
    if (!DateiErsetzen(linkPfad, *inhalt))
        return false;
    // File managers launch a desktop launcher only when it is executable.
    QFile::setPermissions(linkPfad, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                        QFileDevice::ReadOther | QFileDevice::ExeOther);
    return true;
}

TVerknuepfungsAktion Cb1DesktopAutostartScannerAktion(int tag, bool checkedS, bool fokusS,
                                                      bool traySichtbarS) {
    if (tag == 1 && fokusS)
        return checkedS ? TVerknuepfungsAktion::DesktopSchreiben : TVerknuepfungsAktion::DesktopLoeschen;
    if (traySichtbarS || (tag == 2 && fokusS) || tag == 3) {
        if (tag == 2)
            return checkedS ? TVerknuepfungsAktion::AutostartSchreiben
                            : TVerknuepfungsAktion::AutostartLoeschen;
        if (tag == 3)
            return TVerknuepfungsAktion::ScannerSetzen;
    }
    return TVerknuepfungsAktion::Nichts;
}

bool VerknuepfungLoeschen(const QString& pfad) {
    if (pfad.isEmpty())
        return false;
    const QFileInfo info(pfad);
    if (!info.exists() && !info.isSymLink())
        return false;
    Plattform().DateiAttributeEntfernen(pfad);
    return QFile::remove(pfad);
}

TVerknuepfungen::TVerknuepfungen()
    : TVerknuepfungen(DesktopLink, DesktopLinkAlle, AutostartLink, Plattform().ProgrammDatei()) {}

TVerknuepfungen::TVerknuepfungen(QString desktopLink, QString desktopLinkAlle, QString autostartLink,
                                 QString programm)
    : FDesktop(std::move(desktopLink)), FDesktopAlle(std::move(desktopLinkAlle)),
      FAutostart(std::move(autostartLink)), FProgramm(std::move(programm)) {}

bool TVerknuepfungen::DesktopVorhanden() const {
    return Vorhanden(FDesktop) || Vorhanden(FDesktopAlle);
}

bool TVerknuepfungen::AutostartVorhanden() const {
    return Vorhanden(FAutostart);
}

void TVerknuepfungen::Ausfuehren(TVerknuepfungsAktion aktion) const {
    switch (aktion) {
    case TVerknuepfungsAktion::DesktopSchreiben:
        SchreibeVerknuepfung(FDesktop, FProgramm, {});
        break;
    case TVerknuepfungsAktion::DesktopLoeschen:
        VerknuepfungLoeschen(FDesktop);
        VerknuepfungLoeschen(FDesktopAlle);
        break;
    case TVerknuepfungsAktion::AutostartSchreiben:
        SchreibeVerknuepfung(FAutostart, FProgramm, {SystemstartArgument});
        break;
    case TVerknuepfungsAktion::AutostartLoeschen:
        VerknuepfungLoeschen(FAutostart);
        break;
    case TVerknuepfungsAktion::ScannerSetzen:
    case TVerknuepfungsAktion::Nichts:
        break;
    }
}
