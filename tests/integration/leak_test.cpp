// 500 rounds of each operation that replaces handles: every replaced window and GDI object
// must be gone, the thread's window count back where it was, and the private bytes flat.
// (GetGuiResources answers 0 under Wine, so handles are checked one by one.)
#include "support/app_fixture.h"

#include "editor/text_load.h"
#include "support/dialog_script.h"
#include "support/fake_file_dialogs.h"

#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kRounds = 500;
// The control's undo history records every colour and font change and fills up to its
// limit (about 100 entries) before it stops growing; measuring starts after that.
constexpr int kWarmUp = 150;
// Growth allowed over 500 rounds after a warm-up: well under one leaked document copy
// (about 4 KB here) per round, with room for the heap's own fragmentation.
constexpr SIZE_T kPrivateBytesBound = 1024 * 1024;

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters)))
        return 0;
    // Wine leaves PrivateUsage at 0; PagefileUsage is the same commit charge there and on Windows.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM param)
{
    ++*reinterpret_cast<int*>(param);
    EnumChildWindows(hwnd, [](HWND, LPARAM p) -> BOOL { ++*reinterpret_cast<int*>(p); return TRUE; }, param);
    return TRUE;
}

// All windows of this thread, children included.
int ThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void Command(UINT id)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
    // A replaced control waits for a quiet turn of the loop; the test does not wait for one.
    DropReplacedControl();
}

std::wstring SampleText()
{
    std::wstring text;
    for (int i = 0; i < 100; ++i) text += L"line " + std::to_wstring(i) + L" of the sample text\r\n";
    return text;
}

struct Figures {
    int windowsBefore, windowsAfter;
    SIZE_T bytesBefore, bytesAfter;
};

void Report(const char* what, const Figures& f, const std::string& extra = {})
{
    std::printf("%s: windows %d -> %d, private bytes %zu -> %zu (%+lld)%s\n", what, f.windowsBefore,
                f.windowsAfter, static_cast<size_t>(f.bytesBefore), static_cast<size_t>(f.bytesAfter),
                static_cast<long long>(f.bytesAfter) - static_cast<long long>(f.bytesBefore), extra.c_str());
    std::fflush(stdout);
}

void ExpectFlat(const Figures& f)
{
    EXPECT_EQ(f.windowsAfter, f.windowsBefore);
    EXPECT_LE(f.bytesAfter, f.bytesBefore + kPrivateBytesBound);
}

} // namespace

class LeakTest : public JotwellTest {};

TEST_F(LeakTest, WordWrapTogglesDestroyEveryReplacedControl)
{
    SetEditText(SampleText());
    const HFONT font = g_app.hEditFont;
    for (int i = 0; i < kWarmUp; ++i) Command(ID_FORMAT_WORDWRAP);
    Figures f = {ThreadWindows(), 0, PrivateBytes(), 0};
    int replaced = 0;
    for (int i = 0; i < kRounds; ++i) {
        const HWND old = g_app.hwndEdit;
        Command(ID_FORMAT_WORDWRAP);
        ASSERT_NE(g_app.hwndEdit, nullptr);
        if (g_app.hwndEdit != old) {
            ++replaced;
            ASSERT_FALSE(IsWindow(old)) << "round " << i;
        }
    }
    f.windowsAfter = ThreadWindows();
    f.bytesAfter = PrivateBytes();
    Report("word wrap", f, ", controls replaced " + std::to_string(replaced));
    EXPECT_EQ(replaced, kRounds);
    EXPECT_EQ(g_app.hEditFont, font);
    EXPECT_NE(GetObjectType(font), 0u);
    EXPECT_EQ(EditText(), SampleText());
    ExpectFlat(f);
}

TEST_F(LeakTest, ThemeSwitchesDeleteEveryReplacedBrush)
{
    SetEditText(SampleText());
    const HFONT font = g_app.hEditFont;
    for (int i = 0; i < kWarmUp; ++i) Command(i % 2 ? ID_THEME_LIGHT : ID_THEME_DARK);
    Figures f = {ThreadWindows(), 0, PrivateBytes(), 0};
    int brushesMade = 0, brushesLeft = 0;
    HBRUSH previous = g_app.hStatusBrush;
    for (int i = 0; i < kRounds; ++i) {
        Command(i % 2 ? ID_THEME_LIGHT : ID_THEME_DARK);
        const HBRUSH now = g_app.hStatusBrush;
        if (now) ++brushesMade;
        // A handle value may be reused at once by its replacement; otherwise it must be dead.
        if (previous && previous != now && GetObjectType(previous) != 0) ++brushesLeft;
        previous = now;
        ASSERT_EQ(g_app.darkActive, i % 2 ? 0 : 1) << "round " << i;
        ASSERT_EQ(now != nullptr, g_app.darkActive != 0) << "round " << i;
    }
    f.windowsAfter = ThreadWindows();
    f.bytesAfter = PrivateBytes();
    Report("theme", f, ", brushes made " + std::to_string(brushesMade) + ", replaced ones still alive " +
                           std::to_string(brushesLeft));
    EXPECT_EQ(brushesLeft, 0);
    EXPECT_EQ(brushesMade, kRounds / 2);
    EXPECT_EQ(g_app.hEditFont, font);
    EXPECT_NE(GetObjectType(font), 0u);
    EXPECT_FALSE(EditModified());
    ExpectFlat(f);
}

TEST_F(LeakTest, FindAndReplaceDialogsAreDestroyedOnClose)
{
    SetEditText(SampleText());
    auto round = [](int i) {
        Command(i % 2 ? ID_EDIT_REPLACE : ID_EDIT_FIND);
        const HWND dialog = g_app.hwndFindDialog;
        if (!dialog) return false;
        ClickDialogButton(dialog, IDCANCEL);
        Pump();
        return !IsWindow(dialog) && g_app.hwndFindDialog == nullptr;
    };
    for (int i = 0; i < kWarmUp; ++i) ASSERT_TRUE(round(i));
    Figures f = {ThreadWindows(), 0, PrivateBytes(), 0};
    for (int i = 0; i < kRounds; ++i) ASSERT_TRUE(round(i)) << "round " << i;
    f.windowsAfter = ThreadWindows();
    f.bytesAfter = PrivateBytes();
    Report("find/replace dialogs", f);
    ExpectFlat(f);
}

TEST_F(LeakTest, OpenAndSaveCyclesLeaveNothingBehind)
{
    TempFolder folder;
    const std::wstring first = folder.File(L"first.txt");
    const std::wstring second = folder.File(L"second.txt");
    const HFONT font = g_app.hEditFont;

    // Some rounds through the real dialogs.
    for (int i = 0; i < 5; ++i) {
        DialogScript script;
        SetEditText(SampleText() + std::to_wstring(i));
        script.ChooseFile(first);
        if (i > 0) script.Press(IDYES);   // the file exists from the first round
        Command(ID_FILE_SAVEAS);
        ASSERT_FALSE(EditModified()) << "round " << i;
        script.ChooseFile(first);
        Command(ID_FILE_OPEN);
        ASSERT_EQ(EditText(), SampleText() + std::to_wstring(i)) << "round " << i;
        ASSERT_EQ(script.pending(), 0u);
    }

    FakeFileDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());
    auto cycle = [&](int i) {
        SetEditText(SampleText() + std::to_wstring(i));
        dialogs.Answer(i % 2 ? first : second);
        Command(ID_FILE_SAVEAS);
        TypeText(L"x");
        Command(ID_FILE_SAVE);
        dialogs.Answer(i % 2 ? second : first);
        Command(ID_FILE_OPEN);
        return !EditModified();
    };
    for (int i = 0; i < kWarmUp; ++i) ASSERT_TRUE(cycle(i));
    Figures f = {ThreadWindows(), 0, PrivateBytes(), 0};
    for (int i = 0; i < kRounds; ++i) ASSERT_TRUE(cycle(i)) << "round " << i;
    f.windowsAfter = ThreadWindows();
    f.bytesAfter = PrivateBytes();
    Report("open/save", f, ", dialogs answered " + std::to_string(dialogs.openCalls() + dialogs.saveCalls()));
    EXPECT_EQ(dialogs.openCalls(), kRounds + kWarmUp);
    EXPECT_EQ(dialogs.saveCalls(), kRounds + kWarmUp);
    EXPECT_EQ(g_app.hEditFont, font);
    ExpectFlat(f);
}

// Not one of the four asked for, but the font is the other object replaced at run time.
TEST_F(LeakTest, DpiChangesDeleteEveryReplacedFont)
{
    SetEditText(SampleText());
    RECT frame = {};
    GetWindowRect(g_app.hwndMain, &frame);
    auto change = [&](int i) {
        const UINT dpi = i % 2 ? 96 : 144;
        SendMessageW(g_app.hwndMain, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
        Pump();
    };
    for (int i = 0; i < kWarmUp; ++i) change(i);
    Figures f = {ThreadWindows(), 0, PrivateBytes(), 0};
    int fontsLeft = 0;
    for (int i = 0; i < kRounds; ++i) {
        const HFONT old = g_app.hEditFont;
        change(i);
        ASSERT_NE(g_app.hEditFont, nullptr);
        if (old != g_app.hEditFont && GetObjectType(old) != 0) ++fontsLeft;
    }
    f.windowsAfter = ThreadWindows();
    f.bytesAfter = PrivateBytes();
    Report("dpi", f, ", replaced fonts still alive " + std::to_string(fontsLeft));
    EXPECT_EQ(fontsLeft, 0);
    ExpectFlat(f);
}
