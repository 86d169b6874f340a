#include "support/fake_file_dialogs.h"

static FakeFileDialogs* s_active = nullptr;

FakeFileDialogs::FakeFileDialogs()
    : open_("comdlg32.dll", "GetOpenFileNameW", reinterpret_cast<void*>(&FakeOpen)),
      save_("comdlg32.dll", "GetSaveFileNameW", reinterpret_cast<void*>(&FakeSave))
{
    s_active = this;
}

FakeFileDialogs::~FakeFileDialogs()
{
    if (s_active == this) s_active = nullptr;
}

BOOL FakeFileDialogs::Answer(OPENFILENAMEW* ofn)
{
    if (answer_.empty() || !ofn || !ofn->lpstrFile || answer_.size() + 1 > ofn->nMaxFile) return FALSE;
    lstrcpynW(ofn->lpstrFile, answer_.c_str(), static_cast<int>(ofn->nMaxFile));
    if (after_) after_(answer_);
    return TRUE;
}

BOOL WINAPI FakeFileDialogs::FakeOpen(OPENFILENAMEW* ofn)
{
    if (!s_active) return FALSE;
    ++s_active->openCalls_;
    return s_active->Answer(ofn);
}

BOOL WINAPI FakeFileDialogs::FakeSave(OPENFILENAMEW* ofn)
{
    if (!s_active) return FALSE;
    ++s_active->saveCalls_;
    return s_active->Answer(ofn);
}
