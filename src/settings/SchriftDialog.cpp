#include "settings/SchriftDialog.h"

#include "settings/ProgrammEinstellungen.h"
#include "ui/Farben.h"
#include "ui/TMeldungen.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QPixmap>
#include <QPushButton>

namespace {

QIcon FarbFeld(const QColor& farbe) {
    QPixmap feld(16, 16);
    feld.fill(farbe);
    return QIcon(feld);
}

} // namespace

bool SchriftWaehlen(QWidget* eltern, TProgrammSchrift& schrift) {
    // "Arial" is often only an alias of the desktop (for Liberation Sans): the dialog lists
    // the face that really draws, and the stored name stays unless the user picks another.
    QFont anzeige = schrift.Font;
    const QString echterName = QFontInfo(schrift.Font).family();
    anzeige.setFamily(echterName);
    QFontDialog dlg(anzeige, eltern);
    // Our own dialog, so the effects and the colour button are always there.
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("Schriftart"));

    quint32 farbWert = schrift.FarbWert;
    if (auto* knoepfe = dlg.findChild<QDialogButtonBox*>()) {
        QPushButton* farbe = knoepfe->addButton(QStringLiteral("&Farbe..."), QDialogButtonBox::ActionRole);
        farbe->setObjectName(QStringLiteral("FarbKnopf"));
        farbe->setIcon(FarbFeld(FarbeAusWert(farbWert)));
        QObject::connect(farbe, &QPushButton::clicked, &dlg, [&dlg, &farbWert, farbe] {
            QColorDialog farbDlg(FarbeAusWert(farbWert), &dlg);
            farbDlg.setOption(QColorDialog::DontUseNativeDialog);
            farbDlg.setWindowTitle(QStringLiteral("Schriftfarbe"));
            if (!Meldungen::ZeigeModal(&farbDlg))
                return;
            farbWert = WertAusFarbe(farbDlg.currentColor());
            farbe->setIcon(FarbFeld(FarbeAusWert(farbWert)));
        });
    }

    if (!Meldungen::ZeigeModal(&dlg))
        return false;
    // What is stored is what survives a restart: typeface, whole points and the four styles.
    TSchriftWerte werte = SchriftWerte(schrift);
    TProgrammSchrift gewaehlt;
    gewaehlt.Font = dlg.currentFont();
    const TSchriftWerte neu = SchriftWerte(gewaehlt);
    werte.Name = neu.Name == echterName ? werte.Name : neu.Name;
    werte.Groesse = neu.Groesse;
    werte.Stil = neu.Stil;
    werte.Farbe = farbWert;
    SchriftSetzen(schrift, werte);
    return true;
}
