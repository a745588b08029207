#include "settings/Hilfe.h"

#include "common/ResConst.h"
#include "platform/Dateien.h"
#include "platform/TDateien.h"
#include "platform/TProgramme.h"
#include "platform/Textkodierung.h"
#include "settings/Hersteller.h"

#include <QFile>
#include <QFileInfo>

QString ProgrammOrdner(const THilfeUmgebung& u) {
    QString ordner = QFileInfo(u.ProgrammDatei).absolutePath();
    if (!ordner.endsWith(u'/'))
        ordner += u'/';
    return ordner;
}

bool HistoryVorhanden(const THilfeUmgebung& u) {
    return QFileInfo(ProgrammOrdner(u) + HistoryName).isFile();
}

bool UpdaterVorhanden(const THilfeUmgebung& u) {
    return QFileInfo(ProgrammOrdner(u) + UpdaterName).isFile();
}

QString ProgrammInfoText() {
    const QStringList zeilen{
        ProgrammTitel,
        QStringLiteral(
            "Dieses Programm kann Computer über das Netzwerk starten und wieder herunterfahren lassen."),
        QString(),
        Hersteller::Name,
        Hersteller::Anschrift,
        QStringLiteral("Web: ") + Hersteller::WebSeite,
        QStringLiteral("Mail: ") + Hersteller::MailAdresse};
    return zeilen.join(QStringLiteral("\r\n"));
}

QUrl HomepageUrl() {
    return QUrl(Hersteller::WebSeite);
}

QUrl MailUrl() {
    return QUrl(QStringLiteral("mailto:") + Hersteller::MailAdresse + QStringLiteral("?subject=") +
                ProgrammTitel);
}

QUrl SpendenUrl() {
    return QUrl(Hersteller::WebSeite + Hersteller::SpendenSeite);
}

QUrl HistoryUrl(const THilfeUmgebung& u) {
    return QUrl::fromLocalFile(ProgrammOrdner(u) + HistoryName);
}

QString UebergabeDatei(const THilfeUmgebung& u) {
    return u.Dateien.TempOrdner() + UebergabeName;
}

QStringList UebergabeZeilen(const THilfeUmgebung& u, const QString& fensterTitel, int punkte,
                            const QString& schriftName) {
    return {ProgrammTitel, fensterTitel, u.ProgrammDatei, ProgrammName,
            QString::number(punkte) + u' ' + schriftName};
}

QByteArray UebergabeInhalt(TDateien& dateien, const QStringList& zeilen) {
    QByteArray inhalt;
    for (const QString& zeile : zeilen)
        inhalt += KodiereAnsi(dateien, zeile + QStringLiteral("\r\n"));
    return inhalt;
}

bool UebergabeSchreiben(TDateien& dateien, const QString& pfad, const QByteArray& inhalt) {
    const QFileInfo info(pfad);
    if (info.isSymLink()) {
        if (!QFile::remove(pfad))
            return false;
    }
    return DateiErsetzen(dateien, pfad, inhalt);
}

QString UpdateFehlerText(const QString& pfad) {
    return QStringLiteral(
               "Es ist ein Fehler beim Aktualisieren aufgetreten!\r\nDie Datei \"%1\" konnte nicht "
               "gespeichert werden.")
        .arg(pfad);
}

std::optional<QString> UpdateUebergeben(const THilfeUmgebung& u, const QString& fensterTitel, int punkte,
                                        const QString& schriftName, const TProgrammStarter& starter) {
    const QString datei = UebergabeDatei(u);
    if (!UebergabeSchreiben(
            u.Dateien, datei,
            UebergabeInhalt(u.Dateien, UebergabeZeilen(u, fensterTitel, punkte, schriftName))))
        return UpdateFehlerText(datei);
    const QString updater = ProgrammOrdner(u) + UpdaterName;
    if (starter)
        starter(updater, {UebergabeName});
    else
        u.Programme.ProgrammStarten(updater, {UebergabeName});
    return std::nullopt;
}
