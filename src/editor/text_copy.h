// The run's one buffer for copies of the whole text.
#pragma once

#include <cstddef>

// A buffer of at least `units` UTF-16 units for a copy of the control's whole text, kept
// for the run: the status counts and Save fill it again and again, and a fresh block for a
// large document would fault in every page of it each time. Null when it cannot grow; the
// contents do not survive the next call.
wchar_t* TextCopyBuffer(size_t units);
void FreeTextCopyBuffer();
