// Replace All's new text, without a window.
#pragma once

#include <cstddef>

// A match, in character positions of the document.
struct MatchSpan {
    long start;
    long end;
};

// The units of span (spanLength units from position spanStart) once each match in it is
// replaced by withLength units. The matches lie in the span, in order, without overlapping.
size_t ReplacedLength(size_t spanLength, const MatchSpan* matches, size_t count, size_t withLength);

// Writes that text into out, which has room for ReplacedLength units.
void BuildReplaced(const wchar_t* span, size_t spanLength, long spanStart, const MatchSpan* matches, size_t count,
                   const wchar_t* with, size_t withLength, wchar_t* out);
