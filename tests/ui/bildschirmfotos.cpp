// Shows each dialog at 12 and 36 points and saves what the screen shows of it:
//   xvfb-run -a -s "-screen 0 1920x1600x24" ui_bildschirmfotos docs/screenshots
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
    QTest::qWait(300);
    const QRect r = fenster->frameGeometry();
    const QPixmap bild = fenster->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    std::printf("%s: %dx%d at %d,%d\n", qPrintable(datei), r.width(), r.height(), r.x(), r.y());
    fenster->hide();
    return bild.save(datei);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString ziel = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(ziel);
    bool okS = true;
    for (int punkte : {12, 36}) {
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
    }
    return okS ? 0 : 1;
}
