#include "ui/TFernanmeldungDlg.h"

#include "ui/Layout.h"
#include "ui/TMeldungen.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFernanmeldungDlg::TFernanmeldungDlg(TEnergie& energie, const TProgrammSchrift& schrift,
                                     const QColor& hintergrund, QWidget* eltern)
    : QDialog(eltern), FBisher(energie.FernanmeldungLesen()) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setWindowTitle(QStringLiteral("Fernanmeldung"));
    auto* formular = new QFormLayout;
    LeBenutzer = FormularZeile(this, formular, QStringLiteral("&Benutzername:"), FBisher.Benutzer, schrift,
                               hintergrund);
    LeKennwort = FormularZeile(this, formular, QStringLiteral("&Kennwort:"), {}, schrift, hintergrund);
    LeDomaene =
        FormularZeile(this, formular, QStringLiteral("&Domäne:"), FBisher.Domaene, schrift, hintergrund);
    LeKennwort->setEchoMode(QLineEdit::Password);
    Btn1Ok = new QPushButton(OkBeschriftung(), this);
    Btn2Abbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
    KnopfGestalten(Btn1Ok, schrift);
    KnopfGestalten(Btn2Abbrechen, schrift);
    Btn1Ok->setDefault(true);
    connect(Btn1Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn2Abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch();
    knoepfe->addWidget(Btn1Ok);
    knoepfe->addWidget(Btn2Abbrechen);
    formular->addRow(knoepfe);
    setLayout(formular);
}

TEnergie::TFernanmeldung TFernanmeldungDlg::Anmeldung() const {
    TEnergie::TFernanmeldung a{LeBenutzer->text().trimmed(), LeKennwort->text(), LeDomaene->text().trimmed()};
    if (a.Kennwort.isEmpty() && a.Benutzer == FBisher.Benutzer)
        a.Kennwort = FBisher.Kennwort;
    return a;
}

void FernanmeldungBearbeiten(QWidget* eltern, TEnergie& energie, const TProgrammSchrift& schrift,
                             const QColor& hintergrund) {
    TFernanmeldungDlg dlg(energie, schrift, hintergrund, eltern);
    if (Meldungen::ZeigeModal(&dlg) && !energie.FernanmeldungSpeichern(dlg.Anmeldung()))
        Meldungen::Fehler(eltern,
                          QStringLiteral("Die Fernanmeldung konnte nicht gespeichert werden.\r\n"
                                         "Benutzername und Kennwort dürfen keine Steuerzeichen, der "
                                         "Benutzername kein \"%\" enthalten; das Kennwort darf nicht mit "
                                         "einem Leerzeichen beginnen."));
}
