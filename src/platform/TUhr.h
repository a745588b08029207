#pragma once
// Date, time of day and the steady tick count. Tests hand a clock of their own.

#include <QDateTime>

class TUhr {
public:
    virtual ~TUhr() = default;
    virtual QDateTime Jetzt() = 0;   // local date and time
    virtual quint32 TickCount() = 0; // milliseconds, steady, wraps at 32 bits; any thread
};
