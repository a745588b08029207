#include "schedule/TUpDown.h"

#include <QResizeEvent>
#include <QToolButton>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), FAuf(new QToolButton(this)), FAb(new QToolButton(this)) {
    setFocusPolicy(Qt::NoFocus);
    for (QToolButton* knopf : {FAuf, FAb}) {
        knopf->setFocusPolicy(Qt::NoFocus);
        knopf->setAutoRepeat(true);
        knopf->setAutoRaise(false);
        knopf->setIconSize(QSize(7, 7));
    }
    FAuf->setArrowType(Qt::UpArrow);
    FAb->setArrowType(Qt::DownArrow);
    connect(FAuf, &QToolButton::clicked, this, [this] { emit Schritt(true); });
    connect(FAb, &QToolButton::clicked, this, [this] { emit Schritt(false); });
}

void TUpDown::resizeEvent(QResizeEvent* ereignis) {
    QWidget::resizeEvent(ereignis);
    const int oben = height() / 2;
    FAuf->setGeometry(0, 0, width(), oben);
    FAb->setGeometry(0, oben, width(), height() - oben);
}
