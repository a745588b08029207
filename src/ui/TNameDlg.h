#pragma once
// The small name dialog for renaming a device, a host's user or the own user name. Made
// for one use; the caller sets the caption and the text, shows it and reads Name().

#include "ui/Farben.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TNameDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxLaenge = 100;
    static constexpr int KnopfBreite = 125;

    explicit TNameDlg(const TProgrammSchrift& schrift, const QColor& hintergrund, QWidget* eltern = nullptr);

    QLineEdit* LeName = nullptr;
    QLabel* LeNameLabel = nullptr; // "&Name:", left of the edit
    QPushButton* Btn1Ok = nullptr;
    QPushButton* Btn2Abbrechen = nullptr;

    // The edit's text without blanks and control characters at the ends.
    QString Name() const;

    void CaptionZuweisen();
    void SchriftartZuweisen();
    void SchalterEinrichten();
    void FensterEinrichten();
    void LeNameChange();

protected:
    void showEvent(QShowEvent* ereignis) override;
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    TProgrammSchrift FSchrift;
    QColor FHintergrund;
};
