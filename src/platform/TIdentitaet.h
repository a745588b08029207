#pragma once
// Who and where this program runs: the computer's and the user's names.

#include <QString>

class TIdentitaet {
public:
    virtual ~TIdentitaet() = default;
    virtual QString ComputerName() = 0; // empty when it cannot be read
    virtual QString UserName() = 0;     // login name of the process owner, or empty
};
