#include "ui/TMeldungsZeile.h"

#include <QEvent>
#include <QFontMetrics>

TMeldungsZeile::TMeldungsZeile(QWidget* parent) : QLabel(parent) {
    // A long message must not widen the window.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void TMeldungsZeile::SetzeMeldung(const QString& text) {
    FMeldung = text;
    Kuerzen();
}

void TMeldungsZeile::resizeEvent(QResizeEvent* ereignis) {
    QLabel::resizeEvent(ereignis);
    Kuerzen();
}

void TMeldungsZeile::changeEvent(QEvent* ereignis) {
    QLabel::changeEvent(ereignis);
    if (ereignis->type() == QEvent::FontChange)
        Kuerzen();
}

void TMeldungsZeile::Kuerzen() {
    const QString sichtbar =
        fontMetrics().elidedText(FMeldung, Qt::ElideRight, qMax(0, contentsRect().width()));
    if (sichtbar != text())
        setText(sichtbar);
}
