#include "app/TForm1.h"

#include "app/TParamClass.h"
#include "common/DatumZeit.h"
#include "common/ResConst.h"
#include "platform/TPlattform.h"
#include "ui/Layout.h"
#include "ui/TMeldungen.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

TForm1::TForm1(TForm1Optionen optionen, QWidget* parent) : QMainWindow(parent), FOptionen(std::move(optionen)) {
    auto* flaeche = new QWidget(this);
    setCentralWidget(flaeche);
    // The controls are placed by hand from the font; they follow the area's size.
    flaeche->installEventFilter(this);
    ListView1 = new QTableWidget(flaeche);
    Cb1Desktop = new QCheckBox(flaeche);
    Cb1Autostart = new QCheckBox(flaeche);
    Cb1Scanner = new QCheckBox(flaeche);
    Btn1Minimieren = new QPushButton(flaeche);
    Btn1Beenden = new QPushButton(flaeche);
    StatusBar1 = new QStatusBar(this);
    setStatusBar(StatusBar1);
    StatusBar1->setSizeGripEnabled(false);

    MenuDatei = menuBar()->addMenu(QStringLiteral("&Datei"));
    MenuDateiMinimieren = MenuDatei->addAction(QStringLiteral("Minimieren"));
    MenuDateiMinimieren->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    MenuDateiBeenden = MenuDatei->addAction(QStringLiteral("&Beenden"));
    MenuDateiBeenden->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

    connect(Btn1Minimieren, &QPushButton::clicked, this, [this] { ButtonsClick(1); });
    connect(MenuDateiMinimieren, &QAction::triggered, this, [this] { ButtonsClick(1); });
    connect(Btn1Beenden, &QPushButton::clicked, this, [this] { ButtonsClick(2); });
    connect(MenuDateiBeenden, &QAction::triggered, this, [this] { ButtonsClick(2); });

    for (QTimer* t : {&Timer1Start, &Timer1StatusBar, &Timer1Sender, &Timer1UdpTimer, &Timer1Icmp, &Timer1Scanner,
                      &Timer1SetSuspendState, &Timer1Balloon, &Timer1Zeitsteuerung})
        t->setSingleShot(true); // every tick re-arms its timer itself
    connect(&Timer1Start, &QTimer::timeout, this, &TForm1::Timer1StartTimer);
    connect(&Timer1StatusBar, &QTimer::timeout, this, &TForm1::Timer1StatusBarTimer);
    connect(&Timer1Sender, &QTimer::timeout, this, &TForm1::Timer1SenderTimer);
    connect(&Timer1UdpTimer, &QTimer::timeout, this, &TForm1::Timer1UdpTimerTimer);
    connect(&Timer1Icmp, &QTimer::timeout, this, &TForm1::Timer1IcmpTimer);
    connect(&Timer1Scanner, &QTimer::timeout, this, &TForm1::Timer1ScannerTimer);

    TPlattform& p = Plattform();
    connect(&p, &TPlattform::NachrichtEmpfangen, this, &TForm1::NachrichtEmpfangen);
    connect(&p, &TPlattform::SitzungEndet, this, &TForm1::SitzungEndet);
    connect(&p, &TPlattform::SchlafBeginnt, this, &TForm1::SchlafBeginnt);
    connect(&p, &TPlattform::Aufgewacht, this, &TForm1::Aufgewacht);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &TForm1::SitzungEndet);

    FormCreate();
}

TForm1::~TForm1() { FormDestroy(); }

// --- Creation -------------------------------------------------------------------------------

void TForm1::FormCreate() {
    IsClosing = false;
    Cb1Scanner->setToolTipDuration(3000);

    AutoCloseS = true;
    ScannerS = false;
    ScannerAnzahl = 0;
    StopS = false;
    SchonIcmpS = false;
    ZeitsteuerungEmpfangenS = false;
    ZeitsteuerungGesendetS = false;
    ZeitsteuerungStr.clear();

    SetTabOrders();
    StatusBar1Panel = new QLabel(StatusBar1);
    StatusBar1Panel->setAlignment(Qt::AlignCenter);
    StatusBar1->addWidget(StatusBar1Panel, 1);
    ListView1->clear();
    ListView1->setColumnCount(6);
    ListView1->setRowCount(0);
    ListView1->verticalHeader()->hide();
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setShowGrid(true);
    ListView1->setSortingEnabled(false);
    ListView1->setWordWrap(false);
    ListView1->horizontalHeader()->setSectionsClickable(false);
    ListView1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    ListView1->horizontalHeader()->setStretchLastSection(true);
    CaptionZuweisen();

    VerknuepfungenPruefen();

    QDir().mkpath(QFileInfo(HostlisteDatei).absolutePath());
    HostList = std::make_unique<THostList>(HostlisteDatei);

    ProgStartDateTime = Plattform().Jetzt();

    Plattform().SetzeFensterTitel(windowTitle());
    Plattform().SetzeAnfrageBeantworter([this](const QString& a) { return Anfrage(a); });
    Timer1Start.start(5);
}

void TForm1::VerknuepfungenPruefen() {
    auto vorhanden = [](const QString& pfad) { return !pfad.isEmpty() && QFile::exists(pfad); };
    const QSignalBlocker b1(Cb1Desktop), b2(Cb1Autostart);
    Cb1Desktop->setChecked(vorhanden(DesktopLink) || vorhanden(DesktopLinkAlle));
    Cb1Autostart->setChecked(vorhanden(AutostartLink));
}

void TForm1::CaptionZuweisen() {
    const QString titel = QStringLiteral("%1 - %2").arg(EigenerPC, ProgrammTitel);
    setWindowTitle(titel);
    QGuiApplication::setApplicationDisplayName(QString());
    Cb1Desktop->setText(QStringLiteral("Programm&verknüpfung am Desktop"));
    Cb1Autostart->setText(QStringLiteral("Ausführen bei &Windows-Start"));
    Cb1Scanner->setText(QStringLiteral("&Scannen"));
    Cb1Scanner->setToolTip(QStringLiteral("Findet aktivierte Geräte im Netzwerk"));
    Btn1Minimieren->setText(QStringLiteral("&Minimieren"));
    Btn1Beenden->setText(QStringLiteral("&Beenden"));
    ListView1->setHorizontalHeaderLabels({QStringLiteral("Gerät"), QStringLiteral("Benutzer"),
                                          QStringLiteral("Status"), QStringLiteral("Sender"),
                                          QStringLiteral("IP-Adresse"), QStringLiteral("MAC-Adresse")});
    StatusBar1Panel->clear();
}

void TForm1::SetTabOrders() {
    QWidget::setTabOrder(ListView1, Cb1Desktop);
    QWidget::setTabOrder(Cb1Desktop, Cb1Autostart);
    QWidget::setTabOrder(Cb1Autostart, Cb1Scanner);
    QWidget::setTabOrder(Cb1Scanner, Btn1Minimieren);
    QWidget::setTabOrder(Btn1Minimieren, Btn1Beenden);
}

// --- Fonts, colours and layout -----------------------------------------------------------------

void TForm1::SchriftartZuweisen() {
    for (QWidget* w : std::initializer_list<QWidget*>{ListView1, StatusBar1, StatusBar1Panel, Cb1Desktop,
                                                      Cb1Autostart, Cb1Scanner})
        TextbereichGestalten(w, FSchrift, Hintergrund());
    for (QPushButton* b : {Btn1Minimieren, Btn1Beenden})
        KnopfGestalten(b, FSchrift);
    SchalterEinrichten();
}

void TForm1::SchalterEinrichten() {
    QWidget* flaeche = centralWidget();
    const int clientBreite = flaeche->width();
    StatusBar1->setFixedHeight(GetSchalterHoehe(StatusBar1->font(), TSchalterArt::StatusBar));
    const int knopfHoehe = GetSchalterHoehe(Btn1Beenden->font(), TSchalterArt::Button);
    for (QCheckBox* c : {Cb1Desktop, Cb1Autostart, Cb1Scanner})
        c->setFixedHeight(GetSchalterHoehe(c->font(), TSchalterArt::CheckBox));
    for (QPushButton* b : {Btn1Minimieren, Btn1Beenden})
        b->setFixedSize(125, knopfHoehe);

    // The status bar is docked below the central area, so its top is the area's height.
    const int statusTop = flaeche->height();
    const int knopfTop = statusTop - 10 - knopfHoehe;
    Btn1Beenden->move(clientBreite - 10 - 125, knopfTop);
    Btn1Minimieren->move(Btn1Beenden->x() - 5 - 125, knopfTop);

    ListView1->setGeometry(10, 10, clientBreite - 20, knopfTop - 10 - 10);
    const int listBreite = ListView1->width();
    const int spalte = int((listBreite / 100.0) * (100.0 / 6));
    for (int i = 0; i < 5; ++i)
        ListView1->setColumnWidth(i, spalte);
    ListView1->setColumnWidth(5, listBreite - 5 * spalte);

    const int cbHoehe = Cb1Desktop->height();
    const int cbTop = knopfTop + (knopfHoehe - cbHoehe) / 2;
    const int cbBreite = int(0.44 * (Btn1Minimieren->x() - 30));
    Cb1Desktop->setGeometry(10, cbTop, cbBreite, cbHoehe);
    Cb1Autostart->setGeometry(Cb1Desktop->geometry().right() + 1 + 5, cbTop, cbBreite, cbHoehe);
    const int scannerLinks = Cb1Autostart->geometry().right() + 1 + 5;
    Cb1Scanner->setGeometry(scannerLinks, cbTop, Btn1Minimieren->x() - 10 - scannerLinks, cbHoehe);
}

QSize TForm1::Sollgroesse() const {
    const QScreen* schirm = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!schirm)
        return size();
    // The frame belongs to the work area too; before the first showing it is unknown.
    const QSize rahmen = frameGeometry().size() - geometry().size();
    return schirm->availableGeometry().size() - rahmen;
}

void TForm1::GroesseAnArbeitsbereich() {
    const QSize soll = Sollgroesse();
    if (minimumSize() != soll || maximumSize() != soll)
        setFixedSize(soll);
}

void TForm1::FensterEinrichten() {
    const QScreen* schirm = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!schirm)
        return;
    const QRect arbeit = schirm->availableGeometry();
    if (isMaximized()) {
        move(arbeit.topLeft());
        return;
    }
    const QSize aussen = frameGeometry().size();
    move(arbeit.left() + (arbeit.width() - aussen.width()) / 2, arbeit.top() + (arbeit.height() - aussen.height()) / 2);
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
    if (ereignis->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && !IsClosing) {
        // Minimising hides the window to the notification area instead.
        ListView1->setFocus();
        QTimer::singleShot(0, this, [this] { FensterMinimierenWiederherstellen(true); });
    }
}

// --- Timers -----------------------------------------------------------------------------------

void TForm1::Timer1StartTimer() {
    Timer1Start.stop();
    Timer1StatusBarTimer();
    const TParamClass param({u'/'}, true, FOptionen.Argumente ? *FOptionen.Argumente
                                                               : QCoreApplication::arguments().mid(1));
    bool systemstartS = false;
    for (int i = 1; i <= param.ParameterCount() && !systemstartS; ++i)
        systemstartS = param.Parameter(i).toLower() == QLatin1String("/systemstartup");
    FensterMinimierenWiederherstellen(systemstartS);
    ListenerAktivieren(true);
    Timer1Icmp.start(2100);
    Timer1SenderTimer();
    Timer1Scanner.start(250);
}

void TForm1::Timer1StatusBarTimer() {
    Timer1StatusBar.stop();
    if (StopS)
        return;
    Timer1StatusBar.setInterval(500);
    const QString text = StatusBarText(Plattform().Jetzt());
    if (StatusBar1Panel->text() != text)
        StatusBar1Panel->setText(text);
    // The clock runs only while the window is shown.
    if (!StopS && !CtiSichtbar())
        Timer1StatusBar.start();
}

void TForm1::Timer1SenderTimer() {
    Timer1Sender.stop();
    if (StopS)
        return;
    Timer1Sender.setInterval(2000);
    SendBroadcast(true);
    if (!StopS)
        Timer1Sender.start();
}

void TForm1::Timer1UdpTimerTimer() {
    Timer1UdpTimer.stop();
    if (StopS)
        return;
    ListenerAktivieren(true);
    Timer1Sender.start(50);
    Timer1Icmp.start(75);
    Timer1Scanner.start(100);
}

void TForm1::Timer1IcmpTimer() {
    Timer1Icmp.stop();
    SchonIcmpS = true;
}

void TForm1::Timer1ScannerTimer() {
    Timer1Scanner.stop();
    Timer1Scanner.setInterval(250);
    if (!StopS)
        Timer1Scanner.start();
}

// --- Presence and listeners (wired by the peer protocol) -----------------------------------------

void TForm1::SendBroadcast(bool) {}

void TForm1::ListenerAktivieren(bool) {}

// --- Hiding and showing -------------------------------------------------------------------------

void TForm1::FensterMinimierenWiederherstellen(bool miniS) {
    if (miniS) {
        FVerstecktS = true;
        hide();
        return;
    }
    FVerstecktS = false;
    if (isMinimized())
        showNormal();
    show();
    activateWindow();
    Timer1StatusBarTimer();
    QTimer::singleShot(0, this, [this] { NachrichtEmpfangen(TPlattform::NachrichtZeigen); });
}

// --- Closing ----------------------------------------------------------------------------------

void TForm1::ButtonsClick(int tag) {
    if (tag == 1) {
        ListView1->setFocus();
        FensterMinimierenWiederherstellen(true);
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
    const bool jaS = Meldungen::Frage(this, QStringLiteral("Soll das Programm beendet werden?"));
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
    StopS = true;
    SendBroadcast(false);
    FormClose();
    FBeendetS = true;
    ereignis->accept();
    emit Beendet();
}

void TForm1::FormClose() {
    for (QTimer* t : {&Timer1StatusBar, &Timer1Sender, &Timer1UdpTimer, &Timer1Icmp, &Timer1Scanner,
                      &Timer1Zeitsteuerung})
        t->stop();
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
    ListenerAktivieren(false);
    HostList.reset();
    // Only an empty folder goes; one that still holds files stays.
    QDir().rmdir(QFileInfo(HostlisteDatei).absolutePath());
}

// --- Messages from outside ------------------------------------------------------------------------

void TForm1::NachrichtEmpfangen(int nachricht) {
    switch (nachricht) {
    case TPlattform::NachrichtSchliessen1:
    case TPlattform::NachrichtSchliessen2:
        SchliessenOhneFrage();
        break;
    case TPlattform::NachrichtZeigen:
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
    StopS = true;
}

void TForm1::SchlafBeginnt() {
    StopS = true;
    for (QTimer* t : {&Timer1Sender, &Timer1StatusBar, &Timer1Icmp, &Timer1Scanner, &Timer1Zeitsteuerung})
        t->stop();
    SendBroadcast(false);
    ListenerAktivieren(false);
}

void TForm1::Aufgewacht() {
    StopS = false;
    Timer1StatusBarTimer();
    Timer1UdpTimer.start(5000);
}

QString TForm1::Anfrage(const QString& anfrage) {
    if (anfrage == QLatin1String("zustand")) {
        QStringList z;
        z << QStringLiteral("titel=") + windowTitle()
          << QStringLiteral("sichtbar=") + QString::number(isVisible() ? 1 : 0)
          << QStringLiteral("tray=") + QString::number(CtiSichtbar() ? 1 : 0)
          << QStringLiteral("breite=") + QString::number(frameGeometry().width())
          << QStringLiteral("hoehe=") + QString::number(frameGeometry().height())
          << QStringLiteral("eigenemac=") + EigeneMAC()
          << QStringLiteral("scanner=") + QString::number(Cb1Scanner->isChecked() ? 1 : 0)
          << QStringLiteral("scanner_aktiv=") + QString::number(Cb1Scanner->isEnabled() ? 1 : 0)
          << QStringLiteral("statusbar=") + StatusBar1Panel->text();
        return z.join(u'\n');
    }
    if (anfrage == QLatin1String("ansicht")) {
        QStringList zeilen;
        for (int r = 0; r < ListView1->rowCount(); ++r) {
            QStringList zellen;
            for (int c = 0; c < ListView1->columnCount(); ++c) {
                const QTableWidgetItem* item = ListView1->item(r, c);
                zellen << (item ? item->text() : QString());
            }
            zeilen << zellen.join(u'\t');
        }
        return zeilen.join(u'\n');
    }
    return {};
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
