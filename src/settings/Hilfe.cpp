#include "settings/Hilfe.h"

#include "common/Bauwerte.h"
#include "common/ResConst.h"
#include "platform/Dateien.h"
#include "platform/TDateien.h"
#include "platform/TProgramme.h"
#include "platform/Textkodierung.h"
#include "settings/Verknuepfungen.h"

#include <QFile>
#include <QFileInfo>

QString ProgrammOrdner(const THilfeUmgebung& u) {
    QString ordner = QFileInfo(u.ProgrammDatei).absolutePath();
    if (!ordner.endsWith(u'/'))
        ordner += u'/';
    return ordner;
}

THersteller BauHersteller() {
    return {Bauwerte::HerstellerName(), Bauwerte::HerstellerAnschrift(), Bauwerte::Homepage(),
            Bauwerte::Mail(), Bauwerte::SpendenSeite()};
}

QString HistoryDatei(const THilfeUmgebung& u) {
    return u.Dateien.BeigelegteDatei(u.ProgrammDatei, HistoryName);
}

bool HistoryVorhanden(const THilfeUmgebung& u) {
    return !HistoryDatei(u).isEmpty();
}

bool UpdaterVorhanden(const THilfeUmgebung& u) {
    return QFileInfo(ProgrammOrdner(u) + UpdaterName).isFile();
}

QString ProgrammInfoText(const THersteller& h) {
    QStringList hersteller;
    if (!h.Name.isEmpty())
        hersteller << h.Name;
    hersteller << h.Anschrift;
    if (!h.Homepage.isEmpty())
        hersteller << QStringLiteral("Web: ") + h.Homepage;
    if (!h.Mail.isEmpty())
        hersteller << QStringLiteral("Mail: ") + h.Mail;
    QStringList zeilen{
        ProgrammTitel,
        QStringLiteral(
            "Dieses Programm kann Computer über das Netzwerk starten und wieder herunterfahren lassen.")};
    if (!hersteller.isEmpty())
        zeilen << QString() << hersteller;
    return zeilen.join(QStringLiteral("\r\n"));
}

// "www.example.at" as a browser takes it.
QUrl HomepageUrl(const THersteller& h) {
    return QUrl::fromUserInput(h.Homepage);
}

QUrl MailUrl(const THersteller& h) {
    if (h.Mail.isEmpty())
        return {};
    return QUrl(QStringLiteral("mailto:") + h.Mail + QStringLiteral("?subject=") + ProgrammTitel);
}

QUrl SpendenUrl(const THersteller& h) {
    return QUrl::fromUserInput(h.Spenden);
}

QUrl HistoryUrl(const THilfeUmgebung& u) {
    const QString datei = HistoryDatei(u);
    return datei.isEmpty() ? QUrl() : QUrl::fromLocalFile(datei);
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
    if (!QFileInfo(u.ProgrammDatei).isFile())
        return QStringLiteral("Es ist ein Fehler beim Aktualisieren aufgetreten!\r\n") +
               ProgrammFehltText(u.ProgrammDatei);
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
