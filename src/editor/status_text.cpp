#include "editor/status_text.h"

static bool IsWordUnit(wchar_t unit)
{
    return unit != L' ' && unit != L'\t' && unit != L'\r' && unit != L'\n';
}

TextCounts CountText(const wchar_t* text, size_t length)
{
    TextCounts counts;
    bool inWord = false;
    CountMore(text, length, counts, inWord);
    return counts;
}

void CountMore(const wchar_t* text, size_t length, TextCounts& counts, bool& inWord)
{
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

wchar_t* FormatDecimal(uint32_t value, wchar_t* out)
{
    wchar_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
    out[n] = L'\0';
    return out;
}

long ClampPosition(long position, long textEnd)
{
    if (position > textEnd) position = textEnd;
    return position < 0 ? 0 : position;
}

CaretPlace PlaceCaret(long position, long line, long lines, long lineStart, long lineLength)
{
    if (line >= lines) line = lines - 1;
    if (line < 0) line = 0;
    long column = lineStart < 0 ? 0 : position - lineStart;
    if (column > lineLength) column = lineLength;
    if (column < 0) column = 0;
    return {static_cast<uint32_t>(line) + 1, static_cast<uint32_t>(column) + 1};
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

bool ProgressDue(uint64_t startMs, uint64_t shownMs, uint64_t nowMs)
{
    if (nowMs - startMs < kProgressDelayMs) return false;
    return shownMs == 0 || nowMs - shownMs >= kProgressEveryMs;
}

void BuildProgressText(const wchar_t* label, size_t done, size_t total, wchar_t* out)
{
    const uint64_t percent = total == 0 || done >= total ? 100 : static_cast<uint64_t>(done) * 100 / total;
    wchar_t* at = out;
    // 512 units hold the longest number, the space, the sign and the NUL with room to spare.
    for (int i = 0; i < 480 && label[i]; ++i) *at++ = label[i];
    *at++ = L' ';
    at = AppendNumber(at, static_cast<uint32_t>(percent));
    *at++ = L'%';
    *at = L'\0';
}
