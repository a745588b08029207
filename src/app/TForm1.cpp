#include "app/TForm1.h"

#include "app/TParamClass.h"
#include "common/DatumZeit.h"
#include "common/ResConst.h"
#include "schedule/TZeitDlg.h"
#include "schedule/TZeitsteuerung.h"
#include "settings/TEinstellungen.h"
#include "settings/Verknuepfungen.h"
#include "ui/Layout.h"
#include "ui/TFernanmeldungDlg.h"
#include "ui/THintergrundForm.h"
#include "ui/TMeldungen.h"
#include "ui/TMeldungsZeile.h"
#include "ui/TPuLv1.h"
#include "ui/TSchluesselDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {

// Hands the application's quit event to `beenden`, which takes it (true) or lets Qt end the
// message loop (false).
class TSitzungsEnde : public QObject {
public:
    TSitzungsEnde(QObject* parent, std::function<bool()> beenden)
        : QObject(parent), FBeenden(std::move(beenden)) {}

    bool eventFilter(QObject* objekt, QEvent* ereignis) override {
        return ereignis->type() == QEvent::Quit && objekt == QCoreApplication::instance() && FBeenden();
    }

private:
    std::function<bool()> FBeenden;
};

} // namespace

TForm1::TForm1(TPlattform plattform, TLaufzeit& laufzeit, TForm1Optionen optionen, QWidget* parent)
    : QMainWindow(parent), FPlattform(plattform),
      FLaufzeit(laufzeit), FHilfe{laufzeit.ProgrammDatei, plattform.Dateien, plattform.Programme},
      FOptionen(std::move(optionen)) {
    auto* flaeche = new QWidget(this);
    setCentralWidget(flaeche);
    // The controls are placed by hand from the font; they follow the area's size.
    flaeche->installEventFilter(this);
    ListView1 = new TListView(flaeche);
    Cb1Desktop = new QCheckBox(flaeche);
    Cb1Autostart = new QCheckBox(flaeche);
    Cb1Scanner = new QCheckBox(flaeche);
    Btn1Minimieren = new QPushButton(flaeche);
    Btn1Beenden = new QPushButton(flaeche);
    StatusBar1 = new QStatusBar(this);
    setStatusBar(StatusBar1);
    StatusBar1->setSizeGripEnabled(false);

    MenuesAnlegen();
    TrayAnlegen();
    connect(Btn1Minimieren, &QPushButton::clicked, this, [this] { ButtonsClick(1); });
    connect(Btn1Beenden, &QPushButton::clicked, this, [this] { ButtonsClick(2); });
    int tag = 0;
    for (QCheckBox* box : {Cb1Desktop, Cb1Autostart, Cb1Scanner}) {
        const int t = ++tag;
        connect(box, &QCheckBox::toggled, this, [this, t] { Cb1DesktopAutostartScannerClick(t); });
    }

    for (QTimer* t : {&Timer1Start, &Timer1StatusBar, &Timer1Scanner, &Timer1Balloon})
        t->setSingleShot(true); // every tick re-arms its timer itself
    connect(&Timer1Start, &QTimer::timeout, this, &TForm1::Timer1StartTimer);
    connect(&Timer1StatusBar, &QTimer::timeout, this, &TForm1::Timer1StatusBarTimer);
    connect(&Timer1Scanner, &QTimer::timeout, this, &TForm1::Timer1ScannerTimer);

    connect(&FPlattform.Instanz, &TInstanz::NachrichtEmpfangen, this, &TForm1::NachrichtEmpfangen);
    connect(&FPlattform.Instanz, &TInstanz::SitzungEndet, this, &TForm1::SitzungEndet);
    connect(&FPlattform.Energie, &TEnergie::SchlafBeginnt, this, &TForm1::SchlafBeginnt);
    connect(&FPlattform.Energie, &TEnergie::Aufgewacht, this, &TForm1::Aufgewacht);
    // A session manager asks to save with every checkpoint, not only at the end, so its save
    // request must not close the program. The real end, its "Die", reaches Qt's application
    // object as a quit event.
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(new TSitzungsEnde(this, [this] {
            if (FBeendetS)
                return false; // our own quit after the close
            SitzungEndet();
            return true;
        }));
    // Laid out again once the window manager has framed it, should the frame then reach
    // past the work area.
    NachRahmenNeuAnordnen(this, [this] {
        GroesseAnArbeitsbereich();
        FensterEinrichten();
    });

    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
}

// --- Creation -------------------------------------------------------------------------------

void TForm1::MenuesAnlegen() {
    MenuDatei = menuBar()->addMenu(QStringLiteral("&Datei"));
    MenuDateiMinimieren = MenuDatei->addAction(QStringLiteral("Minimieren"));
    MenuDateiMinimieren->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    // Credentials for shutting down computers that run no peer instance.
    connect(MenuDatei->addAction(QStringLiteral("&Fernanmeldung...")), &QAction::triggered, this,
            [this] { FernanmeldungBearbeiten(this, FPlattform.Energie, FSchrift, Hintergrund()); });
    // The key that power commands and schedule writes must carry; in force at once.
    connect(MenuDatei->addAction(QStringLiteral("Netzwerkschlüssel...")), &QAction::triggered, this, [this] {
        const TSchluesselWahl wahl = SchluesselBearbeiten(this, FPlattform.Dateien, FLaufzeit.SchluesselDatei,
                                                          FKern->SchluesselAktivS(), FSchrift, Hintergrund());
        if (wahl.GeaendertS)
            FKern->SchluesselSetzen(wahl.Schluessel);
    });
    MenuDateiBeenden = MenuDatei->addAction(QStringLiteral("&Beenden"));
    MenuDateiBeenden->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(MenuDateiMinimieren, &QAction::triggered, this, [this] { ButtonsClick(1); });
    connect(MenuDateiBeenden, &QAction::triggered, this, [this] { ButtonsClick(2); });

    MenuAns = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    MenuAnsSchriftart = MenuAns->addAction(QStringLiteral("&Schriftart..."));
    MenuAnsHintergrund = MenuAns->addAction(QStringLiteral("Schrift&hintergrund..."));
    connect(MenuAnsSchriftart, &QAction::triggered, this, &TForm1::MenuAnsSchriftartClick);
    connect(MenuAnsHintergrund, &QAction::triggered, this, &TForm1::MenuAnsHintergrundClick);

    MenuHilfe = HilfeMenueAnlegen(menuBar(), FHilfe);
    connect(MenuHilfe.MenuHilfe, &QMenu::aboutToShow, this, [this] { MenuHilfeClick(MenuHilfe, FHilfe); });
    connect(MenuHilfe.MenuHilfeInfo, &QAction::triggered, this, [this] { HilfeInfoZeigen(this, FHilfe); });
    connect(MenuHilfe.MenuHilfeHomepage, &QAction::triggered, this, [this] { HilfeHomepageOeffnen(FHilfe); });
    connect(MenuHilfe.MenuHilfeUpdate, &QAction::triggered, this, &TForm1::MenuHilfeUpdateClick);
    connect(MenuHilfe.MenuHilfeHistory, &QAction::triggered, this, [this] { HilfeHistoryOeffnen(FHilfe); });
    connect(MenuHilfe.MenuHilfeMail, &QAction::triggered, this, [this] { HilfeMailOeffnen(FHilfe); });
    connect(MenuHilfe.MenuHilfeSpenden, &QAction::triggered, this, [this] { HilfeSpendenOeffnen(FHilfe); });

    PuLv1 = new TPuLv1(ListView1);
    PuLv1->Popup = [this] { PuLv1Popup(); };
    for (QAction* a :
         {PuLv1->PuLv1Aufwecken, PuLv1->PULv1Einschlafen, PuLv1->PuLv1Herunterfahren, PuLv1->PuLv1Neustart})
        connect(a, &QAction::triggered, this, [this, a] { PuLv1Clicks(TPuLv1::Tag(a)); });
    for (QAction* a : {PuLv1->PuLv1PcAendern, PuLv1->PuLv1BenutzerAendern, PuLv1->PuLv1MeinName})
        connect(a, &QAction::triggered, this, [this, a] { PuLv1PcBenutzerAendernClick(TPuLv1::Tag(a)); });
    for (QAction* a : {PuLv1->PuLv1IpKopieren, PuLv1->PuLv1MacKopieren})
        connect(a, &QAction::triggered, this, [this, a] { PuLv1IpMacKopierenClick(TPuLv1::Tag(a)); });
    for (QAction* a : {PuLv1->PuLv1Oben, PuLv1->PuLv1Unten})
        connect(a, &QAction::triggered, this, [this, a] { PuLv1ObenUntenClick(TPuLv1::Tag(a)); });
    connect(PuLv1->PuLv1Zeitsteuerung, &QAction::triggered, this, &TForm1::PuLv1ZeitsteuerungClick);
    connect(PuLv1->PuLv1Loeschen, &QAction::triggered, this, &TForm1::PuLv1LoeschenClick);
}

void TForm1::FormCreate() {
    IsClosing = false;
    Cb1Scanner->setToolTipDuration(3000);
    HintergrundForm = new THintergrundForm(this, 10);
    HintergrundForm->SetHintergrundNr(HintergrundVorgabe);
    ZeitDlg = new TZeitDlg(this, [&uhr = FPlattform.Uhr] { return uhr.Jetzt(); });

    AutoCloseS = true;
    FLaufzeit.ScannerS = false;
    FLaufzeit.ScannerAnzahl = 0;
    FLaufzeit.StopS = false;

    SetTabOrders();
    // A long message is cut where the clock begins; its tip holds it whole.
    StatusBar1Meldung = new TMeldungsZeile(StatusBar1);
    StatusBar1->addWidget(StatusBar1Meldung, 3);
    StatusBar1Meldung->hide();
    StatusBar1Panel = new QLabel(StatusBar1);
    StatusBar1Panel->setAlignment(Qt::AlignCenter);
    StatusBar1->addWidget(StatusBar1Panel, 1);
    ListView1->setRowCount(0);
    CaptionZuweisen();

    VerknuepfungenPruefen();

    const auto melden = [this](const QString& text) { DateiMeldung(text); };
    FEinstellungen = std::make_unique<TEinstellungen>(FLaufzeit.EinstellungenDatei, FPlattform.Dateien);
    FEinstellungen->Melden = melden;
    FKern = std::make_unique<TKern>(FPlattform, FLaufzeit, *ZeitDlg,
                                    TKernOptionen{FOptionen.BefehlPort, FOptionen.SenderPort}, melden);
    connect(FKern.get(), &TKern::ListeGeaendert, this, &TForm1::AnsichtAktualisieren);
    connect(FKern.get(), &TKern::NetzVerfuegbar, this, &TForm1::NetzVerfuegbar);
    auto* schluessel = new QLabel(StatusBar1);
    StatusBar1->addPermanentWidget(schluessel);
    SchluesselAnzeigen(schluessel, FKern->SchluesselAktivS());
    connect(FKern.get(), &TKern::SchluesselGeaendert, schluessel,
            [schluessel](bool aktivS) { SchluesselAnzeigen(schluessel, aktivS); });
    // Queued: the dialogs that follow must not hold the command port's reception.
    connect(FKern.get(), &TKern::ZeitsteuerungErhalten, this, &TForm1::ZeitsteuerungErhalten,
            Qt::QueuedConnection);
    connect(FKern.get(), &TKern::ZeitsteuerungBestaetigt, this, &TForm1::ZeitsteuerungBestaetigt,
            Qt::QueuedConnection);
    ListViewFuellen();

    FPlattform.Instanz.SetzeFensterTitel(windowTitle());
    FPlattform.Instanz.SetzeAnfrageBeantworter(
        [this](const QString& anfrage, TInstanz::TAntwort antwort) { Anfrage(anfrage, std::move(antwort)); });
    Timer1Start.start(5);
}

void TForm1::VerknuepfungenPruefen() {
    // Programmatic: the box handler sees the change but, unfocused, touches no file.
    const TVerknuepfungen dateien(FLaufzeit, FPlattform.Starteintraege, FPlattform.Dateien);
    if (Cb1Desktop->isChecked() != dateien.DesktopVorhanden())
        Cb1Desktop->setChecked(dateien.DesktopVorhanden());
    if (Cb1Autostart->isChecked() != dateien.AutostartVorhanden())
        Cb1Autostart->setChecked(dateien.AutostartVorhanden());
}

void TForm1::resizeEvent(QResizeEvent* ereignis) {
    QMainWindow::resizeEvent(ereignis);
    GroesseAnArbeitsbereich();
    if (!IsClosing && isVisible()) {
        SchriftartZuweisen();
        FensterEinrichten();
    }
}

bool TForm1::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (objekt == centralWidget() && ereignis->type() == QEvent::Resize && !IsClosing)
        SchalterEinrichten();
    return QMainWindow::eventFilter(objekt, ereignis);
}

void TForm1::showEvent(QShowEvent* ereignis) {
    QMainWindow::showEvent(ereignis);
    if (!ereignis->spontaneous())
        FormShow();
}

void TForm1::FormShow() {
    GroesseAnArbeitsbereich();
    SchriftartZuweisen();
    FensterEinrichten();
    ListView1->setFocus();
    VerknuepfungenPruefen();
}

void TForm1::changeEvent(QEvent* ereignis) {
    QMainWindow::changeEvent(ereignis);
    if (ereignis->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) &&
        !IsClosing) {
        // Minimising hides the window to the notification area instead, where there is one.
        ListView1->setFocus();
        QTimer::singleShot(0, this, [this] { FensterMinimieren(); });
    }
}

// --- Timers -----------------------------------------------------------------------------------

void TForm1::Timer1StartTimer() {
    Timer1Start.stop();
    RegistryLadenSpeichern(true);
    Timer1StatusBarTimer();
    const TParamClass param(
        {u'/'}, true, FOptionen.Argumente ? *FOptionen.Argumente : QCoreApplication::arguments().mid(1));
    bool systemstartS = false;
    for (int i = 1; i <= param.ParameterCount() && !systemstartS; ++i)
        systemstartS = param.Parameter(i).toLower() == QLatin1String("/systemstartup");
    FensterMinimierenWiederherstellen(systemstartS);
    FKern->Starten();
    Timer1Scanner.start(250);
}

void TForm1::Timer1StatusBarTimer() {
    Timer1StatusBar.stop();
    if (FLaufzeit.StopS)
        return;
    Timer1StatusBar.setInterval(500);
    QString text = StatusBarText(FPlattform.Uhr.Jetzt());
    if (!FKern->IcmpHindernis().isEmpty())
        text += QStringLiteral("  –  ") + FKern->IcmpHindernis();
    if (StatusBar1Panel->text() != text)
        StatusBar1Panel->setText(text);
    // The clock runs only while the window is shown.
    if (!FLaufzeit.StopS && !CtiSichtbar())
        Timer1StatusBar.start();
}

void TForm1::Timer1ScannerTimer() {
    ScannerTimerSchritt();
}

// --- Closing ----------------------------------------------------------------------------------

void TForm1::ButtonsClick(int tag) {
    if (tag == 1) {
        ListView1->setFocus();
        FensterMinimieren();
    } else if (tag == 2) {
        AutoCloseS = false;
        close();
    }
}

bool TForm1::FormCloseQuery() {
    if (FSchliessenErzwungenS || AutoCloseS) {
        AutoCloseS = true;
        return true;
    }
    FFrageOffenS = true;
    // What could not be saved is said before the user decides.
    const QStringList fehler = SpeicherFehler();
    const bool jaS = Meldungen::Frage(
        this, fehler.isEmpty() ? QStringLiteral("Soll das Programm beendet werden?")
                               : fehler.join(QStringLiteral("\n\n")) +
                                     QStringLiteral("\n\nSoll das Programm trotzdem beendet werden?"));
    FFrageOffenS = false;
    AutoCloseS = true;
    // The session may have ended while the question was open.
    return jaS || FSchliessenErzwungenS;
}

void TForm1::closeEvent(QCloseEvent* ereignis) {
    if (FBeendetS) {
        ereignis->accept();
        return;
    }
    // The title bar's close box and the window manager's close key ask first.
    if (ereignis->spontaneous() && !FSchliessenErzwungenS)
        AutoCloseS = false;
    if (!FormCloseQuery()) {
        ereignis->ignore();
        return;
    }
    FLaufzeit.StopS = true;
    FormClose();
    FBeendetS = true;
    ereignis->accept();
    emit Beendet();
}

void TForm1::FormClose() {
    for (QTimer* t : {&Timer1StatusBar, &Timer1Scanner})
        t->stop();
    FKern->Beenden();
    RegistryLadenSpeichern(false);
    // Whoever closed, the user hears what is lost; without a window, on standard error.
    for (const QString& text : SpeicherFehler())
        std::fprintf(stderr, "%s: %s\n", qPrintable(ProgrammName), text.toLocal8Bit().constData());
    IsClosing = true;
}

void TForm1::SchliessenOhneFrage() {
    AutoCloseS = true;
    if (FFrageOffenS) {
        // Answer the open close question; its handler then finds the close allowed.
        FSchliessenErzwungenS = true;
        Meldungen::OffeneSchliessen();
        return;
    }
    if (Meldungen::IstEineOffen())
        Meldungen::OffeneSchliessen();
    close();
}

void TForm1::FormDestroy() {
    ScannerBeenden(); // the sweep's threads use the store
    FKern.reset();    // before the dialog whose fields its schedule uses
    // Only an empty folder goes; one that still holds files stays.
    QDir().rmdir(QFileInfo(FLaufzeit.HostlisteDatei).absolutePath());
}

// --- Messages from outside ------------------------------------------------------------------------

void TForm1::NachrichtEmpfangen(int nachricht) {
    switch (nachricht) {
    case TInstanz::NachrichtSchliessen1:
    case TInstanz::NachrichtSchliessen2:
        SchliessenOhneFrage();
        break;
    case TInstanz::NachrichtZeigen:
        InstanzZeigen();
        break;
    default:
        break;
    }
}

void TForm1::InstanzZeigen() {
    if (CtiSichtbar()) {
        // Restoring posts the show request again once the window is visible.
        FensterMinimierenWiederherstellen(false);
        return;
    }
    FensterInVordergrund(this);
    FormulareInVordergrund(this);
}

void TForm1::SitzungEndet() {
    if (FBeendetS)
        return;
    FSchliessenErzwungenS = true;
    SchliessenOhneFrage();
    FLaufzeit.StopS = true;
}

void TForm1::SchlafBeginnt() {
    for (QTimer* t : {&Timer1StatusBar, &Timer1Scanner})
        t->stop();
    FKern->Anhalten();
}

void TForm1::Aufgewacht() {
    FKern->Fortsetzen();
    Timer1StatusBarTimer();
    // The core's listeners come back after 5 s; the sweep's tick just after them.
    Timer1Scanner.start(5100);
}

// --- Foreground ---------------------------------------------------------------------------------

bool FensterInVordergrund(QWidget* fenster) {
    if (!fenster)
        return false;
    if (fenster->isMinimized())
        fenster->showNormal();
    if (fenster->isActiveWindow())
        return true;
    fenster->raise();
    fenster->activateWindow();
    return fenster->isActiveWindow();
}

void FormulareInVordergrund(QWidget* besitzer) {
    const auto kinder = besitzer->findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    for (QDialog* dialog : kinder)
        if (dialog->isVisible()) {
            FensterInVordergrund(dialog);
            FormulareInVordergrund(dialog);
        }
}
