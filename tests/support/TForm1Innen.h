#pragma once
// The one way tests, benchmarks and fuzz targets reach the main window's parts: its
// controls, timers and the session core it drives. The window's state stays private.

#include "app/TCti.h"
#include "app/TForm1.h"
#include "schedule/TZeitDlg.h"
#include "ui/THintergrundForm.h"
#include "ui/TMeldungsZeile.h"
#include "ui/TPuLv1.h"

class TForm1Innen {
public:
    explicit TForm1Innen(TForm1& f)
        : F(f), Kern(*f.FKern), HostList(&f.FKern->HostList()), ListView1(f.ListView1), PuLv1(f.PuLv1),
          Cb1Desktop(f.Cb1Desktop), Cb1Autostart(f.Cb1Autostart), Cb1Scanner(f.Cb1Scanner),
          Btn1Minimieren(f.Btn1Minimieren), Btn1Beenden(f.Btn1Beenden), StatusBar1(f.StatusBar1),
          StatusBar1Panel(f.StatusBar1Panel), StatusBar1Meldung(f.StatusBar1Meldung),
          HintergrundForm(f.HintergrundForm), ZeitDlg(f.ZeitDlg), Cti(f.Cti),
          PuCtiAutostart(f.PuCtiAutostart), PuCtiScanner(f.PuCtiScanner),
          PuCtiFensterWiederherstellen(f.PuCtiFensterWiederherstellen), PuCtiUpdate(f.PuCtiUpdate),
          PuCtiBeenden(f.PuCtiBeenden), Timer1Start(f.Timer1Start), Timer1StatusBar(f.Timer1StatusBar),
          Timer1Scanner(f.Timer1Scanner), Timer1Balloon(f.Timer1Balloon), Timer1Sender(f.FKern->Timer1Sender),
          Timer1UdpTimer(f.FKern->Timer1UdpTimer), Timer1Icmp(f.FKern->Timer1Icmp),
          Timer1SetSuspendState(f.FKern->Timer1SetSuspendState),
          Timer1Zeitsteuerung(f.FKern->Timer1Zeitsteuerung), FSpeichern(f.FKern->FSpeichern),
          ScannerThreads(f.ScannerThreads), AutoCloseS(f.AutoCloseS), IsClosing(f.IsClosing) {}

    TForm1& F;
    TKern& Kern;
    THostList* HostList;
    TListView*& ListView1;
    TPuLv1*& PuLv1;
    QCheckBox*& Cb1Desktop;
    QCheckBox*& Cb1Autostart;
    QCheckBox*& Cb1Scanner;
    QPushButton*& Btn1Minimieren;
    QPushButton*& Btn1Beenden;
    QStatusBar*& StatusBar1;
    QLabel*& StatusBar1Panel;
    TMeldungsZeile*& StatusBar1Meldung;
    THintergrundForm*& HintergrundForm;
    TZeitDlg*& ZeitDlg;
    TCti*& Cti;
    QAction*& PuCtiAutostart;
    QAction*& PuCtiScanner;
    QAction*& PuCtiFensterWiederherstellen;
    QAction*& PuCtiUpdate;
    QAction*& PuCtiBeenden;
    QTimer& Timer1Start;
    QTimer& Timer1StatusBar;
    QTimer& Timer1Scanner;
    QTimer& Timer1Balloon;
    QTimer& Timer1Sender;
    QTimer& Timer1UdpTimer;
    QTimer& Timer1Icmp;
    QTimer& Timer1SetSuspendState;
    QTimer& Timer1Zeitsteuerung;
    QTimer& FSpeichern; // the core's pending save of the host list
    QList<QPointer<QThread>>& ScannerThreads;
    bool& AutoCloseS;
    bool& IsClosing;

    // The datagram handlers, as the listeners call them.
    void UdpS1SenderUDPRead(const QByteArray& daten, const QString& ip) { Kern.SenderDatagramm(daten, ip); }
    void UdpS1BefehlUDPRead(const QByteArray& daten, const QString& ip) { Kern.BefehlDatagramm(daten, ip); }
    void SendBefehl(int nr, const THostListRec& host) { Kern.SendBefehl(nr, host); }
    // The power action in progress has ended: the next command may start one.
    void EnergieBeendet() { Kern.EnergieBeendet(); }
    void HostlisteJetztSpeichern() { Kern.HostlisteJetztSpeichern(); }
    bool SpeichernAusstehendS() const { return Kern.SpeichernAusstehendS(); }
    TBroadcastList& BroadcastIPs() { return Kern.FBroadcastIPs; }
    bool WakeUpComputer(const QString& mac) { return Kern.WakeUpComputer(mac); }
    bool& SchonIcmpS() { return Kern.FSchonIcmpS; }
    bool BefehlAktiv() const { return Kern.FBefehl.Aktiv(); }
    bool SenderAktiv() const { return Kern.FSender.Aktiv(); }

    const TZeitsteuerungRec& Zeitsteuerung() const { return F.Zeitsteuerung(); }
    void SetZeitsteuerung(const QString& text, bool timerS, bool saveFileS) {
        F.SetZeitsteuerung(text, timerS, saveFileS);
    }
    void PuLv1ZeitsteuerungClick() { F.PuLv1ZeitsteuerungClick(); }
    void PuLv1Popup() { F.PuLv1Popup(); }
    void PuCtiPopup() { F.PuCtiPopup(); }
    void ListViewFuellen() { F.ListViewFuellen(); }
    void DateiMeldung(const QString& text) { F.DateiMeldung(text); }
    QStringList DateiMeldungen() const { return F.DateiMeldungen(); }
    QStringList SpeicherFehler() const { return F.SpeicherFehler(); }
    const TProgrammSchrift& ProgrammSchrift() const { return F.ProgrammSchrift(); }
    QColor Hintergrund() const { return F.Hintergrund(); }
    int GetHintergrundNr() const { return F.GetHintergrundNr(); }
    QSize Sollgroesse() const { return F.Sollgroesse(); }
    bool CtiSichtbar() const { return F.CtiSichtbar(); }
    void FensterMinimierenWiederherstellen(bool miniS) { F.FensterMinimierenWiederherstellen(miniS); }
};

inline TForm1Innen Innen(TForm1& f) {
    return TForm1Innen(f);
}
