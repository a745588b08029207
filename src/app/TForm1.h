#pragma once
// The main window and, at the same time, the controller of the whole program: it owns the
// listeners, the host list store, the view, the tray icon and every timer. Its methods
// wire the logic classes together and stay thin.

#include "hosts/THostList.h"
#include "ui/Farben.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QTableWidget>
#include <QTimer>
#include <memory>
#include <optional>

class QAction;
class QMenu;

struct TForm1Optionen {
    quint16 BefehlPort = 17170;
    quint16 SenderPort = 17171;
    // The command line without the program name; empty takes the process's arguments.
    std::optional<QStringList> Argumente;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(TForm1Optionen optionen = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- Fields ---------------------------------------------------------------------------
    bool IsClosing = false;
    bool AutoCloseS = true;
    QDateTime ProgStartDateTime;
    bool SchonIcmpS = false;
    bool ZeitsteuerungEmpfangenS = false;
    bool ZeitsteuerungGesendetS = false;
    QString ZeitsteuerungStr;
    QPointer<QWidget> MerkActiveControl;

    std::unique_ptr<THostList> HostList;

    // --- Components ----------------------------------------------------------------------
    QTableWidget* ListView1 = nullptr;
    QCheckBox* Cb1Desktop = nullptr;
    QCheckBox* Cb1Autostart = nullptr;
    QCheckBox* Cb1Scanner = nullptr;
    QPushButton* Btn1Minimieren = nullptr;
    QPushButton* Btn1Beenden = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusBar1Panel = nullptr;
    QMenu* MenuDatei = nullptr;
    QAction* MenuDateiMinimieren = nullptr;
    QAction* MenuDateiBeenden = nullptr;

    QTimer Timer1Start;
    QTimer Timer1StatusBar;
    QTimer Timer1Sender;
    QTimer Timer1UdpTimer;
    QTimer Timer1Icmp;
    QTimer Timer1Scanner;
    QTimer Timer1SetSuspendState;
    QTimer Timer1Balloon;
    QTimer Timer1Zeitsteuerung;

    // --- Operations other parts call ----------------------------------------------------
    void SendBroadcast(bool onlineS);
    void FensterMinimierenWiederherstellen(bool miniS);
    bool CtiSichtbar() const { return FVerstecktS; }

    // --- Set-up routines of every window ---------------------------------------------------
    void CaptionZuweisen();
    void SchriftartZuweisen();
    void SchalterEinrichten();
    void FensterEinrichten();
    void SetTabOrders();

    const TProgrammSchrift& ProgrammSchrift() const { return FSchrift; }
    QColor Hintergrund() const { return HintergrundFarbe(FHintergrundNr); }

    // The size the window is always held at: the screen's work area.
    QSize Sollgroesse() const;

signals:
    // The close sequence has run; the message loop may end.
    void Beendet();

public slots:
    void ButtonsClick(int tag);
    // Messages 1124/1125 from other programs, the tray's "&Beenden", the session end.
    void SchliessenOhneFrage();

protected:
    void closeEvent(QCloseEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;
    void resizeEvent(QResizeEvent* ereignis) override;
    void showEvent(QShowEvent* ereignis) override;
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void FormShow();

    void Timer1StartTimer();
    void Timer1StatusBarTimer();
    void Timer1SenderTimer();
    void Timer1UdpTimerTimer();
    void Timer1IcmpTimer();
    void Timer1ScannerTimer();

    void NachrichtEmpfangen(int nachricht);
    void InstanzZeigen();
    void SitzungEndet();
    void SchlafBeginnt();
    void Aufgewacht();
    void ListenerAktivieren(bool aktivS);
    void VerknuepfungenPruefen();
    void GroesseAnArbeitsbereich();
    QString Anfrage(const QString& anfrage);

    TForm1Optionen FOptionen;
    TProgrammSchrift FSchrift;
    int FHintergrundNr = HintergrundVorgabe;
    bool FVerstecktS = false;
    bool FSchliessenErzwungenS = false;
    bool FFrageOffenS = false;
    bool FBeendetS = false;
};

// Brings a window to the front (restoring it when minimised); true when it is active.
bool FensterInVordergrund(QWidget* fenster);
// Every visible dialog owned by the window, depth first, so an open dialog ends in front.
void FormulareInVordergrund(QWidget* besitzer);
