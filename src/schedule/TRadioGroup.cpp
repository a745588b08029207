#include "schedule/TRadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QRadioButton>

namespace {
// An item answers a click anywhere on its row, not only on its circle and text.
class TGruppenKnopf : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint& stelle) const override { return rect().contains(stelle); }
};
} // namespace

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), FGruppe(new QButtonGroup(this)) {
    FGruppe->setExclusive(true);
    connect(FGruppe, &QButtonGroup::buttonClicked, this, [this] { emit Click(); });
}

void TRadioGroup::SetItems(const QStringList& items) {
    qDeleteAll(FKnoepfe);
    FKnoepfe.clear();
    for (const QString& text : items) {
        auto* knopf = new TGruppenKnopf(text, this);
        FGruppe->addButton(knopf, int(FKnoepfe.size()));
        FKnoepfe.append(knopf);
        knopf->show();
    }
    Anordnen();
}

QRadioButton* TRadioGroup::Item(int i) const {
    return i >= 0 && i < FKnoepfe.size() ? FKnoepfe[i] : nullptr;
}

int TRadioGroup::ItemIndex() const {
    return FGruppe->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    if (QRadioButton* knopf = Item(index)) {
        knopf->setChecked(true);
        return;
    }
    // Clearing needs the group's exclusivity lifted for a moment.
    FGruppe->setExclusive(false);
    for (QRadioButton* k : std::as_const(FKnoepfe))
        k->setChecked(false);
    FGruppe->setExclusive(true);
}

void TRadioGroup::FokusSetzen(Qt::FocusReason grund) {
    if (QRadioButton* knopf = Item(std::max(ItemIndex(), 0)))
        knopf->setFocus(grund);
}

void TRadioGroup::resizeEvent(QResizeEvent* ereignis) {
    QGroupBox::resizeEvent(ereignis);
    Anordnen();
}

void TRadioGroup::changeEvent(QEvent* ereignis) {
    QGroupBox::changeEvent(ereignis);
    if (ereignis->type() == QEvent::FontChange || ereignis->type() == QEvent::StyleChange)
        Anordnen();
}

void TRadioGroup::Anordnen() {
    if (FKnoepfe.isEmpty())
        return;
    const QRect innen = contentsRect();
    const int n = int(FKnoepfe.size());
    const int zeile = innen.height() / n;
    const int links = innen.left() + 6;
    for (int i = 0; i < n; ++i)
        FKnoepfe[i]->setGeometry(links, innen.top() + i * zeile, std::max(innen.right() - links, 0), zeile);
}
