#pragma once
// One instance per user, how later starts and other programs reach it, and the end of
// the user's session.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class TInstanz : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TInstanz() override = default;

    // Message numbers another process may send to the running instance.
    static constexpr int NachrichtSchliessen1 = 1124;
    static constexpr int NachrichtSchliessen2 = 1125;
    static constexpr int NachrichtZeigen = 1224;

    // Claims the per-user instance named after the product; false when another runs.
    // Needs no application object, so a second start creates nothing.
    virtual bool Beanspruchen() = 0;
    // Once the application object exists: listen for later starts, other programs and the
    // end of the session.
    virtual void Lauschen() = 0;
    // Looks for the running instance whose window caption ends with titelEnde and posts
    // it a message; false when none was found.
    virtual bool NachrichtAnInstanz(const QString& titelEnde, int nachricht) = 0;
    // The caption later starts compare against.
    virtual void SetzeFensterTitel(const QString& titel) = 0;
    // Answers the requests of the user's own local tools (docs/lokale-schnittstelle.md): the
    // handler gets the request line and a callback it calls once with the answer, at once or
    // later.
    using TAntwort = std::function<void(const QString& antwort)>;
    using TBeantworter = std::function<void(const QString& anfrage, TAntwort antwort)>;
    virtual void SetzeAnfrageBeantworter(TBeantworter beantworter) = 0;
    // Puts one request to the user's running instance; nothing when none runs or no answer
    // came within fristMs.
    virtual std::optional<QString> AnfrageAnInstanz(const QString& anfrage, int fristMs) = 0;

signals:
    void NachrichtEmpfangen(int nachricht);
    void SitzungEndet(); // logoff, shutdown, SIGTERM/SIGHUP/SIGINT
};

// Caption rule of the instance search: the caption ends with text and holds it only there.
bool TitelPasst(const QString& titel, const QString& text);
