// Fonts, colours and layout of the main window, and the two "&Ansicht" dialogs.
#include "app/TForm1.h"

#include "common/ResConst.h"
#include "settings/SchriftDialog.h"
#include "settings/Verknuepfungen.h"
#include "ui/Layout.h"
#include "ui/THintergrundForm.h"
#include "ui/TMeldungsZeile.h"

#include <QGuiApplication>
#include <algorithm>

void TForm1::CaptionZuweisen() {
    const QString titel = QStringLiteral("%1 - %2").arg(FLaufzeit.EigenerPC, ProgrammTitel);
    setWindowTitle(titel);
    QGuiApplication::setApplicationDisplayName(QString());
    Cb1Desktop->setText(QStringLiteral("Programm&verknüpfung am Desktop"));
    Cb1Autostart->setText(AutostartBeschriftung);
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
    for (QWidget* w : std::initializer_list<QWidget*>{ListView1, StatusBar1, StatusBar1Meldung,
                                                      StatusBar1Panel, Cb1Desktop, Cb1Autostart, Cb1Scanner})
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
    const QList<QCheckBox*> boxen = {Cb1Desktop, Cb1Autostart, Cb1Scanner};
    for (QCheckBox* c : boxen)
        c->setFixedHeight(GetSchalterHoehe(c->font(), TSchalterArt::CheckBox));
    // 125 pixels; a large font would cut the captions, so then as wide as the wider one
    // needs, both the same so the pair still looks like one.
    const int knopfBreite =
        std::max({125, KnopfBreiteNoetig(Btn1Minimieren), KnopfBreiteNoetig(Btn1Beenden)});
    for (QPushButton* b : {Btn1Minimieren, Btn1Beenden})
        b->setFixedSize(knopfBreite, knopfHoehe);

    // The status bar is docked below the central area, so its top is the area's height.
    const int statusTop = flaeche->height();
    const int knopfTop = statusTop - 10 - knopfHoehe;
    Btn1Beenden->move(clientBreite - 10 - knopfBreite, knopfTop);
    Btn1Minimieren->move(Btn1Beenden->x() - 5 - knopfBreite, knopfTop);

    // The check boxes share the room left of the buttons: 44 %, 44 % and the rest. Where
    // that would cut a caption, a box short of room borrows from the others' spare room; where
    // even that cannot help, the boxes leave the button row for rows of their own above it.
    const int cbHoehe = Cb1Desktop->height();
    QList<int> bedarf;
    for (QCheckBox* c : boxen)
        bedarf.append(BreiteNoetig(c));
    const auto anteile = [](int platz, const QList<int>& welche) {
        // The row's room in the proportions of the rule, the last one taking the rest.
        const double anteil[] = {0.44, 0.44, 0.12};
        double summe = 0;
        for (int i : welche)
            summe += anteil[i];
        QList<int> wunsch;
        int vergeben = 0;
        for (int k = 0; k < welche.size(); ++k) {
            const int b = k + 1 < welche.size() ? int(platz * anteil[welche[k]] / summe) : platz - vergeben;
            wunsch.append(b);
            vergeben += b;
        }
        return wunsch;
    };
    int listUnten = knopfTop - 10;
    const int platz = Btn1Minimieren->x() - 30;
    const int cbBreite = int(0.44 * platz);
    const QList<int> regel = {cbBreite, cbBreite, platz - 2 * cbBreite};
    if (const auto breiten = BreitenVerteilen(regel, bedarf, platz)) {
        const int cbTop = knopfTop + (knopfHoehe - cbHoehe) / 2;
        int links = 10;
        for (int i = 0; i < boxen.size(); ++i) {
            boxen[i]->setGeometry(links, cbTop, (*breiten)[i], cbHoehe);
            links += (*breiten)[i] + 5;
        }
    } else {
        const int zeilenBreite = clientBreite - 20;
        const QList<QList<int>> zeilen = ZeilenUmbrechen(bedarf, zeilenBreite, 5);
        int top = knopfTop - 10 - int(zeilen.size()) * (cbHoehe + 5) + 5;
        listUnten = top - 10;
        for (const QList<int>& zeile : zeilen) {
            QList<int> teilBedarf;
            for (int i : zeile)
                teilBedarf.append(bedarf[i]);
            const int frei = zeilenBreite - 5 * int(zeile.size() - 1);
            // A box wider than the whole row keeps the row: the window cannot offer more.
            const QList<int> teilBreiten =
                BreitenVerteilen(anteile(frei, zeile), teilBedarf, frei).value_or(QList<int>{frei});
            int links = 10;
            for (int k = 0; k < zeile.size(); ++k) {
                boxen[zeile[k]]->setGeometry(links, top, teilBreiten.value(k, frei), cbHoehe);
                links += teilBreiten.value(k, frei) + 5;
            }
            top += cbHoehe + 5;
        }
    }

    ListView1->setGeometry(10, 10, clientBreite - 20, std::max(listUnten - 10, 0));
    ListView1->SpaltenEinteilen(ListView1->width());
}

QSize TForm1::Sollgroesse() const {
    // The frame belongs to the work area too. Before the first showing and while hidden it is
    // unknown, right after reparenting it can be bogus: then the last one known stands in.
    const QRect arbeit = Arbeitsbereich(this);
    if (!arbeit.isValid())
        return size();
    return arbeit.size().shrunkBy(FensterRahmen(this, FRahmen)).expandedTo(QSize(1, 1));
}

void TForm1::GroesseAnArbeitsbereich() {
    FRahmen = FensterRahmen(this, FRahmen);
    const QSize soll = Sollgroesse();
    if (minimumSize() != soll || maximumSize() != soll)
        setFixedSize(soll);
}

void TForm1::FensterEinrichten() {
    const QRect arbeit = Arbeitsbereich(this);
    if (!arbeit.isValid())
        return;
    if (isMaximized()) {
        move(arbeit.topLeft());
        return;
    }
    // Centred with the whole frame, title bar included, inside the work area. Placed by its
    // client area: Qt reckons a move with the frame it knows, which just after a showing can
    // still be none.
    FRahmen = FensterRahmen(this, FRahmen);
    const QPoint aussen = ZentriertePosition(size().grownBy(FRahmen), arbeit, arbeit);
    setGeometry(QRect(aussen + QPoint(FRahmen.left(), FRahmen.top()), size()));
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
