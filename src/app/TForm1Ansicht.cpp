// Fonts, colours and layout of the main window, and the two "&Ansicht" dialogs.
#include "app/TForm1.h"

#include "common/ResConst.h"
#include "ui/Layout.h"
#include "ui/SchriftDialog.h"
#include "ui/THintergrundForm.h"

#include <QGuiApplication>
#include <QScreen>

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
    ListView1->SetzeFarben(Hintergrund(), FSchrift.Farbe());
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
    move(arbeit.left() + (arbeit.width() - aussen.width()) / 2,
         arbeit.top() + (arbeit.height() - aussen.height()) / 2);
}

QColor TForm1::Hintergrund() const {
    return HintergrundForm->HintergrundFarbe();
}

int TForm1::GetHintergrundNr() const {
    return HintergrundForm->HintergrundNr();
}

void TForm1::SetHintergrundNr(int nr) {
    HintergrundForm->SetHintergrundNr(nr);
    SchriftartZuweisen();
}

void TForm1::MenuAnsSchriftartClick() {
    MerkActiveControl = focusWidget();
    if (SchriftWaehlen(this, FSchrift)) {
        SetHintergrundNr(GetHintergrundNr());
        RegistryLadenSpeichern(false);
    }
    SetActiveControl();
}

void TForm1::SetActiveControl() {
    QWidget* w = MerkActiveControl;
    if (w && w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus)
        w->setFocus();
}

void TForm1::MenuAnsHintergrundClick() {
    if (const std::optional<int> nr = HintergrundWaehlen(HintergrundForm, FSchrift, Hintergrund())) {
        SetHintergrundNr(*nr);
        RegistryLadenSpeichern(false);
    }
}
