#include "schedule/TZeitDlg.h"

#include "ui/Layout.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace {
constexpr int KnopfMindestBreite = 125;
constexpr int Rand = 10;
constexpr int Abstand = 5;

// Disabled text keeps the desktop's grey, so the enabling rules stay visible on any
// background colour.
void GrauWennGesperrt(QWidget* w) {
    QPalette pal = w->palette();
    const QPalette system = QApplication::palette();
    for (auto rolle : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, rolle, system.color(QPalette::Disabled, rolle));
    w->setPalette(pal);
}
} // namespace

TZeitDlg::TZeitDlg(QWidget* parent, TTeilEditor::TUhr uhr)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Rg1Aktion(new TRadioGroup(this)), Cb1JedenTag(new QCheckBox(this)), Lbl1Zeit(new QLabel(this)),
      Btn1Ok(new QPushButton(this)), Btn2Abbrechen(new QPushButton(this)),
      FHintergrund(HintergrundFarbe(HintergrundVorgabe)) {
    setSizeGripEnabled(false);
    const QDateTime jetzt = uhr ? uhr() : QDateTime::currentDateTime();

    DatePicker = new TDatePicker(this, uhr);
    DatePicker->SetMinDatum(jetzt.date());
    DatePicker->SetMaxDatum(QDate(2100, 12, 31));
    DatePicker->SetDatum(jetzt.date());

    TimePicker = new TTimePicker(this, uhr);
    TimePicker->SetZeit(jetzt.time());

    // A check box fills with the button role; the rule of the text areas wants the window one.
    Cb1JedenTag->setBackgroundRole(QPalette::Window);
    Lbl1Zeit->setAutoFillBackground(true); // not transparent
    Lbl1Zeit->setBuddy(TimePicker);
    Lbl1Zeit->installEventFilter(this);

    Btn1Ok->setDefault(true);
    Btn1Ok->setAutoDefault(true);
    connect(Btn1Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn2Abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(Rg1Aktion, &TRadioGroup::Click, this, &TZeitDlg::Rg1AktionClick);
    // Also when the program changes the box: a loaded schedule brings its rule along.
    connect(Cb1JedenTag, &QCheckBox::toggled, this, &TZeitDlg::Cb1JedenTagClick);

    CaptionZuweisen();
    SetTabOrders();
    SchriftUndFarbeAnwenden();
    SchalterEinrichten();
    NachRahmenNeuAnordnen(this, [this] { SchalterEinrichten(); });
}

TZeitDlg::~TZeitDlg() {
    delete DatePicker;
    delete TimePicker;
}

QString TZeitDlg::TitelMuster() {
    return QStringLiteral("Zeitsteuerung für Gerät \"%s\"");
}

QString TZeitDlg::Titel(const QString& geraet) {
    QString titel = TitelMuster();
    return titel.replace(QStringLiteral("%s"), geraet);
}

void TZeitDlg::CaptionZuweisen() {
    setWindowTitle(TitelMuster());
    Rg1Aktion->setTitle(QStringLiteral("Aktion"));
    Rg1Aktion->SetItems({QStringLiteral("&Keine"), QStringLiteral("&Einschlafen"),
                         QStringLiteral("&Herunterfahren"), QStringLiteral("&Neustart")});
    Rg1Aktion->SetItemIndex(0);
    Cb1JedenTag->setText(QStringLiteral("&Jeden Tag"));
    Lbl1Zeit->setText(QStringLiteral("&Zeit:"));
    Btn1Ok->setText(QStringLiteral("&Senden"));
    Btn2Abbrechen->setText(QStringLiteral("&Abbrechen"));
}

void TZeitDlg::SetTabOrders() {
    QWidget* vorher = nullptr;
    QList<QWidget*> folge;
    for (int i = 0; i < Rg1Aktion->Anzahl(); ++i)
        folge.append(Rg1Aktion->Item(i));
    folge << Cb1JedenTag << DatePicker << TimePicker << Btn1Ok << Btn2Abbrechen;
    for (QWidget* w : std::as_const(folge)) {
        if (vorher)
            QWidget::setTabOrder(vorher, w);
        vorher = w;
    }
}

void TZeitDlg::SchriftartZuweisen(const TProgrammSchrift& schrift, const QColor& hintergrund) {
    FSchrift = schrift;
    FHintergrund = hintergrund;
    SchriftUndFarbeAnwenden();
    SchalterEinrichten();
}

void TZeitDlg::SchriftUndFarbeAnwenden() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{Rg1Aktion, Cb1JedenTag, DatePicker, TimePicker, Lbl1Zeit}) {
        TextbereichGestalten(w, FSchrift, FHintergrund);
        GrauWennGesperrt(w);
    }
    KnopfGestalten(Btn1Ok, FSchrift);
    KnopfGestalten(Btn2Abbrechen, FSchrift);
}

void TZeitDlg::SchalterEinrichten() {
    const int cbHoehe = GetSchalterHoehe(Cb1JedenTag->font(), TSchalterArt::CheckBox);
    const int knopfHoehe = GetSchalterHoehe(Btn1Ok->font(), TSchalterArt::Button);
    const int knopfBreite = KnopfBreite();
    Btn1Ok->resize(knopfBreite, knopfHoehe);
    Btn2Abbrechen->resize(knopfBreite, GetSchalterHoehe(Btn2Abbrechen->font(), TSchalterArt::Button));
    const QSize hoechstens = GroessteClientGroesse(this);

    const int rgBreite = GetTextBreite(Rg1Aktion->font(), QStringLiteral("MHerunterfahrenMM"));
    int rgHoehe = 6 * Btn1Ok->height();
    const int cbLinks = 2 * Rand + rgBreite;
    const int cbBreite = GetTextBreite(Cb1JedenTag->font(), QStringLiteral("&Jeden TagMM"));
    const int datumBreite = GetTextBreite(DatePicker->font(), QStringLiteral("MM, MM.MM.MMMMM"));
    const int feldHoehe = GetSchalterHoehe(DatePicker->font(), TSchalterArt::Edit);
    const QFontMetrics fm(Lbl1Zeit->font());
    const int lblBreite = fm.horizontalAdvance(EntferneAmpersand(Lbl1Zeit->text()));
    const int lblHoehe = GetSchalterHoehe(Lbl1Zeit->font(), TSchalterArt::Sonstige);
    const int zeitBreite = GetTextBreite(TimePicker->font(), QStringLiteral("MMM:MMM"));
    const int zeileBreite = datumBreite + Rand + lblBreite + Abstand + zeitBreite;

    // Everything in one row beside the radio group, as long as the work area is wide enough.
    // A large font on a small screen would push the fields off it, so then, step by step:
    // the date and time row goes below the check box, still beside the group; it goes below
    // the group; the time goes below the date.
    enum { EineZeile, NebenDerGruppe, UnterDerGruppe, Untereinander } anordnung = EineZeile;
    if (cbLinks + cbBreite + Rand + zeileBreite + Rand > hoechstens.width())
        anordnung = NebenDerGruppe;
    if (anordnung == NebenDerGruppe && cbLinks + std::max(cbBreite, zeileBreite) + Rand > hoechstens.width())
        anordnung = UnterDerGruppe;
    if (anordnung == UnterDerGruppe && Rand + zeileBreite + Rand > hoechstens.width())
        anordnung = Untereinander;

    // Rows below the group take height from the work area; on a low one the group gives up
    // its spare height, never what its items need.
    const int unterDerGruppe = anordnung == UnterDerGruppe  ? feldHoehe + Rand
                               : anordnung == Untereinander ? 2 * (feldHoehe + Rand)
                                                            : 0;
    const int zuHoch = Rand + rgHoehe + Rand + unterDerGruppe + knopfHoehe + Rand - hoechstens.height();
    if (zuHoch > 0) {
        const QMargins rgRand = Rg1Aktion->contentsMargins();
        int rgBedarf = rgRand.top() + rgRand.bottom();
        for (int i = 0; i < Rg1Aktion->Anzahl(); ++i)
            rgBedarf += Rg1Aktion->Item(i)->sizeHint().height();
        rgHoehe = std::max(rgHoehe - zuHoch, rgBedarf);
    }

    Rg1Aktion->setGeometry(Rand, Rand, rgBreite, rgHoehe);
    Rg1Aktion->Anordnen();

    int cbTop = Rg1Aktion->y() + (Rg1Aktion->height() - cbHoehe) / 2;
    int feldLinks = cbLinks + cbBreite + Rand;
    int feldTop = cbTop;
    if (anordnung == NebenDerGruppe) {
        cbTop = Rg1Aktion->y() + (Rg1Aktion->height() - (cbHoehe + Rand + feldHoehe)) / 2;
        feldLinks = cbLinks;
        feldTop = cbTop + cbHoehe + Rand;
    } else if (anordnung != EineZeile) {
        feldLinks = Rand;
        feldTop = Rg1Aktion->y() + Rg1Aktion->height() + Rand;
    }
    Cb1JedenTag->setGeometry(cbLinks, cbTop, cbBreite, cbHoehe);
    DatePicker->Bounds(feldTop, feldLinks, datumBreite);

    int lblLinks = DatePicker->Left() + DatePicker->Width() + Rand;
    int zeitTop = feldTop;
    if (anordnung == Untereinander) {
        lblLinks = Rand;
        zeitTop = feldTop + feldHoehe + Rand;
    }
    Lbl1Zeit->setGeometry(lblLinks, zeitTop + (feldHoehe - lblHoehe) / 2, lblBreite, lblHoehe);
    TimePicker->Bounds(zeitTop, Lbl1Zeit->x() + Lbl1Zeit->width() + Abstand, zeitBreite);

    // The client area reaches 10 pixels past the rightmost and the lowest control.
    int breite = 0;
    int unten = Rg1Aktion->geometry().bottom() + 1;
    for (const TTeilFeld* feld : {static_cast<TTeilFeld*>(DatePicker), static_cast<TTeilFeld*>(TimePicker)}) {
        breite = std::max(breite, feld->Left() + feld->Width() + Rand);
        unten = std::max(unten, feld->geometry().bottom() + 1);
    }
    breite = std::max(breite, Cb1JedenTag->geometry().right() + 1 + Rand);
    const int knopfTop = unten + Rand;
    Btn1Ok->move((breite - 2 * knopfBreite) / 3, knopfTop);
    Btn2Abbrechen->move(2 * Btn1Ok->x() + knopfBreite, knopfTop);
    setFixedSize(breite, knopfTop + knopfHoehe + Rand);

    FensterEinrichten();
}

// 125 pixels; a large font would cut the captions off, so then as wide as they need.
int TZeitDlg::KnopfBreite() const {
    return std::max({KnopfMindestBreite, KnopfBreiteNoetig(Btn1Ok), KnopfBreiteNoetig(Btn2Abbrechen)});
}

void TZeitDlg::FensterEinrichten() {
    QWidget* haupt = parentWidget() ? parentWidget()->window() : nullptr;
    if (FErstesMalS && haupt && haupt->isVisible())
        FensterZentrieren(this, haupt->frameGeometry()); // the first showing: over the main window
    else if (const QScreen* s = (haupt ? haupt->screen() : screen()))
        FensterZentrieren(this, s->geometry());
}

void TZeitDlg::Rg1AktionClick() {
    const bool aktionS = Rg1Aktion->ItemIndex() > 0;
    Cb1JedenTag->setEnabled(aktionS);
    DatePicker->setEnabled(aktionS && !Cb1JedenTag->isChecked());
    TimePicker->setEnabled(aktionS);
    Lbl1Zeit->setEnabled(TimePicker->isEnabled());
}

void TZeitDlg::Cb1JedenTagClick() {
    DatePicker->setEnabled(!Cb1JedenTag->isChecked());
}

void TZeitDlg::Lbl1ZeitClick() {
    if (TimePicker->isEnabled())
        TimePicker->setFocus(Qt::MouseFocusReason);
}

void TZeitDlg::FelderSetzen(const TZeitsteuerungRec& rec) {
    Rg1Aktion->SetItemIndex(int(rec.Aktion));
    Cb1JedenTag->setChecked(rec.JedenTagS);
    DatePicker->SetDatum(rec.Datum);
    TimePicker->SetZeit(rec.Zeit);
    // An open dialog must not offer a date or time for a schedule without action.
    Rg1AktionClick();
}

TZeitsteuerungRec TZeitDlg::FelderLesen() {
    TZeitsteuerungRec rec;
    rec.Aktion = AktionAusNummer(Rg1Aktion->ItemIndex());
    rec.JedenTagS = Cb1JedenTag->isChecked();
    rec.Datum = DatePicker->Datum();
    rec.Zeit = TimePicker->Zeit();
    return rec;
}

void TZeitDlg::setVisible(bool sichtbarS) {
    const bool zeigenS = sichtbarS && !isVisible();
    if (zeigenS) {
        if (!testAttribute(Qt::WA_WState_Created))
            create(); // the window's frame is then known where the system can tell
        SchriftUndFarbeAnwenden();
        SchalterEinrichten(); // lays out and places the dialog
        Lbl1Zeit->setBuddy(TimePicker);
        Rg1AktionClick();
    }
    QDialog::setVisible(sichtbarS);
    if (zeigenS) {
        Rg1Aktion->FokusSetzen();
        FErstesMalS = false;
    }
}

bool TZeitDlg::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (objekt == Lbl1Zeit && ereignis->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(ereignis)->button() == Qt::LeftButton)
        Lbl1ZeitClick();
    return QDialog::eventFilter(objekt, ereignis);
}
