// Saves pictures of the schedule dialog at 12 and 24 points, for docs/screenshots.
// Run under a display, for example:
//   unshare --net -- xvfb-run -a build-test/tests/schedule/zeitdlg_bild docs/screenshots

#include "schedule/TZeitDlg.h"

#include <QApplication>
#include <QDir>
#include <QTest>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString ziel = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(ziel);
    const QDateTime jetzt(QDate(2026, 12, 7), QTime(14, 35, 12));
    // A third argument "keine" shows the dialog without action (everything but the group disabled).
    const bool keineS = argc > 2 && QByteArray(argv[2]) == "keine";
    for (int punkte : {12, 24}) {
        TZeitDlg dlg(nullptr, [jetzt] { return jetzt; });
        dlg.setWindowTitle(TZeitDlg::Titel(QStringLiteral("WOHNZIMMER")));
        TProgrammSchrift schrift;
        schrift.Font.setPointSize(punkte);
        dlg.SchriftartZuweisen(schrift, HintergrundFarbe(1));
        dlg.FelderSetzen({keineS ? TZeitsteuerungAktion::akKeine : TZeitsteuerungAktion::akHerunterfahren,
                          false, QDate(2026, 12, 24), QTime(7, 30)});
        dlg.show();
        if (!QTest::qWaitForWindowExposed(&dlg))
            return 1;
        QTest::qWait(200);
        const QString datei = ziel + QStringLiteral("/zeitdlg-%1%2.png")
                                         .arg(punkte)
                                         .arg(keineS ? QStringLiteral("-keine") : QString());
        if (!dlg.grab().save(datei))
            return 2;
        qInfo("%s: %dx%d", qPrintable(datei), dlg.width(), dlg.height());
    }
    return 0;
}
