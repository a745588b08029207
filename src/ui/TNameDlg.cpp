#include "ui/TNameDlg.h"

#include "common/Namen.h"
#include "ui/Layout.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QValidator>
#include <algorithm>

namespace {

// Names are cut at "|" and line ends wherever they are stored or sent, so such characters
// are dropped as they are typed, pasted or set.
class TNamenValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int& pos) const override {
        QString sauber;
        sauber.reserve(text.size());
        int neuPos = pos;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!NamenZeichenVerboten(text[i]))
                sauber.append(text[i]);
            else if (i < pos)
                --neuPos;
        }
        text = sauber;
        pos = neuPos;
        return Acceptable;
    }
};

} // namespace

TNameDlg::TNameDlg(const TProgrammSchrift& schrift, const QColor& hintergrund, QWidget* eltern)
    : QDialog(eltern), FSchrift(schrift), FHintergrund(hintergrund) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    LeNameLabel = new QLabel(this);
    LeName = new QLineEdit(this);
    LeName->setMaxLength(MaxLaenge);
    LeName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LeName->setValidator(new TNamenValidator(LeName));
    LeNameLabel->setBuddy(LeName);
    LeNameLabel->installEventFilter(this);
    Btn1Ok = new QPushButton(this);
    Btn2Abbrechen = new QPushButton(this);
    LeNameLabel->setObjectName(QStringLiteral("LeNameLabel"));
    LeName->setObjectName(QStringLiteral("LeName"));
    Btn1Ok->setObjectName(QStringLiteral("Btn1Ok"));
    Btn2Abbrechen->setObjectName(QStringLiteral("Btn2Abbrechen"));
    Btn1Ok->setDefault(true);
    Btn1Ok->setAutoDefault(true);
    Btn2Abbrechen->setAutoDefault(false);
    connect(Btn1Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn2Abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(LeName, &QLineEdit::textChanged, this, &TNameDlg::LeNameChange);
    QWidget::setTabOrder(LeName, Btn1Ok);
    QWidget::setTabOrder(Btn1Ok, Btn2Abbrechen);
    CaptionZuweisen();
    LeNameChange();
    NachRahmenNeuAnordnen(this, [this] { SchalterEinrichten(); });
}

QString TNameDlg::Name() const {
    return NameTrimmen(LeName->text());
}

void TNameDlg::CaptionZuweisen() {
    setWindowTitle(QStringLiteral("Gerätename ändern"));
    LeNameLabel->setText(QStringLiteral("&Name:"));
    Btn1Ok->setText(OkBeschriftung());
    Btn2Abbrechen->setText(QStringLiteral("&Abbrechen"));
}

void TNameDlg::SchriftartZuweisen() {
    TextbereichGestalten(LeName, FSchrift, FHintergrund);
    TextbereichGestalten(LeNameLabel, FSchrift, FHintergrund);
    KnopfGestalten(Btn1Ok, FSchrift);
    KnopfGestalten(Btn2Abbrechen, FSchrift);
    SchalterEinrichten();
}

void TNameDlg::SchalterEinrichten() {
    const QFont knopfFont = Btn1Ok->font();
    const int knopfHoehe = GetSchalterHoehe(knopfFont, TSchalterArt::Button);
    // 125 pixels; a large font would cut "Abbrechen" off, so then as wide as its caption needs.
    const int knopfBreite =
        std::max({KnopfBreite, KnopfBreiteNoetig(Btn1Ok), KnopfBreiteNoetig(Btn2Abbrechen)});
    // Five button widths; on a work area narrower than that the edit gives way, since it
    // scrolls its text anyway.
    const QSize label = LeNameLabel->sizeHint();
    const int editLinks = 10 + label.width() + 5;
    const int clientBreite =
        std::max(std::min(5 * knopfBreite, GroessteClientGroesse(this).width()), 3 * 10 + 2 * knopfBreite);

    const int editHoehe = LeName->sizeHint().height();
    LeName->setGeometry(editLinks, 10, std::max(clientBreite - editLinks - 10, 0), editHoehe);
    LeNameLabel->setGeometry(10, LeName->y() + (editHoehe - label.height()) / 2, label.width(),
                             label.height());

    const int knopfTop = LeName->geometry().bottom() + 1 + 10;
    const int knopfLinks = (clientBreite - 2 * knopfBreite) / 3;
    Btn1Ok->setGeometry(knopfLinks, knopfTop, knopfBreite, knopfHoehe);
    Btn2Abbrechen->setGeometry(2 * knopfLinks + knopfBreite, knopfTop, knopfBreite, knopfHoehe);
    setFixedSize(clientBreite, Btn1Ok->geometry().bottom() + 1 + 10);
    FensterEinrichten();
}

void TNameDlg::FensterEinrichten() {
    AufBildschirmZentrieren(this);
}

void TNameDlg::LeNameChange() {
    Btn1Ok->setEnabled(!Name().isEmpty());
}

void TNameDlg::showEvent(QShowEvent* ereignis) {
    SchriftartZuweisen();
    QDialog::showEvent(ereignis);
    LeNameChange();
    LeName->setFocus();
    LeName->selectAll();
}

bool TNameDlg::eventFilter(QObject* objekt, QEvent* ereignis) {
    // LeNameSubLabelClick: clicking the label puts the caret into the edit.
    if (objekt == LeNameLabel && ereignis->type() == QEvent::MouseButtonPress) {
        LeName->setFocus(Qt::MouseFocusReason);
        return true;
    }
    return QDialog::eventFilter(objekt, ereignis);
}
