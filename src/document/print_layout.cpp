#include "document/print_layout.h"

#include <windows.h>

#include <algorithm>

namespace {

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

bool IsHighSurrogate(wchar_t ch)
{
    return ch >= 0xD800 && ch <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t ch)
{
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

// Marks that belong to the character before them: the system's nonspacing and vowel marks,
// the zero-width joiner, and beyond the first plane the emoji skin tones, tags and variation
// selectors that the system's per-unit types cannot see.
bool BelongsToPrevious(std::wstring_view text, size_t at)
{
    const wchar_t ch = text[at];
    if (ch == 0x200D) return true;
    if (IsHighSurrogate(ch) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
        const char32_t cp =
            0x10000 + ((static_cast<char32_t>(ch) - 0xD800) << 10) + static_cast<char32_t>(text[at + 1] - 0xDC00);
        return (cp >= 0x1F3FB && cp <= 0x1F3FF) || (cp >= 0xE0020 && cp <= 0xE007F) || (cp >= 0xE0100 && cp <= 0xE01EF);
    }
    WORD type = 0;
    if (!GetStringTypeW(CT_CTYPE3, &ch, 1, &type)) return false;
    return (type & (C3_NONSPACING | C3_VOWELMARK)) != 0;
}

// Where the units from `begin` stop fitting in `width`: the first one that does not, or `end`.
// Runs are measured in pieces of about what fitted on the line before, doubled while they
// fit, so a line of any length costs about what it prints.
size_t FitEnd(std::wstring_view text, size_t begin, size_t end, int width, int tabSpacing,
              const MeasureFunction& measure, std::vector<int>& extents, size_t& guess)
{
    int x = 0;
    size_t chunk = guess;
    for (size_t at = begin; at < end;) {
        if (text[at] == L'\t') {
            const int next = NextTabStop(x, tabSpacing);
            if (next > width) return at;
            x = next;
            ++at;
            continue;
        }
        const size_t limit = std::min(end, at + chunk);
        size_t runEnd = at;
        while (runEnd < limit && text[runEnd] != L'\t') ++runEnd;
        extents.clear();
        measure(text.substr(at, runEnd - at), extents);
        extents.resize(runEnd - at, extents.empty() ? 0 : extents.back());
        size_t fits = 0;
        while (fits < extents.size() && x + extents[fits] <= width) ++fits;
        if (at + fits < runEnd) {
            guess = at + fits - begin + 16;
            return at + fits;
        }
        x += extents.empty() ? 0 : extents.back();
        if (runEnd == limit) chunk *= 2;
        at = runEnd;
    }
    return end;
}

// Where the next printed line starts when the units from `begin` stop fitting at `overflow`.
size_t NextLineStart(std::wstring_view text, size_t begin, size_t overflow, size_t end)
{
    size_t cut = overflow;
    if (!IsBlank(text[cut])) {
        // After the last blanks that follow something printed on this line.
        size_t word = overflow;
        while (word > begin && !IsBlank(text[word - 1])) --word;
        size_t blanks = word;
        while (blanks > begin && IsBlank(text[blanks - 1])) --blanks;
        if (word > begin && blanks > begin && IsCharacterBoundary(text, word)) return word;
        // Else mid-word, between whole characters, and at least one of them.
        while (cut > begin && !IsCharacterBoundary(text, cut)) --cut;
        if (cut == begin)
            for (cut = begin + 1; cut < end && !IsCharacterBoundary(text, cut);) ++cut;
    }
    // Blanks hang past the edge: no line starts with them, and a line of only tabs stays one.
    while (cut < end && (IsBlank(text[cut]) || !IsCharacterBoundary(text, cut))) ++cut;
    return cut;
}

} // namespace

int NextTabStop(int x, int spacing)
{
    if (spacing <= 0) return x + 1;
    return (std::max(0, x) / spacing + 1) * spacing;
}

bool IsCharacterBoundary(std::wstring_view text, size_t at)
{
    if (at == 0 || at >= text.size()) return true;
    if (IsLowSurrogate(text[at]) && IsHighSurrogate(text[at - 1])) return false;
    return text[at - 1] != 0x200D && !BelongsToPrevious(text, at);
}

std::vector<PrintLine> LayoutPrintText(std::wstring_view text, int width, int tabSpacing,
                                       const MeasureFunction& measure)
{
    std::vector<PrintLine> lines;
    std::vector<int> extents;
    size_t guess = 64;
    for (size_t start = 0;;) {
        size_t end = start;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
        size_t begin = start;
        do {
            const size_t overflow = FitEnd(text, begin, end, width, tabSpacing, measure, extents, guess);
            const size_t next = overflow < end ? NextLineStart(text, begin, overflow, end) : end;
            lines.push_back({begin, next});
            begin = next;
        } while (begin < end);
        if (end == text.size()) return lines;
        start = end + (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n' ? 2 : 1);
        // A final line break ends the last line; it starts no line (nor page) of its own.
        if (start == text.size()) return lines;
    }
}

size_t LinesPerPage(int bodyHeight, int lineHeight)
{
    if (lineHeight <= 0 || bodyHeight < lineHeight) return 1;
    return static_cast<size_t>(bodyHeight / lineHeight);
}

size_t PageCount(size_t lineCount, size_t linesPerPage)
{
    if (lineCount == 0 || linesPerPage == 0) return 1;
    return (lineCount + linesPerPage - 1) / linesPerPage;
}

CopyPlan PlanCopies(int copies, bool collate, int driverMaxCopies, bool driverCollates)
{
    CopyPlan plan;
    if (copies <= 1) return plan;
    if (driverMaxCopies >= copies && (!collate || driverCollates)) {
        plan.deviceCopies = copies;
        plan.deviceCollate = collate;
    } else {
        plan.programCopies = copies;
        plan.programCollate = collate;
    }
    return plan;
}

size_t PageAtStep(size_t step, size_t pages, int copies, bool collate)
{
    if (pages == 0) return 0;
    if (collate) return step % pages;
    return step / static_cast<size_t>(std::max(1, copies));
}
