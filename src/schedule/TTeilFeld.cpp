#include "schedule/TTeilFeld.h"

#include "schedule/TUpDown.h"
#include "ui/Layout.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

TTeilFeld::TTeilFeld(QWidget* AOwner, std::unique_ptr<TTeilEditor> editor)
    : QLineEdit(AOwner), FEditor(std::move(editor)), FUpDown(new TUpDown(AOwner)) {
    // Nothing may reach the text but the editor: no context menu, no drops, no input
    // method, no middle-button paste (see the mouse handlers).
    setContextMenuPolicy(Qt::PreventContextMenu);
    setAcceptDrops(false);
    setDragEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFocusPolicy(Qt::StrongFocus);
    connect(FUpDown, &TUpDown::Schritt, this, [this](bool aufS) {
        AuswahlUebernehmen();
        FEditor->UpDownSchritt(aufS);
        Abgleichen();
    });
    HoeheAnpassen();
    UpDownAnbringen();
    Abgleichen();
}

TTeilFeld::~TTeilFeld() {
    delete FUpDown.data();
}

int TTeilFeld::UpDownBreite() const {
    return 17;
}

int TTeilFeld::Width() const {
    return width() + UpDownBreite();
}

void TTeilFeld::SetTop(int ATop) {
    move(x(), ATop);
    Platzieren();
}

void TTeilFeld::SetLeft(int ALeft) {
    move(ALeft, y());
    Platzieren();
}

void TTeilFeld::SetWidth(int AWidth) {
    resize(std::max(AWidth - UpDownBreite(), 0), height());
    Platzieren();
}

void TTeilFeld::Bounds(int ATop, int ALeft, int AWidth) {
    SetTop(ATop);
    SetLeft(ALeft);
    SetWidth(AWidth);
    SetMarkiereNr(1);
}

void TTeilFeld::SetMarkiereNr(int nr) {
    AuswahlUebernehmen();
    FEditor->SetMarkiereNr(nr);
    Abgleichen();
}

void TTeilFeld::CheckEingabe() {
    AuswahlUebernehmen();
    FEditor->CheckEingabe();
    Abgleichen();
}

void TTeilFeld::Markiere(bool MerkeS) {
    FEditor->Markiere(MerkeS);
    Abgleichen();
}

void TTeilFeld::setVisible(bool sichtbarS) {
    QLineEdit::setVisible(sichtbarS);
    if (FUpDown)
        FUpDown->setVisible(sichtbarS);
}

void TTeilFeld::Abgleichen() {
    if (text() != FEditor->Text())
        setText(FEditor->Text());
    if (hasFocus() && FEditor->SelLaenge() > 0)
        setSelection(FEditor->SelStart(), FEditor->SelLaenge());
    else
        setCursorPosition(FEditor->Caret());
}

// The caret the user placed with the mouse; the selection itself lives in the editor.
void TTeilFeld::AuswahlUebernehmen() {
    if (!hasFocus())
        return;
    if (text() != FEditor->Text()) {
        Abgleichen();
        return;
    }
    if (hasSelectedText())
        FEditor->SetzeAuswahl(selectionStart(), int(selectedText().size()));
    else
        FEditor->SetzeCaret(cursorPosition());
}

void TTeilFeld::keyPressEvent(QKeyEvent* ereignis) {
    // Dialog keys and mnemonics belong to the window.
    if (ereignis->modifiers() & Qt::AltModifier) {
        ereignis->ignore();
        return;
    }
    switch (ereignis->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        ereignis->ignore();
        return;
    default:
        break;
    }
    AuswahlUebernehmen();
    switch (ereignis->key()) {
    case Qt::Key_Left:
        FEditor->Taste(TTaste::Links);
        break;
    case Qt::Key_Right:
        FEditor->Taste(TTaste::Rechts);
        break;
    case Qt::Key_Home:
        FEditor->Taste(TTaste::Pos1);
        break;
    case Qt::Key_End:
        FEditor->Taste(TTaste::Ende);
        break;
    case Qt::Key_PageUp:
        FEditor->Taste(TTaste::BildAuf);
        break;
    case Qt::Key_PageDown:
        FEditor->Taste(TTaste::BildAb);
        break;
    case Qt::Key_Delete:
        FEditor->Taste(TTaste::Entf);
        break;
    case Qt::Key_Up:
        FEditor->Taste(TTaste::Auf);
        break;
    case Qt::Key_Down:
        FEditor->Taste(TTaste::Ab);
        break;
    case Qt::Key_Backspace:
        FEditor->Zeichen(QChar(u'\b'));
        break;
    default:
        // Every other key is consumed: clipboard, undo and the like never touch the text.
        for (QChar c : ereignis->text())
            if (c.isPrint())
                FEditor->Zeichen(c);
        break;
    }
    Abgleichen();
    ereignis->accept();
}

void TTeilFeld::focusInEvent(QFocusEvent* ereignis) {
    QLineEdit::focusInEvent(ereignis);
    Abgleichen(); // undoes a select-all on tab focus
    FEditor->SetMarkiereNr(1);
    Abgleichen();
}

void TTeilFeld::focusOutEvent(QFocusEvent* ereignis) {
    if (text() == FEditor->Text()) {
        if (hasSelectedText())
            FEditor->SetzeAuswahl(selectionStart(), int(selectedText().size()));
        else
            FEditor->SetzeCaret(cursorPosition());
    }
    QLineEdit::focusOutEvent(ereignis);
    FEditor->CheckEingabe();
    Abgleichen();
}

void TTeilFeld::mousePressEvent(QMouseEvent* ereignis) {
    if (ereignis->button() == Qt::LeftButton)
        QLineEdit::mousePressEvent(ereignis);
    else
        ereignis->accept();
}

void TTeilFeld::mouseReleaseEvent(QMouseEvent* ereignis) {
    if (ereignis->button() != Qt::LeftButton) {
        ereignis->accept(); // the middle button would paste the selection
        return;
    }
    QLineEdit::mouseReleaseEvent(ereignis);
    if (text() != FEditor->Text()) {
        Abgleichen();
        return;
    }
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int laenge = hasSelectedText() ? int(selectedText().size()) : 0;
    FEditor->MausLoslassen(cursorPosition(), start, laenge);
    Abgleichen();
}

void TTeilFeld::mouseDoubleClickEvent(QMouseEvent* ereignis) {
    if (ereignis->button() == Qt::LeftButton)
        QLineEdit::mouseDoubleClickEvent(ereignis);
    else
        ereignis->accept();
}

void TTeilFeld::changeEvent(QEvent* ereignis) {
    QLineEdit::changeEvent(ereignis);
    switch (ereignis->type()) {
    case QEvent::EnabledChange:
        if (FUpDown)
            FUpDown->setEnabled(isEnabled());
        break;
    case QEvent::FontChange:
        HoeheAnpassen();
        break;
    case QEvent::ReadOnlyChange:
        FEditor->NurLesenS = isReadOnly();
        break;
    default:
        break;
    }
}

void TTeilFeld::moveEvent(QMoveEvent* ereignis) {
    QLineEdit::moveEvent(ereignis);
    UpDownAnbringen();
}

void TTeilFeld::resizeEvent(QResizeEvent* ereignis) {
    QLineEdit::resizeEvent(ereignis);
    UpDownAnbringen();
}

void TTeilFeld::UpDownAnbringen() {
    if (FUpDown)
        FUpDown->setGeometry(x() + width(), y(), UpDownBreite(), height());
}

void TTeilFeld::Platzieren() {
    UpDownAnbringen();
    NeuAufbauen();
    Abgleichen();
}

// An entry field is one text line high plus its frame, whatever the font.
void TTeilFeld::HoeheAnpassen() {
    resize(width(), GetSchalterHoehe(font(), TSchalterArt::Edit));
}
