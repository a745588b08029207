#include "app/Programm.h"

#include "app/Befehlszeile.h"
#include "app/TForm1.h"
#include "common/ResConst.h"
#include "common/TLaufzeit.h"
#include "hosts/Datenpfade.h"
#include "platform/TPlattform.h"
#include "ui/Programmsymbol.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

// The composition root: the system's services and the run-time values are made here and
// handed to everything else.
int ProgrammStart(int argc, char** argv) {
    std::unique_ptr<TSystemDienste> system = ErzeugeSystemDienste();
    const TPlattform plattform = system->Dienste();
    TLaufzeit laufzeit;
    DatenpfadeSetzen(laufzeit, plattform.Dateien, plattform.Identitaet, plattform.Starteintraege);
    // Options for scripts ("--liste", "--wecken", ...) need no window and no display.
    QStringList argumente;
    for (int i = 1; i < argc; ++i)
        argumente << QString::fromLocal8Bit(argv[i]);
    if (IstBefehlszeile(argumente)) {
        QCoreApplication app(argc, argv);
        app.setApplicationName(ProgrammName);
        app.setOrganizationName(ProgrammName);
        QTextStream aus(stdout), fehler(stderr);
        const int ergebnis = BefehlszeileAusfuehren(argumente, plattform, laufzeit, aus, fehler);
        system.reset();
        return ergebnis;
    }
    // A second start hands over to the first and creates no window, timer or socket.
    if (!plattform.Instanz.Beanspruchen()) {
        plattform.Instanz.NachrichtAnInstanz(ProgrammTitel, TInstanz::NachrichtZeigen);
        return 0;
    }
    QApplication app(argc, argv);
    app.setApplicationName(ProgrammName);
    app.setOrganizationName(ProgrammName);
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(Programmsymbol());
    // Qt's own texts (buttons of message boxes, the font dialog) in German, like ours.
    QTranslator qtTexte;
    if (qtTexte.load(QLocale(QLocale::German, QLocale::Austria), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexte);
    plattform.Instanz.Lauschen();
    plattform.Energie.Beginnen();
    int ergebnis = 0;
    {
        TForm1 form(plattform, laufzeit);
        QObject::connect(&form, &TForm1::Beendet, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        ergebnis = app.exec();
    }
    // The instance lock, the local socket and the bus connections go while the application
    // object still lives.
    system.reset();
    return ergebnis;
}
