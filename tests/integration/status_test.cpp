// The status bar in the real window: its text, what refreshes it, showing and hiding it.
#include "support/app_fixture.h"

#include "editor/status_bar.h"
#include "editor/status_text.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using StatusTest = JotwellTest;

// What the bar must show, computed the straightforward way from the control.
std::wstring Expected()
{
    const std::wstring text = EditText();
    const CHARRANGE sel = EditSelection();
    const LRESULT line = SendMessageW(g_app.hwndEdit, EM_LINEFROMCHAR, static_cast<WPARAM>(sel.cpMin), 0);
    const LRESULT start = SendMessageW(g_app.hwndEdit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    uint32_t words = 0, chars = 0;
    bool in = false;
    for (wchar_t c : text) {
        if (c != L'\r') ++chars;
        const bool sep = c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
        if (sep)
            in = false;
        else if (!in)
            ++words, in = true;
    }
    wchar_t out[512];
    BuildStatusText(static_cast<uint32_t>(line + 1), static_cast<uint32_t>(sel.cpMin - start + 1), words, chars,
                    static_cast<uint32_t>(SendMessageW(g_app.hwndEdit, EM_GETLINECOUNT, 0, 0)), out);
    return out;
}

TEST_F(StatusTest, EmptyDocument)
{
    EXPECT_EQ(StatusText(), L"Ln 1, Col 1  |  0 words  |  0 chars  |  1 lines");
}

TEST_F(StatusTest, TypingRefreshesWithTheCountsOfTheText)
{
    TypeText(L"one two\tthree");
    EXPECT_EQ(StatusText(), L"Ln 1, Col 14  |  3 words  |  13 chars  |  1 lines");
    PressKey(VK_RETURN);
    TypeText(L"..., x");
    EXPECT_EQ(StatusText(), Expected());
    EXPECT_EQ(StatusText(), L"Ln 2, Col 7  |  5 words  |  20 chars  |  2 lines");
}

// Typed keys adjust the counts instead of recounting: after every key the bar must still
// show what a full count gives, next to every kind of line break, at the text's ends, over
// selections and surrogate pairs, in small and large documents.
TEST_F(StatusTest, TypedKeysKeepTheCountsOfTheWholeText)
{
    std::wstring large;
    while (large.size() < 100000) large += L"Lorem ipsum, dolor\tsit amet.\r\n";
    const std::wstring documents[] = {L"", L"one two\tthree", L"a b\r\nc d\ne f\rg h\r\r\ni j", large};
    const wchar_t typed[] = {L'x', L' ', L'\t', L'\x00E9', L'.', L'\r', L'\x3000', L'-'};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (const std::wstring& document : documents) {
        SetEditText(document);
        SetFocus(g_app.hwndEdit);
        for (int step = 0; step < 150; ++step) {
            const auto end = static_cast<uint32_t>(EditText().size());
            const uint32_t where = next(8);
            if (where < 3) {
                // Somewhere new: the start, the end, or anywhere, sometimes with a selection.
                const LONG at = where == 0 ? 0 : where == 1 ? -1 : static_cast<LONG>(next(end + 1));
                const LONG to = next(4) == 0 && at >= 0 ? at + static_cast<LONG>(next(5)) : at;
                SendMessageW(g_app.hwndEdit, EM_SETSEL, static_cast<WPARAM>(at), to);
                UpdateStatusBar(); // a caret move alone does not refresh the bar
            }
            const std::wstring before = EditText();
            switch (next(6)) {
            case 0: PressKey(VK_BACK); break;
            case 1: PressKey(VK_DELETE); break;
            case 2: TypeText(L"\xD83D\xDE00"); break;
            default: TypeText(std::wstring(1, typed[next(8)])); break;
            }
            if (EditText() == before) {
                UpdateStatusBar(); // no change, no refresh: the key may have moved the caret
                continue;
            }
            ASSERT_EQ(StatusText(), Expected()) << "document " << &document - documents << ", step " << step;
            ASSERT_TRUE(EditModified());
            ASSERT_EQ(WindowText(g_app.hwndMain), L"*Untitled - Jotwell");
        }
    }
}

TEST_F(StatusTest, SelectionShowsItsStartWhicheverEndHoldsTheCaret)
{
    SetEditText(L"first line\r\nsecond line");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 14, 20); // caret at the end
    UpdateStatusBar();
    EXPECT_EQ(StatusText().substr(0, 13), L"Ln 2, Col 4  ");
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 20, 14); // caret at the start
    UpdateStatusBar();
    EXPECT_EQ(StatusText().substr(0, 13), L"Ln 2, Col 4  ");
}

TEST_F(StatusTest, OnlyTextChangesRefresh)
{
    SetEditText(L"alpha beta");
    // The bar shows column 4; any refresh below would show another column.
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 3, 3);
    UpdateStatusBar();
    const std::wstring before = StatusText();
    ASSERT_EQ(before.substr(0, 13), L"Ln 1, Col 4  ");
    // A caret move (by key, too), Copy and Select All leave the text as it was.
    SetFocus(g_app.hwndEdit);
    PressKey(VK_RIGHT);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 7, 7);
    Pump();
    EXPECT_EQ(StatusText(), before);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 5);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_COPY, 0);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_SELECTALL, 0);
    PressKey('A', {VK_CONTROL});
    Pump();
    EXPECT_EQ(StatusText(), before);

    // Cut, Paste, Delete and Undo do refresh.
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 6);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_CUT, 0);
    EXPECT_EQ(StatusText(), Expected());
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_PASTE, 0);
    EXPECT_EQ(StatusText(), Expected());
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 2);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_DELETE, 0);
    EXPECT_EQ(StatusText(), Expected());
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_UNDO, 0);
    EXPECT_EQ(StatusText(), Expected());
}

// Select All takes in the control's final paragraph mark; pasting or typing over it leaves the
// text without a new line break and the caret at its end.
TEST_F(StatusTest, PastingOrTypingOverSelectAllEndsAtTheEndOfTheText)
{
    SetEditText(L"ab");
    for (UINT command : {ID_EDIT_SELECTALL, ID_EDIT_COPY, ID_EDIT_PASTE})
        SendMessageW(g_app.hwndMain, WM_COMMAND, command, 0);
    EXPECT_EQ(EditText(), L"ab");
    EXPECT_EQ(StatusText().substr(0, 13), L"Ln 1, Col 3  ");
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_SELECTALL, 0);
    TypeText(L"x");
    EXPECT_EQ(EditText(), L"x");
    EXPECT_EQ(StatusText().substr(0, 13), L"Ln 1, Col 2  ");
}

TEST_F(StatusTest, WrappedLinesCountAsLines)
{
    std::wstring longLine;
    for (int i = 0; i < 200; ++i) longLine += L"word ";
    SetEditText(longLine);
    const LRESULT lines = SendMessageW(g_app.hwndEdit, EM_GETLINECOUNT, 0, 0);
    ASSERT_GT(lines, 1);
    EXPECT_EQ(StatusText(), Expected());
    EXPECT_NE(StatusText().find(L"  |  " + std::to_wstring(lines) + L" lines"), std::wstring::npos);
}

int EditHeight()
{
    RECT r = {};
    GetWindowRect(g_app.hwndEdit, &r);
    return r.bottom - r.top;
}

TEST_F(StatusTest, HidingGivesTheTextTheWholeClientArea)
{
    RECT client = {};
    GetClientRect(g_app.hwndMain, &client);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_VIEW_STATUSBAR, 0);
    EXPECT_EQ(g_app.statusBarVisible, 0);
    EXPECT_FALSE(IsWindowVisible(g_app.hwndStatus));
    EXPECT_EQ(GetMenuState(GetMenu(g_app.hwndMain), ID_VIEW_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(EditHeight(), client.bottom);

    // While hidden nothing refreshes it; shown again it gets current values.
    TypeText(L"hidden typing");
    EXPECT_EQ(StatusText(), L"Ln 1, Col 1  |  0 words  |  0 chars  |  1 lines");

    // Resized while hidden: shown again, the bar and the text fit the new size.
    SetWindowPos(g_app.hwndMain, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    GetClientRect(g_app.hwndMain, &client);
    EXPECT_EQ(EditHeight(), client.bottom);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_VIEW_STATUSBAR, 0);
    EXPECT_TRUE(IsWindowVisible(g_app.hwndStatus));
    EXPECT_EQ(StatusText(), Expected());
    RECT bar = {};
    GetWindowRect(g_app.hwndStatus, &bar);
    EXPECT_EQ(bar.right - bar.left, client.right);
    POINT top = {bar.left, bar.top};
    ScreenToClient(g_app.hwndMain, &top);
    EXPECT_EQ(top.y, client.bottom - (bar.bottom - bar.top));
    EXPECT_EQ(EditHeight(), client.bottom - (bar.bottom - bar.top));
}

TEST_F(StatusTest, DarkModeDrawsTheTextItself)
{
    g_app.darkActive = 1;
    UpdateStatusBrush();
    UpdateStatusBar();
    EXPECT_TRUE(HIWORD(SendMessageW(g_app.hwndStatus, SB_GETTEXTLENGTHW, 0, 0)) & SBT_OWNERDRAW);
    const HBRUSH dark = g_app.hStatusBrush;
    ASSERT_NE(dark, nullptr);
    g_app.darkActive = 0;
    UpdateStatusBrush();
    UpdateStatusBar();
    EXPECT_FALSE(HIWORD(SendMessageW(g_app.hwndStatus, SB_GETTEXTLENGTHW, 0, 0)) & SBT_OWNERDRAW);
    // The light palette needs no brush; the dark one's is gone, not leaked.
    EXPECT_EQ(g_app.hStatusBrush, nullptr);
    EXPECT_EQ(GetObjectType(dark), 0u);
}

// Paints the part into a memory bitmap filled white and returns the bitmap's pixels.
std::vector<COLORREF> PaintPart(const wchar_t* text, int width, int height)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_STATIC;
    item.hDC = dc;
    item.rcItem = all;
    item.itemData = reinterpret_cast<ULONG_PTR>(text);
    DrawStatusPart(&item);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

TEST_F(StatusTest, DarkPartIsFilledAndItsTextDrawnLightFromSixPixelsIn)
{
    g_app.darkActive = 1;
    UpdateStatusBrush();
    constexpr int kWidth = 200, kHeight = 22;
    const std::vector<COLORREF> pixels = PaintPart(L"Ln 1 & more", kWidth, kHeight);
    int textPixels = 0, leftmost = kWidth, top = kHeight, bottom = -1;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const COLORREF c = pixels[static_cast<size_t>(y * kWidth + x)];
            if (c == RGB(45, 45, 45)) continue;
            ++textPixels;
            leftmost = std::min(leftmost, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            // Nothing lighter than the text colour: no white is left unfilled.
            EXPECT_LE(GetRValue(c), 200) << x << "," << y;
        }
    }
    EXPECT_GT(textPixels, 20);
    EXPECT_GE(leftmost, 6);
    EXPECT_LE(leftmost, 8);
    // One line, centred: as much room above it as below, within a pixel or two.
    EXPECT_LE(std::abs(top - (kHeight - 1 - bottom)), 3);

    // Without a brush (CreateSolidBrush failed) the text is still drawn on what was there.
    DeleteStatusBrush();
    const std::vector<COLORREF> unfilled = PaintPart(L"x", 40, kHeight);
    EXPECT_EQ(unfilled[0], RGB(255, 255, 255));
    EXPECT_NE(std::count(unfilled.begin(), unfilled.end(), RGB(200, 200, 200)), 0);
}

} // namespace
