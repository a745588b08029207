#pragma once
// Layout checks shared by the window tests: nothing overlaps, nothing leaves its window,
// no caption is cut off, no window leaves the work area.

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QWidget>

// Every pair of the widgets is disjoint and every widget lies inside the client area.
inline QString UeberlappungOderAussen(const QWidget* fenster, const QList<const QWidget*>& teile) {
    auto name = [](const QWidget* w) {
        return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
    };
    auto ort = [](const QRect& r) {
        return QString(" (%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    for (int i = 0; i < teile.size(); ++i) {
        const QRect g = teile[i]->geometry();
        if (!fenster->rect().contains(g))
            return name(teile[i]) + ort(g) + " liegt ausserhalb" + ort(fenster->rect());
        for (int k = i + 1; k < teile.size(); ++k)
            if (g.intersects(teile[k]->geometry()))
                return name(teile[i]) + ort(g) + " ueberlappt " + name(teile[k]) + ort(teile[k]->geometry());
    }
    return {};
}

// The caption a control cuts off (too narrow or too low for it), described; empty when it
// fits. The width is the one the style leaves for the text.
inline QString AbgeschnittenerText(const QWidget* w) {
    const QFontMetrics fm(w->font());
    QString text;
    int breite = w->contentsRect().width();
    QStyleOptionButton o;
    o.initFrom(w);
    if (auto* k = qobject_cast<const QPushButton*>(w)) {
        text = k->text();
        if (k->autoDefault())
            o.features |= QStyleOptionButton::AutoDefaultButton;
        if (k->isDefault())
            o.features |= QStyleOptionButton::DefaultButton;
        breite = w->style()->subElementRect(QStyle::SE_PushButtonContents, &o, w).width();
    } else if (auto* c = qobject_cast<const QCheckBox*>(w)) {
        text = c->text();
        breite = w->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, w).width();
    } else if (auto* r = qobject_cast<const QRadioButton*>(w)) {
        text = r->text();
        breite = w->style()->subElementRect(QStyle::SE_RadioButtonContents, &o, w).width();
    } else if (auto* l = qobject_cast<const QLabel*>(w)) {
        text = l->text();
    } else if (auto* g = qobject_cast<const QGroupBox*>(w)) {
        text = g->title();
        breite = g->width();
    }
    text.remove('&');
    const QString name = w->objectName() + " \"" + text + "\"";
    if (fm.horizontalAdvance(text) > breite)
        return QString("%1: %2 px breit in %3 px").arg(name).arg(fm.horizontalAdvance(text)).arg(breite);
    if (!text.isEmpty() && fm.height() > w->height())
        return QString("%1: %2 px hoch in %3 px").arg(name).arg(fm.height()).arg(w->height());
    return {};
}

// The window with its frame lies inside the work area of its screen.
inline QString AusserhalbDesArbeitsbereichs(const QWidget* fenster) {
    const QRect arbeit = fenster->screen()->availableGeometry();
    const QRect f = fenster->frameGeometry();
    if (arbeit.contains(f))
        return {};
    return QString("%1: %2,%3 %4x%5 nicht in %6x%7")
        .arg(fenster->windowTitle())
        .arg(f.x())
        .arg(f.y())
        .arg(f.width())
        .arg(f.height())
        .arg(arbeit.width())
        .arg(arbeit.height());
}
