#pragma once
// The instance guard on Linux: a lock file and a local socket (TInstanzWaechter), and the
// signals that end the session (TSignalWaechter).

#include "platform/TInstanz.h"

#include <memory>

class TInstanzWaechter;
class TSignalWaechter;

class TLinuxInstanz : public TInstanz {
    Q_OBJECT
public:
    TLinuxInstanz();
    ~TLinuxInstanz() override;

    bool Beanspruchen() override;
    void Lauschen() override;
    bool NachrichtAnInstanz(const QString& titelEnde, int nachricht) override;
    void SetzeFensterTitel(const QString& titel) override;
    void SetzeAnfrageBeantworter(TBeantworter beantworter) override;
    std::optional<QString> AnfrageAnInstanz(const QString& anfrage, int fristMs) override;

private:
    std::unique_ptr<TInstanzWaechter> FWaechter;
    std::unique_ptr<TSignalWaechter> FSignale;
};
