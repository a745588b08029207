#include "ui/TListView.h"

#include "hosts/THostList.h"

#include <QHeaderView>
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
    horizontalHeader()->setStretchLastSection(true);
    setItemDelegate(new TZellenDelegate(this));
}

void TListView::BeginUpdate() {
    if (FUpdateTiefe++ == 0)
        setUpdatesEnabled(false);
}

void TListView::EndUpdate() {
    if (FUpdateTiefe > 0 && --FUpdateTiefe == 0)
        setUpdatesEnabled(true);
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
}

void TListView::ListViewFuellen(const THostList& liste) {
    TUpdateKlammer klammer(this);
    setRowCount(0);
    const int anzahl = liste.Count();
    for (int i = 0; i < anzahl; ++i)
        SetListViewItem(liste.Get(i), -1, false);
    if (rowCount() > 0)
        ZeileFokussieren(0);
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

void TZellenDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor farbe =
        ZellTextFarbe(index.column(), index.data().toString(), FView->Hintergrund(), FView->Schrift());
    option->palette.setColor(QPalette::Text, farbe);
}
