#pragma once
// A single-line field with an attached up-down control whose text is edited part by part
// (the common widget of TDatePicker and TTimePicker). The widget only mirrors its editor's
// text and selection and hands keys, characters and clicks to it.

#include "schedule/TTeilEditor.h"

#include <QLineEdit>
#include <QPointer>
#include <memory>

#include "schedule/TUpDown.h"

class TTeilFeld : public QLineEdit {
    Q_OBJECT
public:
    ~TTeilFeld() override;

    // Position and size of field and up-down together; each write re-attaches the up-down
    // and rebuilds the text from the last assigned value (unfinished typing is dropped).
    int Top() const { return y(); }
    int Left() const { return x(); }
    int Width() const;
    void SetTop(int ATop);
    void SetLeft(int ALeft);
    void SetWidth(int AWidth);
    // Top, Left and Width in this order, then the first editable part is marked.
    void Bounds(int ATop, int ALeft, int AWidth);

    int MarkiereNr() const { return FEditor->MarkiereNr(); }
    void SetMarkiereNr(int nr);
    void CheckEingabe();
    void Markiere(bool MerkeS);

    TUpDown* UpDown() const { return FUpDown; }
    TTeilEditor& Editor() { return *FEditor; }
    int UpDownBreite() const;

    void setVisible(bool sichtbarS) override;

protected:
    // The owner becomes the parent of the field and of its up-down.
    TTeilFeld(QWidget* AOwner, std::unique_ptr<TTeilEditor> editor);

    // Rebuilds the text from the last assigned value.
    virtual void NeuAufbauen() = 0;
    // Mirrors the editor into the widget; the selection shows only while focused.
    void Abgleichen();

    void keyPressEvent(QKeyEvent* ereignis) override;
    void focusInEvent(QFocusEvent* ereignis) override;
    void focusOutEvent(QFocusEvent* ereignis) override;
    void mousePressEvent(QMouseEvent* ereignis) override;
    void mouseReleaseEvent(QMouseEvent* ereignis) override;
    void mouseDoubleClickEvent(QMouseEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;
    void moveEvent(QMoveEvent* ereignis) override;
    void resizeEvent(QResizeEvent* ereignis) override;

private:
    void AuswahlUebernehmen();
    void UpDownAnbringen();
    void Platzieren();
    void HoeheAnpassen();

    std::unique_ptr<TTeilEditor> FEditor;
    QPointer<TUpDown> FUpDown;
};
