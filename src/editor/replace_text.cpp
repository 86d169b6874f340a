#include "editor/replace_text.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

size_t ReplacedLength(size_t spanLength, const MatchSpan* matches, size_t count, size_t withLength)
{
    size_t matched = 0;
    for (size_t i = 0; i < count; ++i) matched += static_cast<size_t>(matches[i].end - matches[i].start);
    return spanLength - matched + count * withLength;
}

void BuildReplaced(const wchar_t* span, size_t spanLength, long spanStart, const MatchSpan* matches, size_t count,
                   const wchar_t* with, size_t withLength, wchar_t* out)
{
    long at = spanStart;
    for (size_t i = 0; i < count; ++i) {
        out = std::copy(span + (at - spanStart), span + (matches[i].start - spanStart), out);
        out = std::copy(with, with + withLength, out);
        at = matches[i].end;
    }
    std::copy(span + (at - spanStart), span + spanLength, out);
}

namespace {

bool IsWordUnit(wchar_t unit)
{
    return IsCharAlphaNumericW(unit) != FALSE;
}

} // namespace

std::vector<MatchSpan> FindMatches(const wchar_t* text, size_t length, const wchar_t* pattern, size_t patternLength,
                                   bool matchCase, bool wholeWord)
{
    std::vector<MatchSpan> matches;
    if (patternLength == 0 || patternLength > length) return matches;
    // Compared upper-cased, a copy each: the system maps unit for unit, so positions stay.
    std::wstring foldedText, foldedPattern;
    const wchar_t* haystack = text;
    const wchar_t* needle = pattern;
    if (!matchCase) {
        foldedText.assign(text, length);
        foldedPattern.assign(pattern, patternLength);
        CharUpperBuffW(foldedText.data(), static_cast<DWORD>(length));
        CharUpperBuffW(foldedPattern.data(), static_cast<DWORD>(patternLength));
        haystack = foldedText.data();
        needle = foldedPattern.data();
    }
    const std::boyer_moore_horspool_searcher search(needle, needle + patternLength);
    const wchar_t* end = haystack + length;
    for (const wchar_t* from = haystack;;) {
        const wchar_t* found = std::search(from, end, search);
        if (found == end) break;
        const size_t at = static_cast<size_t>(found - haystack);
        const bool whole = !wholeWord || ((at == 0 || !IsWordUnit(text[at - 1])) &&
                                          (at + patternLength == length || !IsWordUnit(text[at + patternLength])));
        if (!whole) {
            from = found + 1;
            continue;
        }
        matches.push_back({static_cast<long>(at), static_cast<long>(at + patternLength)});
        from = found + patternLength;
    }
    return matches;
}
