#pragma once
// A captioned group of radio buttons with one selected index, the items spread evenly over
// the group's height.

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent);

    void SetItems(const QStringList& items);
    int Anzahl() const { return int(FKnoepfe.size()); }
    QRadioButton* Item(int i) const;
    // -1 when none is selected.
    int ItemIndex() const;
    // Selects an item without a Click; an index out of range clears the selection.
    void SetItemIndex(int index);
    // Focus to the selected item (the first one when none is selected).
    void FokusSetzen(Qt::FocusReason grund = Qt::OtherFocusReason);
    // Spreads the items over the group; also runs on every resize, which a hidden group
    // only gets when it is shown.
    void Anordnen();

signals:
    // An item was chosen by the user (mouse or keyboard).
    void Click();

protected:
    void resizeEvent(QResizeEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;

private:
    QButtonGroup* FGruppe;
    QList<QRadioButton*> FKnoepfe;
};
