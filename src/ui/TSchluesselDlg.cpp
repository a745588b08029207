#include "ui/TSchluesselDlg.h"

#include "protocol/Netzwerkschluessel.h"
#include "protocol/Signatur.h"
#include "ui/Layout.h"
#include "ui/TMeldungen.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// A short passphrase can be guessed from one recorded command, away from the network.
constexpr int MindestLaenge = 8;
} // namespace

TSchluesselDlg::TSchluesselDlg(bool aktivS, const TProgrammSchrift& schrift, const QColor& hintergrund,
                               QWidget* eltern)
    : QDialog(eltern) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setWindowTitle(QStringLiteral("Netzwerkschlüssel"));
    auto* formular = new QFormLayout;
    auto* hinweis = new QLabel(
        (aktivS ? QStringLiteral("Ein Netzwerkschlüssel ist gesetzt.")
                : QStringLiteral("Kein Netzwerkschlüssel gesetzt: jedes Gerät im Netz kann dieses Gerät "
                                 "herunterfahren und seine Zeitsteuerung ändern.")) +
            QStringLiteral("\nAuf jedem Gerät dieselbe Passphrase eingeben."),
        this);
    hinweis->setWordWrap(true);
    TextbereichGestalten(hinweis, schrift, hintergrund);
    formular->addRow(hinweis);
    LePassphrase = FormularZeile(this, formular, QStringLiteral("&Passphrase:"), {}, schrift, hintergrund);
    LeWiederholung =
        FormularZeile(this, formular, QStringLiteral("&Wiederholung:"), {}, schrift, hintergrund);
    for (QLineEdit* edit : {LePassphrase, LeWiederholung})
        edit->setEchoMode(QLineEdit::Password);
    Btn1Ok = new QPushButton(OkBeschriftung(), this);
    Btn2Entfernen = new QPushButton(QStringLiteral("&Entfernen"), this);
    Btn3Abbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
    for (QPushButton* knopf : {Btn1Ok, Btn2Entfernen, Btn3Abbrechen})
        KnopfGestalten(knopf, schrift);
    Btn2Entfernen->setEnabled(aktivS);
    Btn1Ok->setDefault(true);
    connect(Btn1Ok, &QPushButton::clicked, this, [this] {
        const QString einwand = Einwand();
        if (einwand.isEmpty())
            accept();
        else
            Meldungen::Fehler(this, einwand);
    });
    connect(Btn2Entfernen, &QPushButton::clicked, this, [this] {
        FEntfernenS = true;
        accept();
    });
    connect(Btn3Abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch();
    knoepfe->addWidget(Btn1Ok);
    knoepfe->addWidget(Btn2Entfernen);
    knoepfe->addWidget(Btn3Abbrechen);
    formular->addRow(knoepfe);
    setLayout(formular);
}

QString TSchluesselDlg::Einwand() const {
    if (LePassphrase->text() != LeWiederholung->text())
        return QStringLiteral("Die beiden Eingaben stimmen nicht überein.");
    if (LePassphrase->text().size() < MindestLaenge)
        return QStringLiteral("Die Passphrase muss mindestens %1 Zeichen lang sein.").arg(MindestLaenge);
    return {};
}

TSchluesselWahl SchluesselBearbeiten(QWidget* eltern, TDateien& dateien, const QString& pfad, bool aktivS,
                                     const TProgrammSchrift& schrift, const QColor& hintergrund) {
    TSchluesselDlg dlg(aktivS, schrift, hintergrund, eltern);
    if (!Meldungen::ZeigeModal(&dlg))
        return {};
    QString grund;
    if (dlg.EntfernenS()) {
        if (SchluesselEntfernen(pfad, &grund))
            return {true, std::nullopt};
        Meldungen::Fehler(
            eltern, QStringLiteral("Der Netzwerkschlüssel konnte nicht entfernt werden: %1.").arg(grund));
        return {};
    }
    // An automated answer may have skipped the button's own check.
    if (!dlg.Einwand().isEmpty()) {
        Meldungen::Fehler(eltern, dlg.Einwand());
        return {};
    }
    QApplication::setOverrideCursor(Qt::WaitCursor); // the derivation takes a moment on purpose
    const QByteArray schluessel = Signatur::SchluesselAusPassphrase(dlg.LePassphrase->text());
    QApplication::restoreOverrideCursor();
    if (SchluesselSpeichern(dateien, pfad, schluessel, &grund))
        return {true, schluessel};
    Meldungen::Fehler(
        eltern, QStringLiteral("Der Netzwerkschlüssel konnte nicht gespeichert werden: %1.").arg(grund));
    return {};
}

void SchluesselAnzeigen(QLabel* anzeige, bool aktivS) {
    // Kept off the window's edge, as the status bar's other text is.
    anzeige->setContentsMargins(0, 0, anzeige->fontMetrics().averageCharWidth(), 0);
    anzeige->setText(aktivS ? QStringLiteral("Netzwerkschlüssel aktiv")
                            : QStringLiteral("ohne Netzwerkschlüssel"));
    anzeige->setToolTip(
        aktivS ? QStringLiteral("Befehle und Zeitsteuerungen werden nur mit dem Netzwerkschlüssel "
                                "angenommen und gesendet.")
               : QStringLiteral("Jedes Gerät im Netz kann Befehle senden und Zeitsteuerungen "
                                "setzen (Datei \u2192 Netzwerkschlüssel...)."));
}
