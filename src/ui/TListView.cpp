#include "ui/TListView.h"

#include "hosts/THostList.h"
#include "ui/Layout.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace {
const QColor Gruen(0, 128, 0);
const QColor Gelbgruen(0, 255, 0);
const QColor Rot(255, 0, 0);
const QColor Gelb(255, 255, 0);
constexpr int Spalten = 6;
} // namespace

QColor ZellTextFarbe(int spalte, const QString& text, const QColor& hintergrund, const QColor& schrift) {
    if (spalte != 2 && spalte != 3)
        return schrift;
    const QColor gut = hintergrund.rgb() == Gruen.rgb() ? Gelbgruen : Gruen;
    const QColor schlecht = hintergrund.rgb() == Rot.rgb() ? Gelb : Rot;
    const QString& gutText = spalte == 2 ? StatusText(TStatus::sOnline) : SenderText(true);
    return text == gutText ? gut : schlecht;
}

QStringList ZellTexte(const THostListRec& host) {
    return {host.PC, host.User, StatusText(host.Status), SenderText(host.SenderS), host.IP, host.MAC};
}

TListView::TListView(QWidget* parent) : QTableWidget(parent) {
    setColumnCount(Spalten);
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setSortingEnabled(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // The stretch gives the last column the rest of the viewport (never less than the width
    // set for it), also when a vertical scroll bar comes or goes.
    horizontalHeader()->setStretchLastSection(true);
    setItemDelegate(new TZellenDelegate(this));
    FZellBedarf.fill(0, Spalten);
    // The style's row height stays the least one, so a small font keeps the familiar rows.
    FStandardZeile = verticalHeader()->defaultSectionSize();
    ZeilenHoeheAnwenden();
}

void TListView::BeginUpdate() {
    if (FUpdateTiefe++ == 0)
        setUpdatesEnabled(false);
}

void TListView::EndUpdate() {
    if (FUpdateTiefe > 0 && --FUpdateTiefe == 0) {
        if (FSpaltenPruefenS)
            SpaltenAnwenden();
        setUpdatesEnabled(true);
    }
}

void TListView::Zelle(int zeile, int spalte, const QString& text) {
    QTableWidgetItem* item = this->item(zeile, spalte);
    if (!item) {
        item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        setItem(zeile, spalte, item);
        ++FGeschrieben;
    } else if (item->text() != text) {
        item->setText(text);
        ++FGeschrieben;
    } else {
        return;
    }
    const int bedarf = TextBedarf(text);
    if (bedarf > FZellBedarf[spalte]) {
        FZellBedarf[spalte] = bedarf;
        if (bedarf > columnWidth(spalte))
            FSpaltenPruefenS = true;
    }
}

void TListView::SetListViewItem(const THostListRec& host, int index, bool makeBeginUpdate) {
    std::optional<TUpdateKlammer> klammer;
    if (makeBeginUpdate)
        klammer.emplace(this);
    int zeile = index;
    if (index < 0 || index >= rowCount()) {
        zeile = rowCount();
        insertRow(zeile);
    }
    const QStringList texte = ZellTexte(host);
    for (int spalte = 0; spalte < Spalten; ++spalte)
        Zelle(zeile, spalte, texte[spalte]);
    // A longer text widens its column at once; inside a bracket at its end.
    if (FUpdateTiefe == 0 && FSpaltenPruefenS)
        SpaltenAnwenden();
}

void TListView::ListViewFuellen(const THostList& liste) {
    TUpdateKlammer klammer(this);
    setRowCount(0);
    FZellBedarf.fill(0, Spalten);
    FSpaltenPruefenS = true; // columns may get narrower again
    Anhaengen(liste);
    if (rowCount() > 0)
        ZeileFokussieren(0);
}

void TListView::Abgleichen(THostList& liste) {
    TListenSperre sperre(liste);
    if (rowCount() > liste.Count()) {
        // Rows went: rebuilt from the store.
        ListViewFuellen(liste);
        return;
    }
    TUpdateKlammer klammer(this);
    if (rowCount() < liste.Count()) {
        Anhaengen(liste);
        if (!HatFokusZeile())
            ZeileFokussieren(0);
    }
    // Only the entries the store names: a flood of changes must not cost a walk over
    // thousands of rows each.
    for (const int i : liste.GeaenderteAbholen()) {
        const THostListRec e = liste.Get(i);
        if (e.ChangeS && i < rowCount()) {
            SetListViewItem(e, i, false);
            liste.SetChangeS(i, false);
        }
    }
    liste.SetListChangeS(false);
}

void TListView::Anhaengen(const THostList& liste) {
    // All new rows at once: inserting them one by one costs the header a pass each.
    const int von = rowCount();
    const int anzahl = liste.Count();
    if (anzahl <= von)
        return;
    setRowCount(anzahl);
    for (int i = von; i < anzahl; ++i)
        SetListViewItem(liste.Get(i), i, false);
}

void TListView::ZeileFokussieren(int zeile) {
    if (zeile < 0 || zeile >= rowCount())
        return;
    setCurrentCell(zeile, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollToItem(item(zeile, 0), QAbstractItemView::EnsureVisible);
}

int TListView::ItemIndex() const {
    const QModelIndexList auswahl = selectionModel()->selectedRows();
    return auswahl.isEmpty() ? -1 : auswahl.first().row();
}

void TListView::SetzeFarben(const QColor& hintergrund, const QColor& schrift) {
    FHintergrund = hintergrund;
    FSchrift = schrift;
    viewport()->update();
}

int TListView::TextBedarf(const QString& text) const {
    // The item view draws a cell's text inside a margin on both sides, the grid line takes
    // one pixel of the column, and the text is elided as soon as its exact, fractional
    // width exceeds the room.
    const int rand = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text))) + 2 * rand + (showGrid() ? 1 : 0);
}

void TListView::BedarfNeuMessen() {
    FZellBedarf.fill(0, Spalten);
    for (int zeile = 0; zeile < rowCount(); ++zeile)
        for (int spalte = 0; spalte < Spalten; ++spalte)
            if (const QTableWidgetItem* i = item(zeile, spalte))
                FZellBedarf[spalte] = std::max(FZellBedarf[spalte], TextBedarf(i->text()));
}

TListView::TSpalte TListView::SpaltenMass(int spalte) const {
    const int kopf = horizontalHeader()->sectionSizeHint(spalte);
    const int zelle = FZellBedarf.value(spalte);
    const int platz = viewport()->width();
    if (platz <= 0)
        return {std::max(kopf, zelle), std::max(kopf, zelle)};
    // Up to half the viewport a cell is kept whole (a large font scrolls rather than cuts
    // names); beyond it, only made-up or flooded names reach.
    const int haelfte = platz / 2;
    if (zelle <= haelfte)
        return {std::max(kopf, zelle), std::max(kopf, zelle)};
    return {std::max(kopf, haelfte), std::max(kopf, platz / 6)};
}

int TListView::SpaltenBedarf(int spalte) const {
    return SpaltenMass(spalte).Mindest;
}

QString TListView::ZellTipp(int zeile, int spalte) const {
    const QTableWidgetItem* i = item(zeile, spalte);
    if (!i || TextBedarf(i->text()) <= columnWidth(spalte))
        return {};
    return i->text();
}

int TListView::ZeilenBedarf() const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("Mg");
    const QSize s = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    return s.height() + (showGrid() ? 1 : 0);
}

void TListView::SpaltenEinteilen(int listBreite) {
    FListBreite = listBreite;
    SpaltenAnwenden();
}

void TListView::SpaltenAnwenden() {
    FSpaltenPruefenS = false;
    if (FListBreite <= 0)
        return;
    // A sixth of the list for columns 0 to 4; the last one takes the rest of the viewport,
    // not of the outer width, which would push the columns past the viewport and bring a
    // horizontal scroll bar for nothing.
    const int sechstel = int((FListBreite / 100.0) * (100.0 / 6));
    const int platz = viewport()->width();
    QList<int> wunsch(Spalten, sechstel);
    wunsch[Spalten - 1] = platz - (Spalten - 1) * sechstel;
    QList<int> voll, mindest;
    qint64 summeVoll = 0, summeMindest = 0;
    for (int spalte = 0; spalte < Spalten; ++spalte) {
        const TSpalte m = SpaltenMass(spalte);
        voll.append(m.Voll);
        mindest.append(m.Mindest);
        summeVoll += m.Voll;
        summeMindest += m.Mindest;
    }
    QList<int> bedarf = voll;
    if (summeVoll > platz) {
        // Long cells give way alike: the widest width c up to which each keeps its text
        // (between its least and its full need) with all columns in the viewport.
        const auto breiten = [&](int c) {
            QList<int> b;
            for (int spalte = 0; spalte < Spalten; ++spalte)
                b.append(std::clamp(c, mindest[spalte], voll[spalte]));
            return b;
        };
        const auto summe = [](const QList<int>& b) {
            return std::accumulate(b.cbegin(), b.cend(), qint64(0));
        };
        int unten = 0, oben = platz;
        while (unten < oben) {
            const int mitte = (unten + oben + 1) / 2;
            if (summe(breiten(mitte)) <= platz)
                unten = mitte;
            else
                oben = mitte - 1;
        }
        bedarf = summeMindest <= platz ? breiten(unten) : mindest;
    }
    // A column too narrow for its header or widest cell borrows from the others' spare room;
    // only when all of them together need more than the viewport does the list scroll
    // sideways, each column then as wide as it needs.
    const QList<int> breiten = BreitenVerteilen(wunsch, bedarf, platz).value_or(bedarf);
    for (int spalte = 0; spalte < Spalten; ++spalte)
        setColumnWidth(spalte, breiten[spalte]);
}

void TListView::resizeEvent(QResizeEvent* ereignis) {
    // The viewport changes its width when a vertical scroll bar comes or goes.
    const int vorher = FViewportBreite;
    QTableWidget::resizeEvent(ereignis);
    FViewportBreite = viewport()->width();
    if (FViewportBreite != vorher)
        SpaltenAnwenden();
}

void TListView::ZeilenHoeheAnwenden() {
    verticalHeader()->setDefaultSectionSize(std::max(FStandardZeile, ZeilenBedarf()));
}

void TListView::changeEvent(QEvent* ereignis) {
    QTableWidget::changeEvent(ereignis);
    if (ereignis->type() == QEvent::FontChange || ereignis->type() == QEvent::StyleChange) {
        // Rows as high as the new font needs, columns as wide as its texts need.
        ZeilenHoeheAnwenden();
        BedarfNeuMessen();
        SpaltenAnwenden();
    }
}

bool TZellenDelegate::helpEvent(QHelpEvent* ereignis, QAbstractItemView* view,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (ereignis->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(ereignis, view, option, index);
    const QString tipp = FView->ZellTipp(index.row(), index.column());
    if (tipp.isEmpty()) {
        QToolTip::hideText();
        ereignis->ignore();
        return false;
    }
    QToolTip::showText(ereignis->globalPos(), tipp, view, view->visualRect(index));
    return true;
}

void TZellenDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor farbe =
        ZellTextFarbe(index.column(), index.data().toString(), FView->Hintergrund(), FView->Schrift());
    option->palette.setColor(QPalette::Text, farbe);
}
