#include "app/Programm.h"

#include "app/TForm1.h"
#include "common/ResConst.h"
#include "hosts/Datenpfade.h"
#include "platform/TPlattform.h"
#include "ui/Programmsymbol.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int ProgrammStart(int argc, char** argv) {
    DatenpfadeSetzen();
    // A second start hands over to the first and creates no window, timer or socket.
    if (!Plattform().InstanzBeanspruchen()) {
        Plattform().NachrichtAnInstanz(ProgrammTitel, TPlattform::NachrichtZeigen);
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
    Plattform().SitzungBeginnen();
    int ergebnis = 0;
    {
        TForm1 form;
        QObject::connect(&form, &TForm1::Beendet, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        ergebnis = app.exec();
    }
    // Releases the instance lock and the local socket while the event loop's objects live.
    PlattformBeenden();
    return ergebnis;
}
