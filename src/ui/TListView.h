#pragma once
// The host list view: one row per store entry, in store order, six centred columns; the
// "Status" and "Sender" cells in traffic-light colours.

#include "hosts/THostListRec.h"

#include <QColor>
#include <QStyledItemDelegate>
#include <QTableWidget>

class THostList;

// Text colour of a cell: column 2 and 3 green or red by their text (lime or yellow where
// the background already is that green or red); every other column the font's colour.
QColor ZellTextFarbe(int spalte, const QString& text, const QColor& hintergrund, const QColor& schrift);

// The six cell texts of an entry.
QStringList ZellTexte(const THostListRec& host);

class TListView : public QTableWidget {
    Q_OBJECT
public:
    explicit TListView(QWidget* parent = nullptr);

    void ListViewFuellen(const THostList& liste);
    // Follows the store: new rows appended, the rows it reports changed repainted, a
    // shorter store rebuilt. Holds the store's lock meanwhile.
    void Abgleichen(THostList& liste);
    void SetListViewItem(const THostListRec& host, int index, bool makeBeginUpdate);

    // Nested begin/end bracket: the view repaints once at the outermost end.
    void BeginUpdate();
    void EndUpdate();

    // Focus and select a row and scroll it fully into view.
    void ZeileFokussieren(int zeile);
    bool HatFokusZeile() const { return currentRow() >= 0; }
    // The selected row, or -1.
    int ItemIndex() const;

    void SetzeFarben(const QColor& hintergrund, const QColor& schrift);

    // The column rule of the window's layout for a list `listBreite` pixels wide: columns 0
    // to 4 a sixth each, the last one the rest of the viewport. No column gets narrower
    // than its header and its widest cell need, except that a cell wider than half the
    // viewport counts as only that wide and, where the columns do not fit, gives way down
    // to a sixth (it is elided, its tooltip holds it whole): one long name never pushes the
    // other columns out of view. The list scrolls sideways only when all of them together
    // need more than the viewport.
    void SpaltenEinteilen(int listBreite);
    // Width column `spalte` needs at least: its header, its widest cell as far as the rule
    // above keeps cells whole.
    int SpaltenBedarf(int spalte) const;
    // The whole text of a cell that is shown elided, else empty (the cell's tooltip).
    QString ZellTipp(int zeile, int spalte) const;
    // Height a row needs for one line in the view's font.
    int ZeilenBedarf() const;
    const QColor& Hintergrund() const { return FHintergrund; }
    const QColor& Schrift() const { return FSchrift; }

    // Cells written since creation, for tests of the write-only-what-changed rule.
    int GeschriebeneZellen() const { return FGeschrieben; }

protected:
    void changeEvent(QEvent* ereignis) override;
    void resizeEvent(QResizeEvent* ereignis) override;

private:
    void Zelle(int zeile, int spalte, const QString& text);
    // Rows for the store's entries past the view's last row.
    void Anhaengen(const THostList& liste);
    int TextBedarf(const QString& text) const;
    // Header and widest cell of a column: what it would like (capped at half the
    // viewport) and the least it can live with.
    struct TSpalte {
        int Voll;
        int Mindest;
    };
    TSpalte SpaltenMass(int spalte) const;
    // Measures every cell again (after a change of the font or of all rows).
    void BedarfNeuMessen();
    void SpaltenAnwenden();
    void ZeilenHoeheAnwenden();

    int FUpdateTiefe = 0;
    int FGeschrieben = 0;
    int FListBreite = 0;
    // Widest cell text of each column since the last full measurement; rows that go
    // keep their column wide until the next one (a refill or a new font).
    QList<int> FZellBedarf;
    bool FSpaltenPruefenS = false;
    int FStandardZeile = 0;
    int FViewportBreite = -1;
    QColor FHintergrund = Qt::white;
    QColor FSchrift = Qt::black;
};

// Paints the cells in the colours of the rule; the view itself draws the text.
class TZellenDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TZellenDelegate(TListView* view) : QStyledItemDelegate(view), FView(view) {}

    bool helpEvent(QHelpEvent* ereignis, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TListView* FView;
};

// RAII bracket around bulk changes of the view.
class TUpdateKlammer {
public:
    explicit TUpdateKlammer(TListView* view) : FView(view) { FView->BeginUpdate(); }
    ~TUpdateKlammer() { FView->EndUpdate(); }
    TUpdateKlammer(const TUpdateKlammer&) = delete;
    TUpdateKlammer& operator=(const TUpdateKlammer&) = delete;

private:
    TListView* FView;
};
