#include "ui/Layout.h"

#include "ui/Farben.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

void AufBildschirmZentrieren(QWidget* fenster) {
    const QScreen* schirm = fenster->screen() ? fenster->screen() : QGuiApplication::primaryScreen();
    if (!schirm)
        return;
    const QRect s = schirm->geometry();
    const QSize aussen = fenster->isVisible() ? fenster->frameGeometry().size() : fenster->size();
    fenster->move(qMax(s.left(), s.left() + (s.width() - aussen.width()) / 2),
                  qMax(s.top(), s.top() + (s.height() - aussen.height()) / 2));
}
