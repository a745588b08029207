#include "ui/TMeldungen.h"

#include "common/ResConst.h"

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QVector>

namespace Meldungen {
namespace {

TAutomat automat;
QVector<QPointer<QDialog>> offene;

class TOffenMerker {
public:
    explicit TOffenMerker(QDialog* d) { offene.append(d); }
    ~TOffenMerker() { offene.removeLast(); }
};

int Box(QWidget* eltern, QMessageBox::Icon symbol, const QString& text, QMessageBox::StandardButtons knoepfe,
        QMessageBox::StandardButton vorgabe) {
    QMessageBox box(symbol, ProgrammTitel, text, knoepfe, eltern);
    box.setDefaultButton(vorgabe);
    // German whether or not the system has Qt's translations.
    if (QAbstractButton* ja = box.button(QMessageBox::Yes))
        ja->setText(QStringLiteral("&Ja"));
    if (QAbstractButton* nein = box.button(QMessageBox::No))
        nein->setText(QStringLiteral("&Nein"));
    TOffenMerker merker(&box);
    return box.exec();
}

std::optional<bool> Automatisch(TArt art, const QString& text, QDialog* dialog = nullptr) {
    if (!automat)
        return std::nullopt;
    return automat(TAnfrage{art, text, dialog});
}

} // namespace

void Information(QWidget* eltern, const QString& text) {
    if (Automatisch(TArt::Information, text))
        return;
    Box(eltern, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void Fehler(QWidget* eltern, const QString& text) {
    if (Automatisch(TArt::Fehler, text))
        return;
    Box(eltern, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool Frage(QWidget* eltern, const QString& text) {
    if (auto antwort = Automatisch(TArt::Frage, text))
        return *antwort;
    return Box(eltern, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

bool ZeigeModal(QDialog* dialog) {
    if (auto antwort = Automatisch(TArt::Dialog, dialog->windowTitle(), dialog)) {
        dialog->setResult(*antwort ? QDialog::Accepted : QDialog::Rejected);
        return *antwort;
    }
    TOffenMerker merker(dialog);
    return dialog->exec() == QDialog::Accepted;
}

void SetzeAutomat(TAutomat a) {
    automat = std::move(a);
}

void OffeneSchliessen() {
    for (const QPointer<QDialog>& d : std::as_const(offene))
        if (d)
            d->reject();
}

bool IstEineOffen() {
    return !offene.isEmpty();
}

} // namespace Meldungen
