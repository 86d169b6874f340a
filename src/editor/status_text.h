// The status bar's counts and text, without a window.
#pragma once

#include <cstddef>
#include <cstdint>

struct TextCounts {
    uint32_t words = 0;
    uint32_t chars = 0;
};

// Every unit but CR is a character; SPACE, TAB, CR and LF separate words; any other unit
// (NUL and punctuation included) belongs to a word.
TextCounts CountText(const wchar_t* text, size_t length);
// The same over a text that comes in pieces: adds text[0, length) to `counts`; `inWord` says
// whether the unit before it belongs to a word, and is left saying so of its last unit.
void CountMore(const wchar_t* text, size_t length, TextCounts& counts, bool& inWord);

// True for the units a single key adds or removes that change the counts by one character
// and the words only next to it: not CR, LF or other controls (tab aside), not surrogates.
bool IsSimpleKeyUnit(wchar_t unit);

// The words one unit adds when it goes in between `before` and `after` (a space stands for
// the start or the end of the text); taking it out again removes as many.
uint32_t WordsAddedByUnit(wchar_t before, wchar_t unit, wchar_t after);

// Writes the decimal digits of value and a NUL into out (at least 11 units); returns out.
wchar_t* FormatDecimal(uint32_t value, wchar_t* out);

// Ln and Col as the bar shows them, counted from 1.
struct CaretPlace {
    uint32_t line;
    uint32_t column;
};

// Wine's control can report the caret past the end of the text (after a paste over the final
// paragraph mark), where no line or column exists. The reported position is first taken into
// [0, textEnd]; what the control then says of that position's line is taken into the text:
// the line into [0, lines), the column into [0, lineLength].
long ClampPosition(long position, long textEnd);
CaretPlace PlaceCaret(long position, long line, long lines, long lineStart, long lineLength);

// "Ln 12, Col 5  |  230 words  |  1402 chars  |  57 lines" into out (at least 512 units).
void BuildStatusText(uint32_t line, uint32_t column, uint32_t words, uint32_t chars, uint32_t lines, wchar_t* out);

// Long work (Open, the word-wrap toggle) shows how far it has come once it has run this long,
// and then no more often than this: each showing repaints the bar.
inline constexpr uint64_t kProgressDelayMs = 500;
inline constexpr uint64_t kProgressEveryMs = 100;

// Whether progress is due at nowMs for work that started at startMs and last showed it at
// shownMs (0: not yet). Never before the delay, then at most once per interval.
bool ProgressDue(uint64_t startMs, uint64_t shownMs, uint64_t nowMs);

// "Opening... 40%": label, a space and the whole percent of done in total (at most 100), into
// out (at least 512 units; the label is cut to fit).
void BuildProgressText(const wchar_t* label, size_t done, size_t total, wchar_t* out);
