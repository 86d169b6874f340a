// The three theme modes as the window really shows them, checked pixel by pixel.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/import_patch.h"
#include "support/registry_value.h"
#include "support/screenshot.h"

#include "app/menu.h"
#include "app/window_theme.h"
#include "appearance/dpi.h"
#include "appearance/theme.h"
#include "editor/word_wrap.h"

#include <commctrl.h>

#include <tuple>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDarkArea = RGB(30, 30, 30);
constexpr COLORREF kDarkText = RGB(220, 220, 220);
constexpr COLORREF kDarkStatus = RGB(45, 45, 45);
constexpr COLORREF kDarkStatusText = RGB(200, 200, 200);

const wchar_t kSample[] = L"IIII HHHH llll |||| MMMM WWWW\r\nEEEE LLLL TTTT";

// A rectangle of a child window in the main window's capture coordinates, shrunk by `inset`.
RECT AreaOf(HWND child, int inset)
{
    RECT main = {}, r = {};
    GetWindowRect(g_app.hwndMain, &main);
    GetWindowRect(child, &r);
    OffsetRect(&r, -main.left, -main.top);
    InflateRect(&r, -inset, -inset);
    return r;
}

RECT StatusPartArea()
{
    RECT part = {};
    SendMessageW(g_app.hwndStatus, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
    RECT main = {}, bar = {};
    GetWindowRect(g_app.hwndMain, &main);
    GetWindowRect(g_app.hwndStatus, &bar);
    OffsetRect(&part, bar.left - main.left, bar.top - main.top);
    InflateRect(&part, -2, -2);
    return part;
}

int Area(const RECT& r)
{
    return (r.right - r.left) * (r.bottom - r.top);
}

Screenshot Capture(const wchar_t* name)
{
    Pump();
    Screenshot shot = CaptureWindow(g_app.hwndMain);
    SaveScreenshot(shot, name);
    return shot;
}

class ThemeTest : public ::testing::Test {
protected:
    ScopedRegistryDword systemTheme{kPersonalizeKey, L"AppsUseLightTheme"};
    void TearDown() override { StopJotwell(); }
};

TEST_F(ThemeTest, LightPaletteIsWhiteWithBlackText)
{
    systemTheme.Remove(); // a fresh system has no value: light
    StartJotwell();
    SetEditText(kSample);
    EXPECT_EQ(g_app.darkActive, 0);
    const Screenshot shot = Capture(L"theme-light");
    const RECT text = AreaOf(g_app.hwndEdit, 3);
    EXPECT_GT(shot.Count(text, kWhite), Area(text) * 8 / 10);
    EXPECT_GT(shot.Count(text, kBlack), 20);
    EXPECT_EQ(g_app.hStatusBrush, nullptr);
}

TEST_F(ThemeTest, DarkPaletteColoursTextAreaAndStatusBar)
{
    StartJotwell();
    SetEditText(kSample);
    SetThemeMode(2);
    const Screenshot shot = Capture(L"theme-dark");
    const RECT text = AreaOf(g_app.hwndEdit, 3);
    EXPECT_GT(shot.Count(text, kDarkArea), Area(text) * 8 / 10);
    EXPECT_GT(shot.Count(text, kDarkText), 20);
    EXPECT_EQ(shot.Count(text, kBlack), 0);
    const RECT status = StatusPartArea();
    EXPECT_GT(shot.Count(status, kDarkStatus), Area(status) / 2);
    EXPECT_GT(shot.Count(status, kDarkStatusText), 10);
}

TEST_F(ThemeTest, SystemModeStartsDarkFromTheFirstFrameAndFollowsTheSetting)
{
    systemTheme.Set(0);
    // The palette must be in force before the window is first shown.
    int darkWhenShown = -1;
    {
        static thread_local int* seen = nullptr;
        seen = &darkWhenShown;
        HHOOK hook = SetWindowsHookExW(
            WH_CALLWNDPROC,
            [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
                const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
                wchar_t cls[32] = {};
                if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam && *seen == -1 &&
                    GetClassNameW(call->hwnd, cls, 32) && lstrcmpW(cls, L"JotwellClass") == 0)
                    *seen = g_app.darkActive;
                return CallNextHookEx(nullptr, code, wParam, lParam);
            },
            nullptr, GetCurrentThreadId());
        StartJotwell();
        UnhookWindowsHookEx(hook);
    }
    EXPECT_EQ(darkWhenShown, 1);
    SetEditText(kSample);
    Screenshot shot = Capture(L"theme-system-dark");
    RECT text = AreaOf(g_app.hwndEdit, 3);
    EXPECT_GT(shot.Count(text, kDarkArea), Area(text) * 8 / 10);

    systemTheme.Set(1);
    SendMessageW(g_app.hwndMain, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
    shot = Capture(L"theme-system-light-after-change");
    EXPECT_EQ(g_app.darkActive, 0);
    EXPECT_GT(shot.Count(text, kWhite), Area(text) * 8 / 10);
    EXPECT_GT(shot.Count(text, kBlack), 20);
}

TEST_F(ThemeTest, ForcedModesIgnoreSettingChanges)
{
    systemTheme.Set(1);
    StartJotwell();
    SetThemeMode(2);
    systemTheme.Set(1);
    SendMessageW(g_app.hwndMain, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(g_app.darkActive, 1);

    SetThemeMode(1);
    systemTheme.Set(0);
    SendMessageW(g_app.hwndMain, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(g_app.darkActive, 0);

    // Back in system mode the value is read afresh.
    SetThemeMode(0);
    EXPECT_EQ(g_app.darkActive, 1);
    systemTheme.Remove();
    SendMessageW(g_app.hwndMain, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(g_app.darkActive, 0);
}

TEST_F(ThemeTest, TextPutInOrTypedAfterTheSwitchShowsInTheDarkPalette)
{
    StartJotwell();
    SetThemeMode(2);
    SetEditText(kSample); // what Open, New and word wrap do with the text
    SendMessageW(g_app.hwndEdit, EM_SETSEL, -1, -1);
    TypeText(L"\r\nTTTT IIII");
    const Screenshot shot = Capture(L"theme-dark-new-text");
    const RECT text = AreaOf(g_app.hwndEdit, 3);
    EXPECT_GT(shot.Count(text, kDarkText), 40);
    EXPECT_EQ(shot.Count(text, kBlack), 0);
}

// Colouring the text is not an edit: Undo after a theme change takes back what it would have
// taken back without one, and the text it brings back shows in the palette in force.
TEST_F(ThemeTest, UndoAfterAThemeChangeTakesBackTheTextNotTheColour)
{
    systemTheme.Remove();
    StartJotwell();
    for (const int mode : {2, 1}) {
        SCOPED_TRACE(mode == 2 ? "light to dark" : "dark to light");
        const COLORREF shown = mode == 2 ? kDarkText : kBlack, old = mode == 2 ? kBlack : kDarkText;
        const RECT text = AreaOf(g_app.hwndEdit, 3);
        TypeText(L"IIII HHHH");
        SendMessageW(g_app.hwndEdit, EM_SETSEL, 4, 9);
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_CUT, 0);
        SetThemeMode(mode);
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_UNDO, 0);
        ASSERT_EQ(EditText(), L"IIII HHHH");
        Screenshot shot = Capture(mode == 2 ? L"theme-undo-to-dark" : L"theme-undo-to-light");
        EXPECT_GT(shot.Count(text, shown), 20);
        EXPECT_EQ(shot.Count(text, old), 0);
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_UNDO, 0);
        EXPECT_EQ(EditText(), L"");
        TypeText(L"TTTT LLLL");
        shot = Capture(mode == 2 ? L"theme-undo-typed-dark" : L"theme-undo-typed-light");
        EXPECT_GT(shot.Count(text, shown), 20);
        EXPECT_EQ(shot.Count(text, old), 0);
        SetEditText(L"");
        SendMessageW(g_app.hwndEdit, EM_EMPTYUNDOBUFFER, 0, 0);
    }
}

TEST_F(ThemeTest, FileOpenedUnderTheDarkPaletteShowsLightText)
{
    StartJotwell();
    SetThemeMode(2);
    TempFolder folder;
    const std::wstring path = folder.File(L"dark.txt");
    WriteFileBytes(path, "IIII HHHH llll |||| MMMM WWWW\r\nEEEE LLLL TTTT");
    {
        DialogScript script;
        script.ChooseFile(path);
        SendMessageW(g_app.hwndMain, WM_COMMAND, ID_FILE_OPEN, 0);
        Pump();
        ASSERT_EQ(script.pending(), 0u);
    }
    ASSERT_EQ(EditText(), L"IIII HHHH llll |||| MMMM WWWW\r\nEEEE LLLL TTTT");
    const Screenshot shot = Capture(L"theme-dark-opened-file");
    const RECT text = AreaOf(g_app.hwndEdit, 3);
    EXPECT_GT(shot.Count(text, kDarkText), 40);
    EXPECT_EQ(shot.Count(text, kBlack), 0);
}

TEST_F(ThemeTest, WordWrapKeepsThePaletteInForce)
{
    StartJotwell();
    SetEditText(kSample);
    SetThemeMode(2);
    ToggleWordWrap();
    const Screenshot shot = Capture(L"theme-dark-after-wordwrap");
    const RECT text = AreaOf(g_app.hwndEdit, 3);
    EXPECT_GT(shot.Count(text, kDarkArea), Area(text) * 7 / 10);
    EXPECT_GT(shot.Count(text, kDarkText), 20);
}

TEST_F(ThemeTest, SwitchingKeepsTheModifyFlagAndCaption)
{
    StartJotwell();
    int changes = 0;
    SetEditText(L"unchanged");
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    SetWindowTextW(g_app.hwndMain, L"Untitled - Jotwell");
    for (int mode : {2, 1, 0, 2}) {
        SetThemeMode(mode);
        Pump();
        changes += EditModified() ? 1 : 0;
    }
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(WindowText(g_app.hwndMain), L"Untitled - Jotwell");

    TypeText(L"x");
    const std::wstring modifiedCaption = WindowText(g_app.hwndMain);
    for (int mode : {1, 2, 0}) SetThemeMode(mode);
    Pump();
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(WindowText(g_app.hwndMain), modifiedCaption);
}

TEST_F(ThemeTest, RadioMarkFollowsTheModeAtTheNextRefresh)
{
    StartJotwell();
    HMENU bar = GetMenu(g_app.hwndMain);
    const UINT ids[] = {ID_THEME_SYSTEM, ID_THEME_LIGHT, ID_THEME_DARK};
    for (int mode : {2, 1, 0}) {
        SetThemeMode(mode);
        UpdateMenuState();
        for (int i = 0; i < 3; ++i) {
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STATE | MIIM_FTYPE;
            GetMenuItemInfoW(bar, ids[i], FALSE, &info);
            EXPECT_EQ((info.fState & MFS_CHECKED) != 0, i == mode) << mode << " " << i;
            if (i == mode) {
                EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
            }
        }
    }
}

// DwmSetWindowAttribute is looked up by name; the patch hands out a recorder instead.
struct DwmCall {
    HWND hwnd;
    DWORD attribute;
    int value;
};
std::vector<DwmCall> t_dwmCalls;

HRESULT WINAPI RecordDwmCall(HWND hwnd, DWORD attribute, LPCVOID value, DWORD cb)
{
    t_dwmCalls.push_back({hwnd, attribute, cb == 4 ? *static_cast<const int*>(value) : -1});
    return S_OK;
}

using GetProcAddressFunction = FARPROC(WINAPI*)(HMODULE, LPCSTR);
GetProcAddressFunction t_realGetProcAddress = nullptr;

FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name) && lstrcmpA(name, "DwmSetWindowAttribute") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordDwmCall));
    return t_realGetProcAddress(module, name);
}

TEST_F(ThemeTest, TitleBarGetsTheFourAttributesInOrder)
{
    StartJotwell();
    // Taken before the patch: inside it, GetProcAddress is the fake.
    t_realGetProcAddress = reinterpret_cast<GetProcAddressFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetProcAddress")));
    ImportPatch patch("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&FakeGetProcAddress));
    if (!patch.ok()) GTEST_SKIP() << "GetProcAddress could not be patched in this build";
    for (int mode : {2, 1}) {
        t_dwmCalls.clear();
        SetThemeMode(mode);
        ASSERT_EQ(t_dwmCalls.size(), 4u);
        const int dark = mode == 2 ? 1 : 0;
        const DWORD attributes[] = {20, 19, 38, 1029};
        const int values[] = {dark, dark, 2, 1};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(t_dwmCalls[i].hwnd, g_app.hwndMain);
            EXPECT_EQ(t_dwmCalls[i].attribute, attributes[i]);
            EXPECT_EQ(t_dwmCalls[i].value, values[i]);
        }
    }
}

// Wine cannot turn high contrast on: the program's one query of it is answered here.
bool t_contrastOn = false;
int t_formats = 0;
BOOL WINAPI FakeSpi(UINT action, UINT, PVOID data, UINT)
{
    if (action != SPI_GETHIGHCONTRAST) return FALSE;
    static_cast<HIGHCONTRASTW*>(data)->dwFlags = t_contrastOn ? HCF_HIGHCONTRASTON : 0;
    return TRUE;
}

// High contrast wins over every mode while it is on, and the text is coloured again only when its colours or its
// font change, not at every broadcast.
TEST_F(ThemeTest, HighContrastTakesTheSystemColoursAndOnlyChangesRecolour)
{
    systemTheme.Set(0);
    StartJotwell();
    const int ids[2] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
    const COLORREF old[2] = {GetSysColor(ids[0]), GetSysColor(ids[1])};
    constexpr COLORREF kYellow = RGB(255, 255, 0), kNavy = RGB(0, 0, 96);
    struct Restore { const int* ids; const COLORREF* old; ~Restore() { SetSysColors(2, ids, old); } } restore{ids, old};
    ImportPatch patch("user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(&FakeSpi));
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        t_formats += code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == EM_SETCHARFORMAT;
        return CallNextHookEx(nullptr, code, wParam, lParam); }, nullptr, GetCurrentThreadId());
    SetEditText(kSample);
    TypeText(L"TTTT ");
    // {high contrast, the system's window colour (its text's is yellow), message, wParam, recoloured, the text area}
    const std::tuple<bool, COLORREF, UINT, WPARAM, bool, COLORREF, COLORREF> steps[] = {
        {false, kBlack, WM_SETTINGCHANGE, 0, false, kDarkArea, kDarkText},
        {false, kBlack, WM_COMMAND, ID_THEME_DARK, false, kDarkArea, kDarkText},
        {false, kBlack, WM_DPICHANGED, MAKEWPARAM(96, 96), true, kDarkArea, kDarkText},
        {true, kBlack, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, true, kBlack, kYellow},
        {true, kNavy, WM_SYSCOLORCHANGE, 0, true, kNavy, kYellow},
        {false, kNavy, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, true, kDarkArea, kDarkText}};
    const RECT area = AreaOf(g_app.hwndEdit, 3);
    for (auto [contrast, window, msg, wParam, recolours, background, text] : steps) {
        t_contrastOn = contrast;
        t_formats = 0;
        const COLORREF colours[2] = {window, kYellow}; // SetSysColors sends WM_SYSCOLORCHANGE itself
        ASSERT_TRUE(GetSysColor(COLOR_WINDOW) == window || SetSysColors(2, ids, colours));
        SendMessageW(g_app.hwndMain, msg, wParam, 0);
        SendMessageW(g_app.hwndMain, WM_INITMENUPOPUP, 0, 0); // the menu as it opens
        const Screenshot shot = Capture(contrast ? L"theme-high-contrast" : L"theme-high-contrast-off");
        EXPECT_EQ(t_formats > 0, recolours) << msg << " " << wParam;
        EXPECT_GT(shot.Count(area, background), Area(area) * 8 / 10);
        EXPECT_GT(shot.Count(area, text), 20);
        const UINT drawing = HIWORD(SendMessageW(g_app.hwndStatus, SB_GETTEXTLENGTHW, 0, 0)) & SBT_OWNERDRAW;
        EXPECT_EQ(drawing, contrast ? 0u : SBT_OWNERDRAW);
        EXPECT_EQ(GetMenuState(g_app.hMenuBar, ID_THEME_SYSTEM, MF_BYCOMMAND) & MF_GRAYED, contrast ? MF_GRAYED : 0u);
    }
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(GetMenuState(g_app.hMenuBar, ID_THEME_DARK, MF_BYCOMMAND) & MF_CHECKED);
    SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_UNDO, 0);
    EXPECT_EQ(EditText(), kSample);
}

int FontHeightOf(HFONT font)
{
    LOGFONTW lf = {};
    GetObjectW(font, sizeof(lf), &lf);
    return lf.lfHeight;
}

TEST_F(ThemeTest, DpiChangeMakesANewFontAndTakesTheProposedRectangle)
{
    StartJotwell();
    EXPECT_EQ(g_app.currentDpi, 96u);
    EXPECT_EQ(FontHeightOf(g_app.hEditFont), -16);
    LOGFONTW face = {};
    GetObjectW(g_app.hEditFont, sizeof(face), &face);
    EXPECT_TRUE(lstrcmpW(face.lfFaceName, L"Segoe UI") == 0 || lstrcmpW(face.lfFaceName, L"Tahoma") == 0);
    TypeText(L"kept");
    const std::wstring caption = WindowText(g_app.hwndMain);

    // An unchanged DPI keeps the same font.
    HFONT before = g_app.hEditFont;
    ApplyTheme();
    EXPECT_EQ(g_app.hEditFont, before);

    RECT proposed = {10, 20, 10 + 1000, 20 + 700};
    SendMessageW(g_app.hwndMain, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&proposed));
    Pump();
    EXPECT_EQ(g_app.currentDpi, 144u);
    EXPECT_EQ(FontHeightOf(g_app.hEditFont), -24);
    EXPECT_EQ(GetObjectType(before), 0u);
    RECT now = {};
    GetWindowRect(g_app.hwndMain, &now);
    EXPECT_EQ(now.left, 10);
    EXPECT_EQ(now.top, 20);
    EXPECT_EQ(now.right - now.left, 1000);
    EXPECT_EQ(now.bottom - now.top, 700);
    EXPECT_TRUE(EditModified());
    EXPECT_EQ(WindowText(g_app.hwndMain), caption);

    // The same DPI again still renews the font; a null rectangle moves nothing.
    before = g_app.hEditFont;
    SendMessageW(g_app.hwndMain, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    EXPECT_NE(g_app.hEditFont, before);
    EXPECT_EQ(GetObjectType(before), 0u);
    RECT after = {};
    GetWindowRect(g_app.hwndMain, &after);
    EXPECT_TRUE(EqualRect(&now, &after));
}

TEST_F(ThemeTest, TwoHundredSwitchesLeaveOnlyTheObjectsInForce)
{
    StartJotwell();
    std::vector<HGDIOBJ> replaced;
    for (int round = 0; round < 200; ++round) {
        HFONT font = g_app.hEditFont;
        HBRUSH brush = g_app.hStatusBrush;
        if (round % 3 == 0) {
            SendMessageW(g_app.hwndMain, WM_DPICHANGED, MAKEWPARAM(96 + 48 * (round % 2), 0), 0);
        } else {
            SetThemeMode(round % 3);
        }
        if (font != g_app.hEditFont) replaced.push_back(font);
        if (brush && brush != g_app.hStatusBrush) replaced.push_back(brush);
    }
    ASSERT_FALSE(replaced.empty());
    for (HGDIOBJ old : replaced) EXPECT_EQ(GetObjectType(old), 0u);
    EXPECT_EQ(GetObjectType(g_app.hEditFont), DWORD{OBJ_FONT});

    SetThemeMode(2);
    EXPECT_EQ(GetObjectType(g_app.hStatusBrush), DWORD{OBJ_BRUSH});
    HBRUSH darkBrush = g_app.hStatusBrush;
    SetThemeMode(1);
    EXPECT_EQ(g_app.hStatusBrush, nullptr);
    EXPECT_EQ(GetObjectType(darkBrush), 0u);
}

// Run as a child process by the test below, after LogPixels has been set to 144.
TEST(ThemeDpiChild, FontFollowsTheSystemDpiAtStartUp)
{
    if (!GetEnvironmentVariableW(L"JOTWELL_DPI_CHILD", nullptr, 0)) GTEST_SKIP() << "run by the start-up DPI test";
    StartJotwell();
    const UINT dpi = g_app.currentDpi;
    const int height = FontHeightOf(g_app.hEditFont);
    StopJotwell();
    EXPECT_EQ(dpi, 144u);
    EXPECT_EQ(height, -24);
}

TEST(ThemeDpi, StartUpFontFollowsLogPixels)
{
    ScopedRegistryDword logPixels(L"Control Panel\\Desktop", L"LogPixels");
    logPixels.Set(144);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + self + L"\" --gtest_filter=ThemeDpiChild.*";
    SetEnvironmentVariableW(L"JOTWELL_DPI_CHILD", L"1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    SetEnvironmentVariableW(L"JOTWELL_DPI_CHILD", nullptr);
    const DWORD waited = WaitForSingleObject(child.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(code, 0u);
}

} // namespace
