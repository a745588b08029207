#pragma once
// The up-down control attached to the right edge of a date or time field. It never takes
// the focus and has no value of its own: each press only asks the field to step.

#include <QWidget>

class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent);

    QToolButton* Auf() const { return FAuf; }
    QToolButton* Ab() const { return FAb; }

signals:
    void Schritt(bool aufS);

protected:
    void resizeEvent(QResizeEvent* ereignis) override;

private:
    QToolButton* FAuf;
    QToolButton* FAb;
};
