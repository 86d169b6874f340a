#include "editor/status_text.h"

#include "editor/status_bar.h"

static bool IsWordUnit(wchar_t unit)
{
    return unit != L' ' && unit != L'\t' && unit != L'\r' && unit != L'\n';
}

TextCounts CountText(const wchar_t* text, size_t length)
{
    TextCounts counts;
    bool inWord = false;
    for (size_t i = 0; i < length; ++i) {
        const wchar_t unit = text[i];
        if (unit != L'\r') ++counts.chars;
        if (!IsWordUnit(unit)) {
            inWord = false;
        } else if (!inWord) {
            ++counts.words;
            inWord = true;
        }
    }
    return counts;
}

bool IsSimpleKeyUnit(wchar_t unit)
{
    if (unit == L'\t') return true;
    if (unit < 0x20 || unit == 0x7F) return false;
    return unit < 0xD800 || unit > 0xDFFF;
}

uint32_t WordsAddedByUnit(wchar_t before, wchar_t unit, wchar_t after)
{
    const bool wordBefore = IsWordUnit(before);
    const bool wordAfter = IsWordUnit(after);
    // A word unit between two separators starts a word; a separator inside a word splits it.
    if (IsWordUnit(unit)) return !wordBefore && !wordAfter ? 1u : 0u;
    return wordBefore && wordAfter ? 1u : 0u;
}

static wchar_t* Append(wchar_t* out, const wchar_t* piece)
{
    while (*piece) *out++ = *piece++;
    return out;
}

static wchar_t* AppendNumber(wchar_t* out, uint32_t value)
{
    wchar_t digits[11];
    return Append(out, FormatDecimal(value, digits));
}

void BuildStatusText(uint32_t line, uint32_t column, uint32_t words, uint32_t chars, uint32_t lines, wchar_t* out)
{
    wchar_t* at = Append(out, L"Ln ");
    at = AppendNumber(at, line);
    at = Append(at, L", Col ");
    at = AppendNumber(at, column);
    at = Append(at, L"  |  ");
    at = AppendNumber(at, words);
    at = Append(at, L" words  |  ");
    at = AppendNumber(at, chars);
    at = Append(at, L" chars  |  ");
    at = AppendNumber(at, lines);
    at = Append(at, L" lines");
    *at = L'\0';
}
