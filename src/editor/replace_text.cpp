#include "editor/replace_text.h"

#include <algorithm>

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
