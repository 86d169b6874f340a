// How printed text is laid out, without a device: lines, tabs, wrapping and pages.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kPrintTabSize = 8;

// How many leading characters of text[0..count) fit in the printable width (at least 0).
using FitFunction = std::function<size_t(const wchar_t* text, size_t count)>;

// The document's lines: CR LF, CR and LF each end one.
std::vector<std::wstring> SplitPrintLines(std::wstring_view text);

// TAB expanded with spaces to the next multiple of tabSize columns.
std::wstring ExpandTabs(std::wstring_view line, int tabSize = kPrintTabSize);

// One line cut into pieces that each fit: after the last space that fits, or mid-word when
// a word alone is too long. Every piece has at least one character, so the loop always ends;
// an empty line stays one empty piece.
std::vector<std::wstring> WrapPrintLine(std::wstring_view line, const FitFunction& fit);

// The whole text laid out into printed lines.
std::vector<std::wstring> LayoutPrintText(std::wstring_view text, const FitFunction& fit);

// Lines per page for a page body of bodyHeight and a line height; at least 1.
size_t LinesPerPage(int bodyHeight, int lineHeight);

// Number of pages for a count of printed lines; an empty document still prints one page.
size_t PageCount(size_t lineCount, size_t linesPerPage);
