#pragma once
// The schedule dialog: action, every day, date and time of one computer's schedule. Created
// once with the main window; its fields also stage every schedule text that is read.

#include "schedule/TDatePicker.h"
#include "schedule/TRadioGroup.h"
#include "schedule/TTimePicker.h"
#include "schedule/TZeitsteuerungFelder.h"
#include "ui/Farben.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

class TZeitDlg : public QDialog, public TZeitsteuerungFelder {
    Q_OBJECT
public:
    // uhr gives the day of creation (the earliest date offered) and the initial time.
    explicit TZeitDlg(QWidget* parent = nullptr, TTeilEditor::TUhr uhr = {});
    ~TZeitDlg() override;

    // Caption pattern; "%s" stands for the device name.
    static QString TitelMuster();
    static QString Titel(const QString& geraet);

    TRadioGroup* Rg1Aktion;
    QCheckBox* Cb1JedenTag;
    TDatePicker* DatePicker = nullptr;
    TTimePicker* TimePicker = nullptr;
    QLabel* Lbl1Zeit;
    QPushButton* Btn1Ok;
    QPushButton* Btn2Abbrechen;

    // --- Set-up routines of every window ---
    void CaptionZuweisen();
    // Takes the program font and the background colour (also for every later showing),
    // then lays the dialog out.
    void SchriftartZuweisen(const TProgrammSchrift& schrift, const QColor& hintergrund);
    void SchalterEinrichten();
    void FensterEinrichten();
    void SetTabOrders();
    int KnopfBreite() const;

    // --- Enabling rules ---
    void Rg1AktionClick();
    void Cb1JedenTagClick();
    void Lbl1ZeitClick();

    // --- Fields every schedule text passes through ---
    void FelderSetzen(const TZeitsteuerungRec& rec) override;
    TZeitsteuerungRec FelderLesen() override;

    void setVisible(bool sichtbarS) override;

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    void SchriftUndFarbeAnwenden();

    TProgrammSchrift FSchrift;
    QColor FHintergrund;
    bool FErstesMalS = true;
};
