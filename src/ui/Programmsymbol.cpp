#include "ui/Programmsymbol.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
QPixmap Zeichnen(int groesse) {
    QPixmap bild(groesse, groesse);
    bild.fill(Qt::transparent);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal g = groesse;
    // A blue tile with a white power sign: the program switches computers on and off.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1E, 0x5A, 0xA8));
    p.drawRoundedRect(QRectF(0, 0, g, g).adjusted(g * 0.03, g * 0.03, -g * 0.03, -g * 0.03), g * 0.18,
                      g * 0.18);
    QPen stift(Qt::white, g * 0.1, Qt::SolidLine, Qt::RoundCap);
    p.setPen(stift);
    p.setBrush(Qt::NoBrush);
    const QRectF kreis(g * 0.25, g * 0.27, g * 0.5, g * 0.5);
    p.drawArc(kreis, 120 * 16, 300 * 16);
    p.drawLine(QPointF(g * 0.5, g * 0.18), QPointF(g * 0.5, g * 0.5));
    return bild;
}
} // namespace

QIcon Programmsymbol() {
    static const QIcon symbol = [] {
        QIcon s;
        for (int groesse : {16, 22, 24, 32, 48, 64, 128, 256})
            s.addPixmap(Zeichnen(groesse));
        return s;
    }();
    return symbol;
}
