#include "document/print_layout.h"

std::vector<std::wstring> SplitPrintLines(std::wstring_view text)
{
    std::vector<std::wstring> lines;
    std::wstring current;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        if (ch == L'\r' || ch == L'\n') {
            lines.push_back(current);
            current.clear();
            if (ch == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            current += ch;
        }
    }
    lines.push_back(current);
    return lines;
}

std::wstring ExpandTabs(std::wstring_view line, int tabSize)
{
    std::wstring out;
    const size_t size = tabSize > 0 ? static_cast<size_t>(tabSize) : 1;
    for (wchar_t ch : line) {
        if (ch == L'\t')
            out.append(size - out.size() % size, L' ');
        else
            out += ch;
    }
    return out;
}

std::vector<std::wstring> WrapPrintLine(std::wstring_view line, const FitFunction& fit)
{
    std::vector<std::wstring> pieces;
    while (!line.empty()) {
        size_t fits = std::min(fit(line.data(), line.size()), line.size());
        if (fits == line.size()) {
            pieces.emplace_back(line);
            return pieces;
        }
        size_t cut = fits;
        // Prefer to break after the last space that fits.
        const size_t space = fits > 0 ? line.substr(0, fits + 1).find_last_of(L' ') : std::wstring_view::npos;
        if (space != std::wstring_view::npos && space > 0) cut = space + 1;
        if (cut == 0) cut = 1; // a character wider than the page still moves on
        std::wstring_view piece = line.substr(0, cut);
        while (!piece.empty() && piece.back() == L' ') piece.remove_suffix(1);
        pieces.emplace_back(piece);
        line.remove_prefix(cut);
    }
    if (pieces.empty()) pieces.emplace_back();
    return pieces;
}

std::vector<std::wstring> LayoutPrintText(std::wstring_view text, const FitFunction& fit)
{
    std::vector<std::wstring> printed;
    for (const std::wstring& line : SplitPrintLines(text)) {
        for (std::wstring& piece : WrapPrintLine(ExpandTabs(line), fit)) printed.push_back(std::move(piece));
    }
    return printed;
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
