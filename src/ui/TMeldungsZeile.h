#pragma once
// A one-line label for a message that may be longer than its room (the status bar): it shows
// what fits, ending in "…", and keeps the whole text.

#include <QLabel>
#include <QString>

class TMeldungsZeile : public QLabel {
    Q_OBJECT
public:
    explicit TMeldungsZeile(QWidget* parent = nullptr);

    // The whole text; the label shows as much of it as fits.
    void SetzeMeldung(const QString& text);
    const QString& Meldung() const { return FMeldung; }

protected:
    void resizeEvent(QResizeEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;

private:
    void Kuerzen();
    QString FMeldung;
};
