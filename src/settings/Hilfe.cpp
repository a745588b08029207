#include "settings/Hilfe.h"

#include "common/Dateien.h"
#include "common/ResConst.h"
#include "common/Textkodierung.h"
#include "platform/TPlattform.h"
#include "settings/Hersteller.h"

#include <QFile>
#include <QFileInfo>

QString ProgrammOrdner() {
    QString ordner = QFileInfo(Plattform().ProgrammDatei()).absolutePath();
    if (!ordner.endsWith(u'/'))
        ordner += u'/';
    return ordner;
}

bool HistoryVorhanden() {
    return QFileInfo(ProgrammOrdner() + HistoryName).isFile();
}

bool UpdaterVorhanden() {
    return QFileInfo(ProgrammOrdner() + UpdaterName).isFile();
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

QUrl HistoryUrl() {
    return QUrl::fromLocalFile(ProgrammOrdner() + HistoryName);
}

QString UebergabeDatei() {
    return Plattform().TempOrdner() + UebergabeName;
}

QStringList UebergabeZeilen(const QString& fensterTitel, int punkte, const QString& schriftName) {
    return {ProgrammTitel, fensterTitel, Plattform().ProgrammDatei(), ProgrammName,
            QString::number(punkte) + u' ' + schriftName};
}

QByteArray UebergabeInhalt(const QStringList& zeilen) {
    QByteArray inhalt;
    for (const QString& zeile : zeilen)
        inhalt += KodiereAnsi(zeile + QStringLiteral("\r\n"));
    return inhalt;
}

bool UebergabeSchreiben(const QString& pfad, const QByteArray& inhalt) {
    const QFileInfo info(pfad);
    if (info.isSymLink()) {
        if (!QFile::remove(pfad))
            return false;
    }
    return DateiErsetzen(pfad, inhalt);
}

QString UpdateFehlerText(const QString& pfad) {
    return QStringLiteral(
               "Es ist ein Fehler beim Aktualisieren aufgetreten!\r\nDie Datei \"%1\" konnte nicht "
               "gespeichert werden.")
        .arg(pfad);
}

void ProgrammLosgeloestStarten(const QString& programm, const QStringList& argumente) {
    Plattform().ProgrammStarten(programm, argumente);
}

std::optional<QString> UpdateUebergeben(const QString& fensterTitel, int punkte, const QString& schriftName,
                                        const TProgrammStarter& starter) {
    const QString datei = UebergabeDatei();
    if (!UebergabeSchreiben(datei, UebergabeInhalt(UebergabeZeilen(fensterTitel, punkte, schriftName))))
        return UpdateFehlerText(datei);
    if (starter)
        starter(ProgrammOrdner() + UpdaterName, {UebergabeName});
    return std::nullopt;
}
