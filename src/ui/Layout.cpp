#include "ui/Layout.h"

#include "ui/Farben.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

QString OkBeschriftung() {
    QDialogButtonBox knoepfe;
    return knoepfe.addButton(QDialogButtonBox::Ok)->text();
}

int TitelBreiteNoetig(const QWidget* fenster) {
    QFont titel = QApplication::font();
    titel.setBold(true);
    const QFontMetrics m(titel);
    // A title bar about a line high; its icon and buttons are about as wide as it is high.
    const int knopf = m.height() + 8;
    return m.horizontalAdvance(fenster->windowTitle()) + 4 * knopf;
}

int GetSchalterHoehe(const QFont& font, TSchalterArt art) {
    // The line height of an auto-sized label showing "M".
    const int l = QFontMetrics(font).height();
    switch (art) {
    case TSchalterArt::Edit:
    case TSchalterArt::RadioGroup:
    case TSchalterArt::CheckBox:
        return l + 8;
    case TSchalterArt::Button:
        return l + 12;
    case TSchalterArt::StatusBar:
        return l + 6;
    case TSchalterArt::Sonstige:
        break;
    }
    return l;
}

int GetTextBreite(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text + u' ');
}

QString EntferneAmpersand(const QString& text) {
    QString t = text;
    t.remove(u'&');
    return t;
}

QLineEdit* FormularZeile(QWidget* eltern, QFormLayout* formular, const QString& name, const QString& text,
                         const TProgrammSchrift& schrift, const QColor& hintergrund) {
    auto* edit = new QLineEdit(text, eltern);
    edit->setMaxLength(256);
    TextbereichGestalten(edit, schrift, hintergrund);
    auto* label = new QLabel(name, eltern);
    label->setBuddy(edit);
    TextbereichGestalten(label, schrift, hintergrund);
    formular->addRow(label, edit);
    return edit;
}

void TextbereichGestalten(QWidget* steuerelement, const TProgrammSchrift& schrift,
                          const QColor& hintergrund) {
    QPalette pal = steuerelement->palette();
    // Check boxes and radio buttons fill their background from the button colour.
    for (auto rolle : {QPalette::Base, QPalette::Window, QPalette::Button})
        pal.setColor(rolle, hintergrund);
    // Disabled controls keep the desktop's grey text, so they still look disabled.
    const QColor text = schrift.Farbe();
    for (auto gruppe : {QPalette::Active, QPalette::Inactive})
        for (auto rolle : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            pal.setColor(gruppe, rolle, text);
    steuerelement->setPalette(pal);
    steuerelement->setAutoFillBackground(true);
    steuerelement->setFont(schrift.Font);
}

void KnopfGestalten(QAbstractButton* knopf, const TProgrammSchrift& schrift) {
    QFont f = knopf->font();
    f.setFamily(schrift.Font.family());
    f.setPointSizeF(schrift.Font.pointSizeF());
    f.setBold(schrift.Font.bold());
    f.setItalic(schrift.Font.italic());
    f.setUnderline(schrift.Font.underline());
    f.setStrikeOut(schrift.Font.strikeOut());
    knopf->setFont(f);
}

QRect Arbeitsbereich(const QWidget* fenster) {
    const QScreen* schirm =
        fenster && fenster->screen() ? fenster->screen() : QGuiApplication::primaryScreen();
    return schirm ? schirm->availableGeometry() : QRect();
}

QMargins FensterRahmen(const QWidget* fenster, const QMargins& ersatz) {
    const QWindow* w = fenster->window()->windowHandle();
    const QMargins rahmen = w ? w->frameMargins() : QMargins();
    return !rahmen.isNull() && RahmenPlausibel(rahmen, Arbeitsbereich(fenster).size()) ? rahmen : ersatz;
}

bool RahmenPlausibel(const QMargins& rahmen, const QSize& arbeit) {
    // No side negative, and all of them together leave most of the work area to the window.
    return rahmen.left() >= 0 && rahmen.top() >= 0 && rahmen.right() >= 0 && rahmen.bottom() >= 0 &&
           (rahmen.left() + rahmen.right()) * 4 <= arbeit.width() &&
           (rahmen.top() + rahmen.bottom()) * 4 <= arbeit.height();
}

QSize GroessteClientGroesse(const QWidget* fenster) {
    const QMargins rahmen = FensterRahmen(fenster);
    return Arbeitsbereich(fenster).size().shrunkBy(rahmen);
}

QPoint ZentriertePosition(const QSize& aussen, const QRect& bereich, const QRect& arbeit) {
    int x = bereich.left() + std::max((bereich.width() - aussen.width()) / 2, 0);
    int y = bereich.top() + std::max((bereich.height() - aussen.height()) / 2, 0);
    // Centred on the whole screen a dialog can still reach under a panel: shift it just far
    // enough into the work area (its top-left corner wins where it is larger).
    if (arbeit.isValid()) {
        x = std::max(arbeit.left(), std::min(x, arbeit.left() + arbeit.width() - aussen.width()));
        y = std::max(arbeit.top(), std::min(y, arbeit.top() + arbeit.height() - aussen.height()));
    }
    return {x, y};
}

void FensterZentrieren(QWidget* fenster, const QRect& bereich) {
    const QSize aussen = fenster->size().grownBy(FensterRahmen(fenster));
    fenster->move(ZentriertePosition(aussen, bereich, Arbeitsbereich(fenster)));
}

void AufBildschirmZentrieren(QWidget* fenster) {
    const QScreen* schirm = fenster->screen() ? fenster->screen() : QGuiApplication::primaryScreen();
    if (schirm)
        FensterZentrieren(fenster, schirm->geometry());
}

namespace {

class TRahmenWaechter : public QObject {
public:
    TRahmenWaechter(QWidget* fenster, std::function<void()> anordnen)
        : QObject(fenster), FFenster(fenster), FAnordnen(std::move(anordnen)) {
        fenster->installEventFilter(this);
    }

    bool eventFilter(QObject* objekt, QEvent* ereignis) override {
        const QEvent::Type art = ereignis->type();
        QWindow* handle = FFenster->windowHandle();
        if (objekt == FFenster && art == QEvent::Show && handle && handle != FHandle) {
            FHandle = handle;
            handle->installEventFilter(this);
        }
        const bool fensterS = objekt == FFenster && (art == QEvent::Show || art == QEvent::Move);
        // The frame comes with a move where the window manager moves the window, and before
        // the window is first exposed where it keeps the window's place (openbox).
        const bool handleS = objekt == handle && handle && art == QEvent::Expose && handle->isExposed();
        if (!fensterS && !handleS)
            return false;
        const QMargins rahmen = FensterRahmen(FFenster);
        const bool pruefenS = art == QEvent::Show || (rahmen != FRahmen && FFenster->isVisible());
        FRahmen = rahmen;
        const QRect arbeit = Arbeitsbereich(FFenster);
        if (pruefenS && arbeit.isValid() && !arbeit.contains(FFenster->geometry().marginsAdded(rahmen)))
            FAnordnen();
        return false;
    }

private:
    QWidget* FFenster;
    std::function<void()> FAnordnen;
    QMargins FRahmen;
    QPointer<QWindow> FHandle;
};

} // namespace

void NachRahmenNeuAnordnen(QWidget* fenster, std::function<void()> anordnen) {
    new TRahmenWaechter(fenster, std::move(anordnen));
}

int BreiteNoetig(const QWidget* steuerelement) {
    return steuerelement->sizeHint().width();
}

int KnopfBreiteNoetig(const QAbstractButton* knopf) {
    return GetTextBreite(knopf->font(), EntferneAmpersand(knopf->text()) + QStringLiteral("MM"));
}

std::optional<QList<int>> BreitenVerteilen(const QList<int>& wunsch, const QList<int>& bedarf, int platz) {
    const qsizetype n = wunsch.size();
    if (n == 0 || bedarf.size() != n)
        return std::nullopt;
    qint64 summeBedarf = 0;
    qint64 summeWunsch = 0;
    for (qsizetype i = 0; i < n; ++i) {
        summeBedarf += std::max(bedarf[i], 0);
        summeWunsch += wunsch[i];
    }
    if (summeBedarf > platz)
        return std::nullopt;
    // The last one takes what the wishes leave over or exceed, as a row's last control does.
    QList<int> breite = wunsch;
    breite[n - 1] += int(platz - summeWunsch);
    qint64 fehlt = 0;
    qint64 uebrig = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const int b = std::max(bedarf[i], 0);
        if (breite[i] < b) {
            fehlt += b - breite[i];
            breite[i] = b;
        } else {
            uebrig += breite[i] - b;
        }
    }
    if (fehlt == 0)
        return breite;
    const QList<int> vorher = breite;
    qint64 genommen = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const int frei = vorher[i] - std::max(bedarf[i], 0);
        if (frei <= 0)
            continue;
        const int abzug = int(fehlt * frei / uebrig);
        breite[i] -= abzug;
        genommen += abzug;
    }
    // What the rounding left: from the last ones that can still spare it.
    for (qsizetype i = n - 1; i >= 0 && genommen < fehlt; --i) {
        const int frei = breite[i] - std::max(bedarf[i], 0);
        const int abzug = int(std::min<qint64>(frei, fehlt - genommen));
        breite[i] -= abzug;
        genommen += abzug;
    }
    return breite;
}

QList<QList<int>> ZeilenUmbrechen(const QList<int>& bedarf, int breite, int abstand) {
    QList<QList<int>> zeilen;
    int belegt = 0;
    for (int i = 0; i < int(bedarf.size()); ++i) {
        if (!zeilen.isEmpty() && belegt + abstand + bedarf[i] <= breite) {
            zeilen.last().append(i);
            belegt += abstand + bedarf[i];
        } else {
            zeilen.append(QList<int>{i});
            belegt = bedarf[i];
        }
    }
    return zeilen;
}
