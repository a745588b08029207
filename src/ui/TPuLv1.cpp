#include "ui/TPuLv1.h"

#include "ui/TMeldungen.h"
#include "ui/TNameDlg.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

TPuLv1::TPuLv1(QAbstractScrollArea* liste) : QMenu(liste), FListe(liste) {
    using E = TPuLv1Eintrag;
    auto merke = [this](E e, QAction* a) {
        FEintraege[size_t(e)] = a;
        return a;
    };
    PuLv1Aufwecken = merke(E::Aufwecken, Neu(QStringLiteral("&Aufwecken"), 1));
    PULv1Einschlafen = merke(E::Einschlafen, Neu(QStringLiteral("&Einschlafen"), 2));
    PuLv1Herunterfahren = merke(E::Herunterfahren, Neu(QStringLiteral("&Herunterfahren"), 3));
    PuLv1Neustart = merke(E::Neustart, Neu(QStringLiteral("&Neustart"), 4));
    addSeparator();
    PuLv1PcAendern = merke(
        E::PcAendern, Neu(QStringLiteral("&Gerätename ändern..."), 1, QKeySequence(Qt::CTRL | Qt::Key_G)));
    PuLv1BenutzerAendern = merke(E::BenutzerAendern, Neu(QStringLiteral("&Benutzername ändern..."), 2,
                                                         QKeySequence(Qt::CTRL | Qt::Key_B)));
    PuLv1MeinName = merke(E::MeinName, Neu(QStringLiteral("&Meinen Namen ändern..."), 3));
    PuLv1IpKopieren = merke(E::IpKopieren, Neu(QStringLiteral("IP-Adresse kopieren"), 1));
    PuLv1MacKopieren = merke(E::MacKopieren, Neu(QStringLiteral("MAC-Adresse kopieren"), 2));
    PuLv1Zeitsteuerung = merke(
        E::Zeitsteuerung, Neu(QStringLiteral("&Zeitsteuerung..."), 0, QKeySequence(Qt::CTRL | Qt::Key_Z)));
    addSeparator();
    PuLv1Oben = merke(
        E::Oben, Neu(QStringLiteral("Listeneintrag nach &oben"), 1, QKeySequence(Qt::CTRL | Qt::Key_Up)));
    PuLv1Unten = merke(
        E::Unten, Neu(QStringLiteral("Listeneintrag nach &unten"), 2, QKeySequence(Qt::CTRL | Qt::Key_Down)));
    PuLv1Loeschen = merke(E::Loeschen, Neu(QStringLiteral("&Löschen"), 0, QKeySequence(Qt::Key_Delete)));

    connect(this, &QMenu::aboutToShow, this, [this] {
        if (Popup)
            Popup();
    });
    liste->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(liste, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popup(FListe->viewport()->mapToGlobal(pos)); });
    // Shortcut keys reach the focused list as ShortcutOverride before the shortcut acts.
    liste->installEventFilter(this);
    liste->viewport()->installEventFilter(this);
}

QAction* TPuLv1::Neu(const QString& text, int tag, const QKeySequence& kuerzel) {
    QAction* a = addAction(text);
    a->setData(tag);
    if (!kuerzel.isEmpty()) {
        a->setShortcut(kuerzel);
        a->setShortcutContext(Qt::WidgetShortcut);
        FListe->addAction(a);
    }
    return a;
}

int TPuLv1::Tag(const QAction* aktion) {
    return aktion ? aktion->data().toInt() : 0;
}

void TPuLv1::Freigeben(const TPuLv1Freigaben& freigaben) {
    for (int i = 0; i < PuLv1Anzahl; ++i)
        FEintraege[size_t(i)]->setEnabled(freigaben.Feld[size_t(i)]);
}

bool TPuLv1::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (ereignis->type() == QEvent::ShortcutOverride && Popup) {
        const auto* taste = static_cast<QKeyEvent*>(ereignis);
        const QKeySequence gedrueckt(taste->keyCombination());
        for (const QAction* a : std::as_const(FEintraege))
            if (!a->shortcut().isEmpty() && a->shortcut().matches(gedrueckt) == QKeySequence::ExactMatch) {
                Popup();
                break;
            }
    }
    return QMenu::eventFilter(objekt, ereignis);
}

std::optional<TNamensAenderung> NameAendern(QWidget* eltern, int tag, const THostListRec* eintrag,
                                            const QString& eigenerPC, const QString& eigenerName,
                                            const TProgrammSchrift& schrift, const QColor& hintergrund) {
    if (tag < 1 || tag > 3 || (tag != 3 && !eintrag))
        return std::nullopt;
    int t = eintrag ? UmbenennenTag(tag, eintrag->PC, eigenerPC) : tag;
    if (UmbenennenAbgelehnt(t, eintrag && eintrag->SenderS)) {
        Meldungen::Information(eltern, SenderAblehnungText());
        return std::nullopt;
    }
    TNameDlg dlg(schrift, hintergrund, eltern);
    dlg.setWindowTitle(NameDlgTitel(t));
    dlg.LeName->setText(t == 1 ? eintrag->PC : t == 2 ? eintrag->User : eigenerName);
    if (!Meldungen::ZeigeModal(&dlg))
        return std::nullopt;
    const QString name = dlg.Name();
    // OK is disabled for an empty name; a test answering for the user could still try.
    if (name.isEmpty())
        return std::nullopt;
    return TNamensAenderung{t, name};
}

bool LoeschenBestaetigen(QWidget* eltern, const THostListRec& eintrag) {
    if (eintrag.SenderS) {
        Meldungen::Information(eltern, SenderAblehnungText());
        return false;
    }
    return Meldungen::Frage(eltern, LoeschenFrageText(eintrag.PC));
}
