#pragma once
// The beep of the date and time fields (a key that cannot apply). One function, so tests
// can count the beeps instead of hearing them.

#include <functional>

void FeldPiep();
// Replaces the beep; an empty function restores the default, QApplication::beep().
void SetzeFeldPiep(std::function<void()> piep);
