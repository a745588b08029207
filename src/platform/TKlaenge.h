#pragma once
// Events of the desktop's sound theme.

class TKlaenge {
public:
    virtual ~TKlaenge() = default;
    enum class TKlang { Benachrichtigung, Asterisk };
    // Plays without waiting for it; false when no sound can be played (the caller then beeps).
    virtual bool KlangSpielen(TKlang klang) = 0;
};
