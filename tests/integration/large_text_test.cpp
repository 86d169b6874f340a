// Whole texts streamed into the control (Open, word wrap) against what WM_SETTEXT gives a bare
// control, Replace All against the one-match-at-a-time loop, and the progress shown meanwhile.
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/import_patch.h"
#include "support/text_reference.h"

#include "app/window_theme.h"
#include "appearance/theme.h"
#include "document/document.h"
#include "editor/find_replace.h"
#include "editor/status_bar.h"
#include "editor/text_load.h"
#include "editor/word_wrap.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using LargeTextTest = JotwellTest;

// A bare control of the same kind, out of sight, as the old Open filled it.
class BareControl {
public:
    BareControl()
        : hwnd_(CreateWindowExW(0, L"RichEdit20W", nullptr, WS_CHILD | ES_MULTILINE, 0, 0, 400, 300, g_app.hwndMain,
                                nullptr, g_app.hInstance, nullptr))
    {
        SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    }
    ~BareControl() { DestroyWindow(hwnd_); }
    BareControl(const BareControl&) = delete;
    BareControl& operator=(const BareControl&) = delete;
    HWND get() const { return hwnd_; }

    // What WM_SETTEXT makes of text, read back.
    std::wstring SetText(const std::wstring& text) const
    {
        SendMessageW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return Text();
    }
    std::wstring Text() const
    {
        const LRESULT n = SendMessageW(hwnd_, WM_GETTEXTLENGTH, 0, 0);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        text.resize(static_cast<size_t>(
            SendMessageW(hwnd_, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(text.data()))));
        return text;
    }

private:
    HWND hwnd_;
};

// A lone CR written as CR LF: the one change Open makes on purpose, so that CR CR LF keeps
// both its line breaks instead of becoming the control's soft break (a space).
std::wstring LoneCrAsCrLf(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) out += L'\n';
    }
    return out;
}

std::string Utf16File(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

std::string Utf8File(const std::wstring& text, bool mark)
{
    std::string bytes = mark ? "\xEF\xBB\xBF" : "";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string body(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), body.data(), n, nullptr, nullptr);
    return bytes + body;
}

// Words, every kind of line break, tabs, other scripts, surrogate pairs, now and then a NUL or
// a long line, up to about 8,000 units: several of the pieces the control asks for.
std::wstring RandomDocument(std::mt19937_64& rng)
{
    const wchar_t* pieces[] = {L"word", L"x", L" ", L"\t", L"\r\n", L"\r", L"\n", L"\r\r\n", L"\r\r\r\n", L"\n\r",
                               L"caf\u00e9", L"\u65e5\u672c", L"\xD83D\xDE00", L".,;"};
    std::wstring text;
    const size_t count = rng() % 1500;
    for (size_t i = 0; i < count; ++i) {
        const unsigned pick = rng() % 400;
        if (pick == 0) {
            text += L'\0';
        } else if (pick < 4) {
            for (size_t n = rng() % 3000; n > 0; --n) text += n % 7 ? L'a' : L' ';
        } else {
            text += pieces[pick % std::size(pieces)];
        }
    }
    return text;
}

// Opens bytes as a file through the program's Open and checks the document against a bare
// control given the reference text with WM_SETTEXT.
void ExpectOpensAsSetTextWould(const TempFolder& folder, const BareControl& bare, const std::string& bytes,
                               const std::string& what)
{
    const std::wstring path = folder.File(L"doc.txt");
    WriteFileBytes(path, bytes);
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    const std::optional<std::wstring> reference = ReferenceFileText(bytes);
    ASSERT_EQ(OpenDocumentFile(path.c_str()), reference ? 1 : 0) << what;
    PumpUntilLoaded();
    if (!reference) return;
    const std::wstring expected = bare.SetText(LoneCrAsCrLf(*reference));
    const std::wstring got = EditText();
    const size_t at = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin();
    ASSERT_TRUE(got == expected) << what << ": " << got.size() << " units, expected " << expected.size()
                                 << "; first difference at " << at << ": "
                                 << testing::PrintToString(got.substr(at < 4 ? 0 : at - 4, 8)) << " for "
                                 << testing::PrintToString(expected.substr(at < 4 ? 0 : at - 4, 8));
    ASSERT_FALSE(EditModified()) << what;
    ASSERT_EQ(SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0), 0) << what;
    ASSERT_EQ(EditSelection().cpMin, 0) << what;
    ASSERT_EQ(EditSelection().cpMax, 0) << what;
    ASSERT_EQ(WindowText(g_app.hwndMain), L"doc.txt - Jotwell") << what;
}

// The text's colour over all of it, or 1 when it is not one colour.
COLORREF TextColour()
{
    CHARRANGE all = {0, -1};
    SendMessageW(g_app.hwndEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    SendMessageW(g_app.hwndEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 0);
    if (!(format.dwMask & CFM_COLOR) || (format.dwEffects & CFE_AUTOCOLOR)) return 1;
    return format.crTextColor;
}

TEST_F(LargeTextTest, StreamedDocumentsAreWhatSetTextGave)
{
    const uint64_t seed = SeedFromEnvironment("JOTWELL_FUZZ_SEED", 0x53747265616D496Eull);
    std::printf("stream seed %llu\n", static_cast<unsigned long long>(seed));
    std::mt19937_64 rng(seed);
    TempFolder folder;
    BareControl bare;
    DialogScript unexpected;

    // A line break or a pair at every offset around the first two pieces the control asks for.
    for (const wchar_t* piece : {L"\r\n", L"\r", L"\r\r\n", L"\xD83D\xDE00"}) {
        for (size_t boundary : {2048u, 4096u}) {
            for (size_t at = boundary - 6; at <= boundary + 4; ++at) {
                std::wstring text;
                while (text.size() < at) text += L"abcd ";
                text.resize(at);
                text += piece;
                text += L"tail\r\nend";
                ASSERT_NO_FATAL_FAILURE(
                    ExpectOpensAsSetTextWould(folder, bare, Utf16File(text), "boundary " + std::to_string(at)));
            }
        }
    }

    // Random documents in each of the file's forms, every other one in many small pieces; now
    // and then re-wrapped, in either palette.
    for (int i = 0; i < 300; ++i) {
        const size_t smallest = 16 + rng() % 500;
        if (i % 2)
            SetTextLoadPieces(0, 1 + rng() % 300, smallest, smallest + rng() % 2000);
        else
            SetTextLoadPieces(0, 0, 0, 0);
        const std::wstring text = RandomDocument(rng);
        const int form = i % 4;
        const std::string bytes = form == 0 ? Utf16File(text) : form == 3 ? std::string(1, 'A' + i % 26)
                                                                          : Utf8File(text, form == 1);
        ASSERT_NO_FATAL_FAILURE(ExpectOpensAsSetTextWould(folder, bare, bytes, "case " + std::to_string(i)));
        if (i % 50 == 0) SetThemeMode(i % 100 == 0 ? 2 : 1);
        if (i % 10 == 0) {
            ASSERT_EQ(StatusText(), RecountedStatusText()) << "case " << i;
            ASSERT_EQ(SendMessageW(g_app.hwndEdit, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
            ASSERT_EQ(TextColour(), EditPaletteFor(g_app.darkActive != 0).text) << "case " << i;
        }
        if (i % 25 == 0) {
            const std::wstring before = EditText();
            SendMessageW(g_app.hwndEdit, EM_SETMODIFY, i % 50 == 0, 0);
            ToggleWordWrap();
            PumpUntilLoaded();
            ASSERT_TRUE(EditText() == before) << "case " << i << " after word wrap";
            ASSERT_EQ(EditModified(), i % 50 == 0);
            ASSERT_EQ(SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0), 0);
            ASSERT_EQ(StatusText(), RecountedStatusText()) << "case " << i << " after word wrap";
            ASSERT_EQ(TextColour(), EditPaletteFor(g_app.darkActive != 0).text) << "case " << i;
        }
    }
    EXPECT_TRUE(unexpected.seen().empty());
}

// The one-match-at-a-time Replace All on a bare control: find from the caret, replace, repeat.
std::wstring ReplaceOneAtATime(const BareControl& bare, const std::wstring& text, const wchar_t* what,
                               const wchar_t* with, WPARAM options, LONG& caret)
{
    bare.SetText(text);
    SendMessageW(bare.get(), EM_SETSEL, 0, 0);
    for (;;) {
        CHARRANGE sel = {};
        SendMessageW(bare.get(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        FINDTEXTEXW find = {{sel.cpMin, -1}, what, {}};
        if (SendMessageW(bare.get(), EM_FINDTEXTEX, options, reinterpret_cast<LPARAM>(&find)) == -1) break;
        SendMessageW(bare.get(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
        SendMessageW(bare.get(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(with));
    }
    CHARRANGE sel = {};
    SendMessageW(bare.get(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    caret = sel.cpMin;
    return bare.Text();
}

// With Whole word, a match that starts where the last one ended was judged by the loop against
// the replacement's last character; Replace All takes the text as it stood.
bool HasTouchingWholeWordMatches(const BareControl& bare, const std::wstring& text, const wchar_t* what,
                                 WPARAM options)
{
    if (!(options & FR_WHOLEWORD)) return false;
    bare.SetText(text);
    LONG from = 0, lastEnd = -1;
    for (;;) {
        FINDTEXTEXW find = {{from, -1}, what, {}};
        if (SendMessageW(bare.get(), EM_FINDTEXTEX, options, reinterpret_cast<LPARAM>(&find)) == -1) return false;
        if (find.chrgText.cpMin == lastEnd) return true;
        lastEnd = from = find.chrgText.cpMax;
    }
}

TEST_F(LargeTextTest, ReplaceAllIsTheLoopInOneUndoStep)
{
    std::mt19937_64 rng(SeedFromEnvironment("JOTWELL_FUZZ_SEED", 0x5265706C616365ull));
    BareControl bare;
    const wchar_t* textUnits[] = {L"a", L"b", L"A", L"ab", L" ", L".", L"\r\n", L"\xD83D\xDE00"};
    const wchar_t* patternUnits[] = {L"a", L"b", L"A", L".", L" "};
    const wchar_t* withUnits[] = {L"a", L"x", L"B", L".", L" ", L"\xD83D\xDE00"};
    int compared = 0, touching = 0;
    for (int i = 0; i < 400; ++i) {
        std::wstring text, what, with;
        for (size_t n = rng() % 60; n > 0; --n) text += textUnits[rng() % std::size(textUnits)];
        for (size_t n = 1 + rng() % 3; n > 0; --n) what += patternUnits[rng() % std::size(patternUnits)];
        for (size_t n = rng() % 4; n > 0; --n) with += withUnits[rng() % std::size(withUnits)];
        const DWORD options = FR_DOWN | (rng() % 2 ? FR_MATCHCASE : 0) | (rng() % 2 ? FR_WHOLEWORD : 0);

        SetEditText(text);
        lstrcpyW(g_app.findWhat, what.c_str());
        lstrcpyW(g_app.replaceWith, with.c_str());
        g_app.findReplaceData.Flags = options | FR_REPLACEALL;
        const std::wstring original = EditText();
        const LRESULT couldUndo = SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0);
        const uint32_t count = DoReplaceAll();
        Pump();
        if (HasTouchingWholeWordMatches(bare, original, what.c_str(), options)) {
            ++touching;
        } else {
            LONG caret = -1;
            ASSERT_EQ(EditText(), ReplaceOneAtATime(bare, original, what.c_str(), with.c_str(), options, caret))
                << "case " << i;
            ASSERT_EQ(EditSelection().cpMin, caret) << "case " << i;
            ASSERT_EQ(EditSelection().cpMax, caret) << "case " << i;
            ++compared;
        }
        if (count == 0) {
            ASSERT_EQ(EditText(), original) << "case " << i;
            ASSERT_EQ(SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0), couldUndo) << "case " << i;
            ASSERT_FALSE(EditModified());
        } else {
            ASSERT_TRUE(EditModified());
            ASSERT_EQ(StatusText(), RecountedStatusText()) << "case " << i;
            SendMessageW(g_app.hwndMain, WM_COMMAND, ID_EDIT_UNDO, 0);
            Pump();
            ASSERT_EQ(EditText(), original) << "case " << i << ": one Undo";
        }
    }
    std::printf("replace all: %d cases compared with the loop, %d with touching whole-word matches\n", compared,
                touching);

    // Touching whole-word matches are all replaced: the loop left the second "." alone.
    SetEditText(L"..");
    lstrcpyW(g_app.findWhat, L".");
    lstrcpyW(g_app.replaceWith, L"a");
    g_app.findReplaceData.Flags = FR_DOWN | FR_WHOLEWORD | FR_REPLACEALL;
    EXPECT_EQ(DoReplaceAll(), 2u);
    EXPECT_EQ(EditText(), L"aa");
}

// Time under test runs 150 ms per look at the clock, so that a small document takes "long".
ULONGLONG WINAPI FastClock()
{
    static ULONGLONG now = 1000000;
    return now += 150;
}

thread_local std::vector<std::wstring>* t_barTexts = nullptr;

LRESULT CALLBACK WatchBar(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && t_barTexts && sent->hwnd == g_app.hwndStatus && sent->message == SB_SETTEXTW)
        t_barTexts->push_back(reinterpret_cast<const wchar_t*>(sent->lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What the bar was sent while `work` ran and the text it started went in.
std::vector<std::wstring> Watch(void (*work)())
{
    std::vector<std::wstring> texts;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchBar, nullptr, GetCurrentThreadId());
    t_barTexts = &texts;
    work();
    PumpUntilLoaded();
    t_barTexts = nullptr;
    UnhookWindowsHookEx(hook);
    return texts;
}

std::wstring t_path;

// The progress rises from the first piece to the last, and then the counts come back.
void ExpectProgress(const std::vector<std::wstring>& texts, const std::wstring& label)
{
    size_t shown = 0;
    int percent = -1;
    for (const std::wstring& text : texts) {
        if (text.rfind(label + L" ", 0) != 0) continue;
        const int now = _wtoi(text.c_str() + label.size() + 1);
        EXPECT_GE(now, percent);
        EXPECT_EQ(text, label + L" " + std::to_wstring(now) + L"%");
        percent = now;
        ++shown;
    }
    EXPECT_GE(shown, 3u) << "progress shown too seldom";
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), RecountedStatusText());
    EXPECT_EQ(StatusText(), RecountedStatusText());
}

TEST_F(LargeTextTest, LongWorkShowsProgressInTheBarUntilTheLastPiece)
{
    ImportPatch clock("kernel32.dll", "GetTickCount64", reinterpret_cast<void*>(&FastClock));
    ASSERT_TRUE(clock.ok());
    SetTextLoadPieces(1000, 500, 2000, 2000);
    TempFolder folder;
    t_path = folder.File(L"long.txt");
    std::wstring text;
    while (text.size() < 40000) text += L"a line of the document\r\n";
    WriteFileBytes(t_path, Utf16File(text));

    ExpectProgress(Watch([] { ASSERT_EQ(OpenDocumentFile(t_path.c_str()), 1); }), L"Opening...");
    ExpectProgress(Watch([] { ToggleWordWrap(); }), L"Wrapping...");

    // With the bar hidden nothing is shown.
    ToggleStatusBar();
    EXPECT_TRUE(Watch([] { ASSERT_EQ(OpenDocumentFile(t_path.c_str()), 1); }).empty());
}

// A control that keeps only the first 20 bytes it is streamed, as if it ran out of memory.
WNDPROC t_controlProc = nullptr;
EDITSTREAMCALLBACK t_realCallback = nullptr;
LONG t_budget = 0;

DWORD CALLBACK KeepTwentyBytes(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* got)
{
    const DWORD result = t_realCallback(cookie, buffer, cb, got);
    if (*got > t_budget) *got = t_budget;
    t_budget -= *got;
    return result;
}

LRESULT CALLBACK ShortOfMemory(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == EM_STREAMIN) {
        auto* stream = reinterpret_cast<EDITSTREAM*>(lParam);
        t_realCallback = stream->pfnCallback;
        t_budget = 20;
        stream->pfnCallback = KeepTwentyBytes;
    }
    return CallWindowProcW(t_controlProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK NewControlsShortOfMemory(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const auto control = reinterpret_cast<HWND>(wParam);
        wchar_t cls[32] = {};
        GetClassNameW(control, cls, 32);
        if (lstrcmpiW(cls, L"RichEdit20W") == 0)
            t_controlProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ShortOfMemory)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Word wrap and Open fill a new control before the old one goes; one that keeps only part of
// the text is dropped and the document stays as it was.
TEST_F(LargeTextTest, AControlThatCannotTakeTheWholeTextLosesNothing)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"sixteen.txt");
    WriteFileBytes(path, Utf16File(L"0123456789ABCDEF"));
    TypeText(L"twelve chars");
    const HWND before = g_app.hwndEdit;
    HHOOK hook = SetWindowsHookExW(WH_CBT, NewControlsShortOfMemory, nullptr, GetCurrentThreadId());
    for (int open = 0; open < 2; ++open) {
        DialogScript script;
        script.Press(IDOK);
        if (open)
            EXPECT_EQ(OpenDocumentFile(path.c_str()), 0);
        else
            ToggleWordWrap();
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].text, L"Cannot open file. Not enough memory.");
        EXPECT_EQ(g_app.hwndEdit, before);
        EXPECT_TRUE(IsWindowVisible(before));
        EXPECT_EQ(g_app.wordWrap, 1);
        EXPECT_EQ(EditText(), L"twelve chars");
        EXPECT_TRUE(EditModified());
        EXPECT_EQ(g_app.currentFilePath[0], L'\0');
        EXPECT_EQ(WindowText(g_app.hwndMain), L"*Untitled - Jotwell");
        EXPECT_EQ(StatusText(), RecountedStatusText());
    }
    UnhookWindowsHookEx(hook);
}

} // namespace
