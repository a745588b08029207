#include "platform/linux/TLinuxEnergie.h"

#include "common/ResConst.h"
#include "platform/TDateien.h"
#include "platform/TProgramme.h"
#include "platform/linux/Fernanmeldung.h"
#include "platform/linux/TLogind.h"

#include <QFile>
#include <QFileInfo>

TLinuxEnergie::TLinuxEnergie(TProgramme& programme, TDateien& dateien)
    : FProgramme(programme), FDateien(dateien) {}

TLinuxEnergie::~TLinuxEnergie() = default;

void TLinuxEnergie::HibernationPruefen(std::function<void(bool)> antwort) {
    TLogind::HibernationPruefen(this, std::move(antwort));
}

bool TLinuxEnergie::Hibernieren(TBeendet beendet) {
    return FProgramme.ProgrammStarten(QStringLiteral("systemctl"), {QStringLiteral("hibernate")},
                                      std::move(beendet));
}

bool TLinuxEnergie::Schlafen() {
    return TLogind::Schlafen();
}

// The system's default delay of the shutdown command applies, as it would on Windows.
bool TLinuxEnergie::Herunterfahren(TBeendet beendet) {
    return FProgramme.ProgrammStarten(QStringLiteral("shutdown"), {QStringLiteral("-P")}, std::move(beendet));
}

bool TLinuxEnergie::Neustarten(TBeendet beendet) {
    return FProgramme.ProgrammStarten(QStringLiteral("shutdown"), {QStringLiteral("-r")}, std::move(beendet));
}

void TLinuxEnergie::FernAbschalten(const QString& ip, bool neustartS, TFernErgebnis fertig) {
    // Samba's remote shutdown, which needs rights on the target.
    QStringList argumente{QStringLiteral("rpc"), QStringLiteral("shutdown")};
    if (neustartS)
        argumente << QStringLiteral("-r");
    argumente << QStringLiteral("-I") << ip;
    const QString datei = FernanmeldungDatei();
    TProgramme& programme = FProgramme;
    // "klist -s" ends with 0 exactly when the user holds a valid Kerberos ticket; a missing
    // klist means no ticket.
    FProgramme.ProgrammAusfuehren(
        QStringLiteral("klist"), {QStringLiteral("-s")},
        [&programme, argumente, datei, fertig = std::move(fertig)](int code, const QByteArray&) mutable {
            if (code == 0)
                argumente << QStringLiteral("--use-kerberos=required");
            else if (QFileInfo::exists(datei))
                argumente << QStringLiteral("-A") << datei;
            else
                argumente << QStringLiteral("-N"); // no credentials: fail rather than ask
            programme.ProgrammAusfuehren(QStringLiteral("net"), argumente,
                                         [fertig = std::move(fertig)](int c, const QByteArray& ausgabe) {
                                             if (fertig)
                                                 fertig(c == 0 ? QString() : SambaGrund(c, ausgabe));
                                         });
        });
}

QString TLinuxEnergie::FernanmeldungDatei() const {
    return FDateien.SpezialOrdner(TDateien::TOrdner::Einstellungen) + ProgrammName +
           QStringLiteral("/Fernanmeldung");
}

TEnergie::TFernanmeldung TLinuxEnergie::FernanmeldungLesen() {
    QFile datei(FernanmeldungDatei());
    // A file of a few lines; anything larger is not ours.
    if (!datei.open(QIODevice::ReadOnly) || datei.size() > 4096)
        return {};
    return FernanmeldungAusText(datei.readAll());
}

bool TLinuxEnergie::FernanmeldungSpeichern(const TFernanmeldung& anmeldung) {
    const QString pfad = FernanmeldungDatei();
    if (anmeldung.Benutzer.isEmpty())
        return !QFileInfo::exists(pfad) || QFile::remove(pfad);
    const std::optional<QByteArray> text = FernanmeldungText(anmeldung);
    return text && FernanmeldungSchreiben(pfad, *text);
}

void TLinuxEnergie::Beginnen() {
    FLogind = std::make_unique<TLogind>();
    connect(FLogind.get(), &TLogind::SchlafBeginnt, this, &TEnergie::SchlafBeginnt);
    connect(FLogind.get(), &TLogind::Aufgewacht, this, &TEnergie::Aufgewacht);
}

void TLinuxEnergie::SchlafFreigeben() {
    if (FLogind)
        FLogind->SchlafFreigeben();
}
