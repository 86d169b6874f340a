// Runs the real main window inside the test process and drives it with real messages.
#pragma once

#include "base/app_state.h"

#include <richedit.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

// Handles every queued message through the program's own loop rules.
// Returns true if WM_QUIT was seen (its code is stored in *quitCode when given).
bool Pump(int* quitCode = nullptr);

// Pump, with the loop's idle work between, until no text is arriving.
void PumpUntilLoaded();

// Starts Jotwell in this process from a fresh AppState.
void StartJotwell();
// Destroys the main window without any prompt and unregisters the class.
void StopJotwell();

// Sets the keys in `down` as held (and all other modifiers as released) for GetKeyState.
void HoldKeys(std::initializer_list<int> down);
// Posts a key press to the focused window (the edit control when nothing has the focus)
// with the given modifiers held, and runs it through the message loop.
void PressKey(UINT vk, std::initializer_list<int> modifiers = {});
// A menu command, sent to the main window as the menu sends it.
void SendCommand(UINT id);
// The Find or Replace dialog's notification with these flags, as the dialog sends it.
void NotifyFindDialog(DWORD flags);
// Types text into the edit control as WM_CHAR messages through the message loop.
void TypeText(const std::wstring& text);

// Posts a drop of the files on target in an HDROP as the shell builds it; returns the HDROP.
HGLOBAL PostDrop(HWND target, const std::vector<std::wstring>& paths);
// The same, handled; true when the program let the HDROP go.
bool DropFiles(HWND target, const std::vector<std::wstring>& paths);

std::wstring EditText();
std::wstring WindowText(HWND hwnd);
std::wstring StatusText();
// The status text computed the straightforward way from the control, to compare with the bar.
std::wstring RecountedStatusText();
bool EditModified();
// Puts text into the control as Open does: afterwards the document is not modified.
void SetEditText(const std::wstring& text);

// The clipboard's Unicode text: put there (nothing: emptied), and read back ("" when none).
void SetClipboardText(const wchar_t* text);
std::wstring ClipboardText();

// Makes `edit` take no more text through EM_REPLACESEL, as a control out of memory would.
void RefuseMoreText(HWND edit);

// The edit control's current selection.
CHARRANGE EditSelection();

// A fixture that starts the main window before each test and closes it afterwards.
class JotwellTest : public ::testing::Test {
protected:
    void SetUp() override { StartJotwell(); }
    void TearDown() override { StopJotwell(); }
};

// A folder of the test's own under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
