#include "hosts/Datenpfade.h"

#include "common/ResConst.h"

#include <QFileInfo>

QString GetSpecialFolder(TPlattform::TOrdner ordner) {
    return Plattform().SpezialOrdner(ordner);
}
QString ReadComputerName() {
    return Plattform().ComputerName();
}
QString ReadUserName() {
    return Plattform().UserName();
}

QString VerknuepfungsName() {
    return QFileInfo(Plattform().ProgrammDatei()).completeBaseName() + QStringLiteral(".desktop");
}

namespace {
// A folder the system does not have yields no path at all, never a bare file name.
QString Verknuepfung(TPlattform::TOrdner ordner) {
    const QString ordnerPfad = GetSpecialFolder(ordner);
    return ordnerPfad.isEmpty() ? QString() : ordnerPfad + VerknuepfungsName();
}
} // namespace

void DatenpfadeSetzen() {
    SetzeEigeneMAC(QString());
    EigenerPC = ReadComputerName();
    EigenerName = ReadUserName();
    DesktopLink = Verknuepfung(TPlattform::TOrdner::Desktop);
    DesktopLinkAlle = Verknuepfung(TPlattform::TOrdner::DesktopAlle);
    AutostartLink = Verknuepfung(TPlattform::TOrdner::Autostart);
    HostlisteDatei = GetSpecialFolder(TPlattform::TOrdner::AnwendungsDaten) + ProgrammName +
                     QStringLiteral("/Hostliste.txt");
    ZeitsteuerungDatei = QFileInfo(HostlisteDatei).path() + QStringLiteral("/Zeitsteuerung.txt");
}
