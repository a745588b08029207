#pragma once
// The main window: the view of the session core (TKern), the tray icon, the dialogs, the
// scanner and the window's own timers. It drives the core and follows its signals; each
// area's methods live in a file of their own (TForm1Praesenz.cpp, TForm1Befehle.cpp, ...).

#include "common/TLaufzeit.h"
#include "kern/TKern.h"
#include "platform/TPlattform.h"
#include "schedule/Zeitsteuerung.h"
#include "settings/HilfeMenue.h"
#include "ui/Farben.h"
#include "ui/TListView.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class TCti;
class TEinstellungen;
class THintergrundForm;
class TMeldungsZeile;
class TPuLv1;
class TZeitDlg;

struct TForm1Optionen {
    // The listeners' ports, and the ports peers are addressed at.
    quint16 BefehlPort = 17170;
    quint16 SenderPort = 17171;
    // The command line without the program name; empty takes the process's arguments.
    std::optional<QStringList> Argumente;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // plattform and laufzeit must outlive the window.
    TForm1(TPlattform plattform, TLaufzeit& laufzeit, TForm1Optionen optionen = {},
           QWidget* parent = nullptr);
    ~TForm1() override;

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
    // Tests reach the window's parts through this one class.
    friend class TForm1Innen;

    // --- Fields ---------------------------------------------------------------------------
    bool IsClosing = false;
    bool AutoCloseS = true;
    QPointer<QWidget> MerkActiveControl;

    // --- Components ----------------------------------------------------------------------
    TListView* ListView1 = nullptr;
    TPuLv1* PuLv1 = nullptr;
    QCheckBox* Cb1Desktop = nullptr;
    QCheckBox* Cb1Autostart = nullptr;
    QCheckBox* Cb1Scanner = nullptr;
    QPushButton* Btn1Minimieren = nullptr;
    QPushButton* Btn1Beenden = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    TMeldungsZeile* StatusBar1Meldung = nullptr; // what went wrong with the program's files
    QLabel* StatusBar1Panel = nullptr;
    QMenu* MenuDatei = nullptr;
    QAction* MenuDateiMinimieren = nullptr;
    QAction* MenuDateiBeenden = nullptr;
    QMenu* MenuAns = nullptr;
    QAction* MenuAnsSchriftart = nullptr;
    QAction* MenuAnsHintergrund = nullptr;
    THilfeMenue MenuHilfe;
    THintergrundForm* HintergrundForm = nullptr;
    TZeitDlg* ZeitDlg = nullptr;

    QTimer Timer1Start;
    QTimer Timer1StatusBar;
    QTimer Timer1Scanner;
    QTimer Timer1Balloon;

    // --- The view of the store (TForm1Praesenz.cpp) ---------------------------------------------
    void ListViewFuellen();
    void SetListViewItem(const THostListRec& host, int index, bool makeBeginUpdate);
    // Follows the store: new rows appended, changed rows repainted, removed rows rebuilt.
    void AnsichtAktualisieren();
    void NetzVerfuegbar(bool netzS);

    // --- Power actions (TForm1Befehle.cpp) -----------------------------------------------------
    void PuLv1Clicks(int nr);

    // --- Context menu (TForm1Kontextmenue.cpp) -----------------------------------------------
    void PuLv1Popup();
    void PuLv1PcBenutzerAendernClick(int tag);
    void PuLv1IpMacKopierenClick(int tag);
    void PuLv1ObenUntenClick(int tag);
    void PuLv1LoeschenClick();

    // --- Schedule (TForm1Zeitsteuerung.cpp) --------------------------------------------------
    const TZeitsteuerungRec& Zeitsteuerung() const;
    QString GetZeitsteuerung(bool timeS, bool dlgS);
    void SetZeitsteuerung(const QString& aData, bool timerS, bool saveFileS);
    void SetZeitsteuerung(const TZeitsteuerungRec& aZeitsteuerung);
    void ZeitsteuerungLadenSpeichern(bool ladenS);
    void PuLv1ZeitsteuerungClick();
    // The steps of the exchange after the peer answered (or did not).
    void ZeitsteuerungErhalten(const std::optional<QString>& text);
    void ZeitsteuerungBestaetigt(bool bestaetigtS);

    // --- Fonts, colours and layout (TForm1Ansicht.cpp) -----------------------------------------
    void CaptionZuweisen();
    void SchriftartZuweisen();
    void SchalterEinrichten();
    void FensterEinrichten();
    void SetTabOrders();
    void SetHintergrundNr(int nr);
    int GetHintergrundNr() const;
    void MenuAnsSchriftartClick();
    void MenuAnsHintergrundClick();
    const TProgrammSchrift& ProgrammSchrift() const { return FSchrift; }
    QColor Hintergrund() const;
    // The size the window is always held at: the screen's work area.
    QSize Sollgroesse() const;
    // The window's frame as last told by the window system (none before the first showing).
    QMargins FRahmen;

    // --- Settings, launchers and help (TForm1Einstellungen.cpp) ------------------------------
    void RegistryLadenSpeichern(bool ladenS);
    // A message about one of the program's files (host list, schedule, settings): in the
    // status bar beside the earlier ones, once per text, and on standard error.
    void DateiMeldung(const QString& text);
    QStringList DateiMeldungen() const { return FDateiMeldungen; }
    // What the last save of each file could not write, for the close.
    QStringList SpeicherFehler() const;
    void Cb1DesktopAutostartScannerClick(int tag);
    void MenuHilfeUpdateClick();

    // --- Window and tray (TForm1Tray.cpp) ----------------------------------------------------
    TCti* Cti = nullptr;
    QMenu* PuCti = nullptr;
    QAction* PuCtiAutostart = nullptr; // tag 1
    QAction* PuCtiScanner = nullptr;   // tag 2
    QAction* PuCtiFensterWiederherstellen = nullptr;
    QAction* PuCtiUpdate = nullptr;
    QAction* PuCtiBeenden = nullptr;
    void FensterMinimierenWiederherstellen(bool miniS);
    // The user's minimise: to the tray where one runs, else an ordinary minimised window.
    void FensterMinimieren();
    bool CtiSichtbar() const;
    void PuCtiPopup();
    void PuCtiAutostartScannerClick(int tag);

    // --- Scanner (TForm1Scanner.cpp) ---------------------------------------------------------
    // The polling step of Timer1Scanner: starts a sweep when one is due.
    void ScannerTimerSchritt();
    // Completion handler of every scanner thread; sender is the thread that ended.
    void ScannerTerminated(QThread* sender);
    // Stops every running scanner thread and waits for it. FormDestroy calls it before the
    // host list goes; the close sequence calls it too.
    void ScannerBeenden();
    // The threads of the running sweep; each is taken out once, by its completion handler.
    QList<QPointer<QThread>> ScannerThreads;

    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void FormShow();
    void MenuesAnlegen();
    void TrayAnlegen();
    void Timer1BalloonTimer();
    void CtiBalloonHintShow();

    void Timer1StartTimer();
    void Timer1StatusBarTimer();
    void Timer1ScannerTimer();
    bool ScannerOhneIcmp(); // true (and the user told) when no sweep can run

    void NachrichtEmpfangen(int nachricht);
    void InstanzZeigen();
    void SitzungEndet();
    void SchlafBeginnt();
    void Aufgewacht();
    void VerknuepfungenPruefen();
    void GroesseAnArbeitsbereich();
    void SetActiveControl();
    // The local interface's requests (TForm1Schnittstelle.cpp).
    void Anfrage(const QString& anfrage, TInstanz::TAntwort antwort);

    TPlattform FPlattform;
    TLaufzeit& FLaufzeit;
    THilfeUmgebung FHilfe;
    TForm1Optionen FOptionen;
    TProgrammSchrift FSchrift;
    std::unique_ptr<TEinstellungen> FEinstellungen;
    QStringList FDateiMeldungen;
    std::unique_ptr<TKern> FKern;
    bool FSchliessenErzwungenS = false;
    bool FFrageOffenS = false;
    bool FBeendetS = false;
    // The schedule exchange in progress: with whom (address, device name).
    bool FZsLaeuftS = false;
    QString FZsIp, FZsGeraet;
};

// Brings a window to the front (restoring it when minimised); true when it is active.
bool FensterInVordergrund(QWidget* fenster);
// Every visible dialog owned by the window, depth first, so an open dialog ends in front.
void FormulareInVordergrund(QWidget* besitzer);
