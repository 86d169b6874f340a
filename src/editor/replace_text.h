// Replace All's new text, without a window.
#pragma once

#include <cstddef>
#include <vector>

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

// Every match of pattern[0, patternLength) in text[0, length), in order, each search starting
// where the last match ended, as Replace All takes them. Without `matchCase`, units compare by
// their upper case (the system's, unit by unit). With `wholeWord`, a match must not have a
// letter or digit right before or after it. Throws std::bad_alloc when the list cannot grow.
std::vector<MatchSpan> FindMatches(const wchar_t* text, size_t length, const wchar_t* pattern, size_t patternLength,
                                   bool matchCase, bool wholeWord);
