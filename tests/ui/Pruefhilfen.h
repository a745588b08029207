#pragma once
// Layout checks shared by the dialog tests.

#include <QRect>
#include <QString>
#include <QTest>
#include <QWidget>

// Every pair of the widgets is disjoint and every widget lies inside the client area.
inline QString UeberlappungOderAussen(const QWidget* fenster, const QList<const QWidget*>& teile) {
    for (int i = 0; i < teile.size(); ++i) {
        if (!fenster->rect().contains(teile[i]->geometry()))
            return teile[i]->objectName() + " liegt ausserhalb";
        for (int k = i + 1; k < teile.size(); ++k)
            if (teile[i]->geometry().intersects(teile[k]->geometry()))
                return teile[i]->objectName() + " ueberlappt " + teile[k]->objectName();
    }
    return {};
}
