// How printed text is laid out, without a device: lines, tab stops, wrapping between whole
// characters, pages, and the order in which copies come out.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

// One printed line: the units [begin, end) of the text. Spaces and tabs at a wrap stay at the
// end of the line before (they hang past the edge), so that no line starts with them.
struct PrintLine {
    size_t begin = 0;
    size_t end = 0;
};

// The device's widths for a run without tabs: fills extents[i] with the width of run[0..i], as
// GetTextExtentExPointW's partial extents.
using MeasureFunction = std::function<void(std::wstring_view run, std::vector<int>& extents)>;

// The first tab stop right of x; stops are `spacing` apart, counted from the left margin.
int NextTabStop(int x, int spacing);

// Whether a line may break before text[at]: not inside a surrogate pair, not before a
// combining mark or a joiner, not after a joiner.
bool IsCharacterBoundary(std::wstring_view text, size_t at);

// The text laid out in lines no wider than `width`: CR LF, CR and LF end a line, and a final one
// starts no line of its own; a long line wraps after its last space or tab that fits, else
// between whole characters; a character wider than the page gets a line of its own. Measures
// only about what fits on each line.
std::vector<PrintLine> LayoutPrintText(std::wstring_view text, int width, int tabSpacing,
                                       const MeasureFunction& measure);

// Lines per page for a page body of bodyHeight and a line height; at least 1.
size_t LinesPerPage(int bodyHeight, int lineHeight);

// Number of pages for a count of printed lines; an empty document still prints one page.
size_t PageCount(size_t lineCount, size_t linesPerPage);

// Who makes the copies: the driver through the DEVMODE when it can make that many (and
// collate them, if asked), otherwise the program, which then asks the driver for one.
struct CopyPlan {
    int deviceCopies = 1;
    bool deviceCollate = false;
    int programCopies = 1;
    bool programCollate = false;
};
CopyPlan PlanCopies(int copies, bool collate, int driverMaxCopies, bool driverCollates);

// The page of the document that the job's step-th printed page shows, for copies made by the
// program: collated 1 2 3 1 2 3, otherwise 1 1 2 2 3 3.
size_t PageAtStep(size_t step, size_t pages, int copies, bool collate);
