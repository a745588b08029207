// Shows each dialog at 12, 24 and 36 points and saves what the screen shows of it, for a look
// at the layout on a given screen, with or without a window manager:
//   xvfb-run -a -s "-screen 0 1024x768x24" ui_bildschirmfotos /tmp/bilder
// With a window manager (openbox started on the same display first) the frames count too;
// docs/screenshots/1024x768-mit-fensterverwaltung was taken so. Prints each window's frame
// and fails when one leaves the work area.
#include "schedule/TZeitDlg.h"
#include "ui/Farben.h"
#include "ui/THintergrundForm.h"
#include "ui/TNameDlg.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <cstdio>

namespace {

bool Foto(QWidget* fenster, const QString& datei) {
    fenster->show();
    if (!QTest::qWaitForWindowExposed(fenster))
        return false;
    QTest::qWait(500); // a window manager may still frame and move it
    const QRect r = fenster->frameGeometry();
    const QRect arbeit = fenster->screen()->availableGeometry();
    const QPixmap bild = fenster->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    std::printf("%s: %dx%d at %d,%d%s\n", qPrintable(datei), r.width(), r.height(), r.x(), r.y(),
                arbeit.contains(r) ? "" : " OUTSIDE THE WORK AREA");
    fenster->hide();
    return bild.save(datei) && arbeit.contains(r);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString ziel = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(ziel);
    bool okS = true;
    for (int punkte : {12, 24, 36}) {
        TProgrammSchrift schrift;
        schrift.Font.setPointSize(punkte);
        THintergrundForm hintergrund;
        hintergrund.SchriftartZuweisen(schrift, HintergrundFarbe(1));
        hintergrund.SetHintergrundNr(5);
        okS &= Foto(&hintergrund, ziel + QStringLiteral("/hintergrund-%1.png").arg(punkte));

        TNameDlg name(schrift, HintergrundFarbe(1));
        name.setWindowTitle(QStringLiteral("Gerätename ändern"));
        name.LeName->setText(QStringLiteral("Wohnzimmer-PC"));
        okS &= Foto(&name, ziel + QStringLiteral("/namedlg-%1.png").arg(punkte));

        TZeitDlg zeit(nullptr, [] { return QDateTime(QDate(2026, 12, 7), QTime(14, 35)); });
        zeit.setWindowTitle(TZeitDlg::Titel(QStringLiteral("Wohnzimmer-PC")));
        zeit.SchriftartZuweisen(schrift, HintergrundFarbe(1));
        zeit.FelderSetzen({TZeitsteuerungAktion::akHerunterfahren, false, QDate(2088, 8, 28), QTime(7, 30)});
        okS &= Foto(&zeit, ziel + QStringLiteral("/zeitdlg-%1.png").arg(punkte));
    }
    return okS ? 0 : 1;
}
