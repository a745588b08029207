#include "ui/THintergrundForm.h"

#include "ui/Farben.h"
#include "ui/Layout.h"
#include "ui/TMeldungen.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// Rows exactly one text line high, as the layout's "20 lines for 19 entries" counts them.
class TZeilenDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(GetSchalterHoehe(option.font, TSchalterArt::Sonstige));
        return s;
    }
};

} // namespace

THintergrundForm::THintergrundForm(QWidget* eltern, int rand) : QDialog(eltern), Rand(rand) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    ListBox1 = new QListWidget(this);
    ListBox1->setItemDelegate(new TZeilenDelegate(ListBox1));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Button1 = new QPushButton(this);
    Button2 = new QPushButton(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setDefault(true);
    Button1->setAutoDefault(true);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    // A double click on a colour name takes it, as the list box of a dialog does.
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    CaptionZuweisen();
    QWidget::setTabOrder(ListBox1, Button1);
    QWidget::setTabOrder(Button1, Button2);
    SetHintergrundNr(0);
    NachRahmenNeuAnordnen(this, [this] { SchalterEinrichten(); });
}

void THintergrundForm::CaptionZuweisen() {
    setWindowTitle(QStringLiteral("Schrifthintergrund wählen"));
    Button1->setText(OkBeschriftung());
    Button2->setText(QStringLiteral("&Abbrechen"));
    ListBox1->clear();
    for (int i = 0; i < HintergrundAnzahl; ++i)
        ListBox1->addItem(HintergrundName(i));
}

int THintergrundForm::HintergrundNr() const {
    return ListBox1->currentRow();
}

void THintergrundForm::SetHintergrundNr(int nr) {
    ListBox1->setCurrentRow(nr >= 0 && nr < HintergrundAnzahl ? nr : 0);
}

QColor THintergrundForm::HintergrundFarbe() const {
    return ::HintergrundFarbe(HintergrundNr());
}

void THintergrundForm::SchriftartZuweisen(const TProgrammSchrift& schrift, const QColor& farbe) {
    TextbereichGestalten(ListBox1, schrift, farbe);
    KnopfGestalten(Button1, schrift);
    KnopfGestalten(Button2, schrift);
}

void THintergrundForm::SchalterEinrichten() {
    const int r = Rand;
    const QSize hoechstens = GroessteClientGroesse(this);
    const QFont knopfFont = Button1->font();
    const int knopfHoehe = GetSchalterHoehe(knopfFont, TSchalterArt::Button);
    // The longer caption decides; the first one wins a tie.
    QString laengste;
    for (const QPushButton* b : {Button1, Button2}) {
        const QString t = EntferneAmpersand(b->text());
        if (t.size() > laengste.size())
            laengste = t;
    }
    int knopfBreite = GetTextBreite(knopfFont, laengste + QStringLiteral("MM"));
    // On a work area too narrow for that the buttons give up the room beyond their captions.
    if (3 * r + 2 * knopfBreite > hoechstens.width())
        knopfBreite =
            std::max({(hoechstens.width() - 3 * r) / 2, BreiteNoetig(Button1), BreiteNoetig(Button2)});

    Button1->setGeometry(r, 0, knopfBreite, knopfHoehe);
    Button2->setGeometry(2 * Button1->x() + knopfBreite, 0, knopfBreite, knopfHoehe);
    // Wide enough for the whole title, where the work area allows; the list takes the width.
    const int clientBreite = std::max(Button2->geometry().right() + 1 + Button1->x(),
                                      std::min(TitelBreiteNoetig(this), hoechstens.width()));

    // 20 text lines for the 19 names; on a work area too low for that the list gives up lines
    // and scrolls rather than pushing the buttons off the screen.
    const int zeile = GetSchalterHoehe(ListBox1->font(), TSchalterArt::Sonstige);
    const int listHoehe = std::max(std::min(20 * zeile, hoechstens.height() - 3 * r - knopfHoehe), 3 * zeile);
    ListBox1->setGeometry(r, r, clientBreite - 2 * r, listHoehe);
    const int knopfTop = ListBox1->geometry().bottom() + 1 + r;
    Button1->move(Button1->x(), knopfTop);
    Button2->move(Button2->x(), knopfTop);
    setFixedSize(clientBreite, Button1->geometry().bottom() + 1 + r);
    FensterEinrichten();
}

void THintergrundForm::FensterEinrichten() {
    AufBildschirmZentrieren(this);
}

void THintergrundForm::showEvent(QShowEvent* ereignis) {
    SchalterEinrichten();
    QDialog::showEvent(ereignis);
    MerkItemIndex = HintergrundNr();
    // A list shortened for a low screen still shows the chosen colour.
    if (ListBox1->currentItem())
        ListBox1->scrollToItem(ListBox1->currentItem());
    ListBox1->setFocus();
}

void THintergrundForm::done(int ergebnis) {
    if (ergebnis != QDialog::Accepted)
        SetHintergrundNr(MerkItemIndex);
    QDialog::done(ergebnis);
}

std::optional<int> HintergrundWaehlen(THintergrundForm* form, const TProgrammSchrift& schrift,
                                      const QColor& farbe) {
    form->SchriftartZuweisen(schrift, farbe);
    const int vorher = form->HintergrundNr();
    if (Meldungen::ZeigeModal(form))
        return form->HintergrundNr();
    // Also when the dialog was answered without being shown.
    form->SetHintergrundNr(vorher);
    return std::nullopt;
}
