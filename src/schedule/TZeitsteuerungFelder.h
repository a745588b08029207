#pragma once
// The fields every schedule text passes through when it is read: the schedule dialog's
// action, every-day box, date field and time field. The fields apply their limits, so the
// values read back are the repaired ones.

#include "schedule/Zeitsteuerung.h"

class TZeitsteuerungFelder {
public:
    virtual ~TZeitsteuerungFelder() = default;
    // Action index, every-day box (its click rule included), date and time.
    virtual void FelderSetzen(const TZeitsteuerungRec& rec) = 0;
    // The values shown; reading repairs a part that is being edited.
    virtual TZeitsteuerungRec FelderLesen() = 0;
};
