// Random editing against the real window. After every action the status text, the caption
// and (after saves and reopens) the file on disk must agree with the control's text.
// JOTWELL_SOAK_SEED replays a run ("random" takes a new seed and prints it); JOTWELL_SOAK_ACTIONS
// sets its length (tools/soak.sh runs 10,000).
#include "support/app_fixture.h"
#include "support/dialog_script.h"
#include "support/fake_file_dialogs.h"
#include "support/text_reference.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <string>

namespace {

constexpr uint64_t kFixedSeed = 20261208;
constexpr int kCiActions = 1500;

int ActionsFromEnvironment()
{
    char value[32] = {};
    const DWORD got = GetEnvironmentVariableA("JOTWELL_SOAK_ACTIONS", value, static_cast<DWORD>(std::size(value)));
    if (got == 0 || got >= std::size(value)) return kCiActions;
    const int count = std::atoi(value);
    return count > 0 ? count : kCiActions;
}

bool IsSeparator(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

struct Status {
    std::wstring text;
    // Ln, Col and the line count hang on where the control wraps: Wine's RichEdit lays lines
    // out lazily, so at EN_CHANGE they may still follow the old wrapping. Then only the
    // counts taken from the text are compared.
    bool layoutDependent;
};

// The part of a status text between Ln/Col and the line count: the words and characters.
std::wstring Counts(const std::wstring& status)
{
    const size_t first = status.find(L"  |  ");
    const size_t last = status.rfind(L"  |  ");
    if (first == std::wstring::npos || last == first) return status;
    return status.substr(first, last - first);
}

bool SameStatus(const std::wstring& shown, const Status& expected)
{
    return expected.layoutDependent ? Counts(shown) == Counts(expected.text) : shown == expected.text;
}

// The status text computed from the control's text, straight from the counting rules.
// Line numbers come from the text while no line can wrap; with wrapping lines they are
// the control's own, as the rules say.
Status ExpectedStatus()
{
    const std::wstring text = EditText();   // line breaks as CR LF
    uint32_t words = 0, chars = 0;
    bool inWord = false;
    for (wchar_t ch : text) {
        if (ch != L'\r') ++chars;
        if (IsSeparator(ch)) {
            inWord = false;
        } else if (!inWord) {
            ++words;
            inWord = true;
        }
    }

    // Control positions count a line break as one.
    std::wstring positions;
    size_t longest = 0, current = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        positions += text[i];
        if (text[i] == L'\r' || text[i] == L'\n') {
            current = 0;
        } else if ((current += text[i] == L'\t' ? 8 : 1) > longest) {
            longest = current;   // in character widths, a tab taken as eight
        }
    }
    // A caret the control reports past the end of the text stands at its end.
    const LONG start = std::min(EditSelection().cpMin, static_cast<LONG>(positions.size()));
    uint32_t line = 0, column = 0, lines = 0;
    if (!g_app.wordWrap || longest <= 40) {
        uint32_t lineStart = 0;
        lines = 1;
        for (size_t i = 0; i < positions.size(); ++i) {
            if (positions[i] == L'\r' || positions[i] == L'\n') {
                ++lines;
                if (static_cast<LONG>(i) < start) {
                    ++line;
                    lineStart = static_cast<uint32_t>(i + 1);
                }
            }
        }
        column = static_cast<uint32_t>(start) - lineStart;
    } else {
        lines = static_cast<uint32_t>(SendMessageW(g_app.hwndEdit, EM_GETLINECOUNT, 0, 0));
        line = static_cast<uint32_t>(SendMessageW(g_app.hwndEdit, EM_LINEFROMCHAR, static_cast<WPARAM>(start), 0));
        column = static_cast<uint32_t>(start - SendMessageW(g_app.hwndEdit, EM_LINEINDEX, line, 0));
    }
    return {L"Ln " + std::to_wstring(line + 1) + L", Col " + std::to_wstring(column + 1) + L"  |  " +
                std::to_wstring(words) + L" words  |  " + std::to_wstring(chars) + L" chars  |  " +
                std::to_wstring(lines) + L" lines",
            g_app.wordWrap != 0 && longest > 40};
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t ch : text) out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
}

std::wstring ExpectedCaption()
{
    std::wstring name = L"Untitled";
    if (g_app.currentFilePath[0]) {
        name = g_app.currentFilePath;
        const size_t slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) name = name.substr(slash + 1);
    }
    return (EditModified() ? L"*" : L"") + name + L" - Jotwell";
}

std::string SavedForm(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t ch : text) {
        bytes += static_cast<char>(ch & 0xFF);
        bytes += static_cast<char>(ch >> 8);
    }
    return bytes;
}

// Keys go to the edit control itself: the modeless Replace dialog may hold the focus.
void KeyToEdit(UINT vk)
{
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(g_app.hwndEdit, WM_KEYDOWN, vk, 1 | (static_cast<LPARAM>(scan) << 16));
    Pump();
    PostMessageW(g_app.hwndEdit, WM_KEYUP, vk, 1 | (static_cast<LPARAM>(scan) << 16) | (1u << 30) | (1u << 31));
    Pump();
}

void Command(UINT id)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
}

void SelectRandom(std::mt19937_64& rng)
{
    const LONG length = static_cast<LONG>(SendMessageW(g_app.hwndEdit, WM_GETTEXTLENGTH, 0, 0));
    CHARRANGE range;
    range.cpMin = static_cast<LONG>(rng() % static_cast<uint64_t>(length + 1));
    range.cpMax = range.cpMin + static_cast<LONG>(rng() % 12);
    if (rng() % 2) std::swap(range.cpMin, range.cpMax);   // caret at either end
    SendMessageW(g_app.hwndEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    Pump();
}

std::wstring RandomPiece(std::mt19937_64& rng)
{
    static const wchar_t kChars[] = L"abcdefg xyz\t.,;-\r\x00e9\x4e2d";
    std::wstring piece;
    for (int k = 1 + static_cast<int>(rng() % 8); k > 0; --k) piece += kChars[rng() % (std::size(kChars) - 1)];
    return piece;
}

HWND OpenReplaceDialog()
{
    if (!g_app.hwndFindDialog || !IsWindow(g_app.hwndFindDialog)) Command(ID_EDIT_REPLACE);
    return g_app.hwndFindDialog;
}

enum Action {
    kType, kBackspace, kDeleteKey, kUndo, kCut, kPaste, kMove, kFind, kReplace, kReplaceAll,
    kWordWrap, kStatusBar, kTheme, kSave, kReopen, kDeleteCommand, kActionCount
};
const char* const kActionNames[] = {"type", "backspace", "delete key", "undo", "cut", "paste", "move",
                                    "find", "replace", "replace all", "word wrap", "status bar", "theme",
                                    "save", "reopen", "delete"};
// Typing and deleting dominate, as in real use; the heavy actions are rarer.
const int kWeights[] = {14, 5, 3, 4, 3, 3, 5, 3, 3, 2, 2, 2, 2, 3, 2, 2};

Action PickAction(std::mt19937_64& rng, size_t textLength)
{
    int total = 0;
    for (int w : kWeights) total += w;
    int roll = static_cast<int>(rng() % static_cast<uint64_t>(total));
    int chosen = 0;
    while (roll >= kWeights[chosen]) roll -= kWeights[chosen++];
    // Keep the document small enough for fast recounts: past 1500 characters, whatever
    // could grow it (typing, pasting, Replace All with a longer text) becomes a cut.
    if (textLength > 1500 && (chosen == kType || chosen == kPaste || chosen == kReplaceAll)) return kCut;
    return static_cast<Action>(chosen);
}

} // namespace

class SoakTest : public JotwellTest {};

TEST_F(SoakTest, RandomActionsKeepStatusCaptionAndFileInStep)
{
    char named[16] = {};
    GetEnvironmentVariableA("JOTWELL_SOAK_SEED", named, static_cast<DWORD>(std::size(named)));
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    const uint64_t seed = lstrcmpA(named, "random") == 0 ? static_cast<uint64_t>(now.QuadPart) % 1000000007u
                                                         : SeedFromEnvironment("JOTWELL_SOAK_SEED", kFixedSeed);
    const int actions = ActionsFromEnvironment();
    std::printf("soak seed %llu, %d actions\n", static_cast<unsigned long long>(seed), actions);
    std::fflush(stdout);
    std::mt19937_64 rng(seed);

    TempFolder folder;
    const std::wstring path = folder.File(L"soak.txt");
    FakeFileDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());
    dialogs.Answer(path);
    DialogScript prompts;   // the unsaved-changes prompt before a reopen

    const auto started = std::chrono::steady_clock::now();
    size_t longestText = 0;
    std::deque<std::string> recent;
    std::wstring status = StatusText();
    int saves = 0, reopens = 0;
    for (int i = 0; i < actions; ++i) {
        const size_t length = EditText().size();
        if (length > longestText) longestText = length;
        const Action action = PickAction(rng, length);
        recent.push_back(kActionNames[action]);
        if (recent.size() > 12) recent.pop_front();
        auto context = [&]() {
            std::string text = "action " + std::to_string(i) + " (" + kActionNames[action] + "), seed " +
                               std::to_string(seed) + ", recent:";
            for (const auto& name : recent) text += " " + name;
            return text;
        };
        // Whether the action is one that must refresh the status bar.
        bool refreshes = false;
        const std::wstring textBefore = EditText();
        switch (action) {
        case kType:
            // Wine's control breaks the line on the Enter key and ignores a WM_CHAR of CR alone.
            for (wchar_t ch : RandomPiece(rng)) ch == L'\r' ? KeyToEdit(VK_RETURN) : TypeText(std::wstring(1, ch));
            refreshes = true;
            break;
        case kBackspace: KeyToEdit(VK_BACK); break;
        case kDeleteKey: KeyToEdit(VK_DELETE); break;
        case kUndo: Command(ID_EDIT_UNDO); refreshes = true; break;
        case kCut: SelectRandom(rng); Command(ID_EDIT_CUT); refreshes = true; break;
        case kPaste: Command(ID_EDIT_PASTE); refreshes = true; break;
        case kMove: SelectRandom(rng); break;
        case kFind:
        case kReplace:
        case kReplaceAll: {
            const HWND dialog = OpenReplaceDialog();
            ASSERT_TRUE(dialog) << context();
            const std::wstring text = EditText();
            std::wstring what = RandomPiece(rng).substr(0, 2);
            if (!text.empty() && rng() % 3) {
                const size_t at = rng() % text.size();
                what = text.substr(at, 1 + rng() % 3);
            }
            if (what.find_first_of(L"\r\n") != std::wstring::npos || what.empty()) what = L"a";
            SetDlgItemTextW(dialog, 0x480, what.c_str());
            SetDlgItemTextW(dialog, 0x481, RandomPiece(rng).substr(0, 3).c_str());
            const int button = action == kFind ? IDOK : action == kReplace ? 0x400 : 0x401;
            ClickDialogButton(dialog, button);
            Pump();
            break;
        }
        case kWordWrap: Command(ID_FORMAT_WORDWRAP); break;
        case kStatusBar: Command(ID_VIEW_STATUSBAR); refreshes = g_app.statusBarVisible != 0; break;
        case kTheme: Command(ID_THEME_SYSTEM + static_cast<UINT>(rng() % 3)); refreshes = true; break;
        case kSave:
            Command(ID_FILE_SAVE);
            ++saves;
            break;
        case kReopen:
            // Nothing to reopen before the first save.
            if (!EditModified() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) break;
            if (EditModified()) prompts.Press(IDYES);
            Command(ID_FILE_OPEN);
            ++reopens;
            break;
        case kDeleteCommand: SelectRandom(rng); Command(ID_EDIT_DELETE); refreshes = true; break;
        default: break;
        }
        ASSERT_EQ(prompts.pending(), 0u) << context();

        // Wine's RichEdit changes the text for Cut, Clear and Undo without setting its modify
        // flag; the program must mark such a change itself, or Save skips it.
        if (action != kReopen && EditText() != textBefore) {
            ASSERT_TRUE(EditModified()) << context() << " (the text changed, the document is not marked)";
        }

        // Keys and replacements refresh the bar through EN_CHANGE only when the text changed,
        // so for them (and the actions that never refresh) the old text also stands.
        const std::wstring now = StatusText();
        if (g_app.statusBarVisible) {
            const Status expected = ExpectedStatus();
            if (refreshes) {
                ASSERT_TRUE(SameStatus(now, expected)) << context() << "\n  shown:    " << Narrow(now)
                                                       << "\n  expected: " << Narrow(expected.text);
            } else if (!SameStatus(now, expected)) {
                ASSERT_EQ(now, status) << context() << " (the status bar changed, but not to the current counts)";
            }
        } else {
            ASSERT_EQ(now, status) << context() << " (a hidden status bar changed)";
        }
        status = now;

        ASSERT_EQ(WindowText(g_app.hwndMain), ExpectedCaption()) << context();
        if ((action == kSave || action == kReopen) && g_app.currentFilePath[0] && !EditModified()) {
            ASSERT_EQ(ReadFileBytes(g_app.currentFilePath), SavedForm(EditText())) << context();
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("soak: %d actions (%d saves, %d reopens, longest text %zu) in %.1f s\n", actions, saves, reopens,
                longestText, seconds);
}
