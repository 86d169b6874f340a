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

// "Ln 12, Col 5  |  230 words  |  1402 chars  |  57 lines" into out (at least 512 units).
void BuildStatusText(uint32_t line, uint32_t column, uint32_t words, uint32_t chars, uint32_t lines, wchar_t* out);
