// Stands in for the Open and Save As common dialogs: each call answers at once with the
// path set here (or as cancelled when it is empty), so hundreds of Open and Save rounds
// run through the program's real procedures in seconds. Tests that are about the dialogs
// themselves use DialogScript with the real ones.
#pragma once

#include "support/import_patch.h"

#include <commdlg.h>

#include <functional>
#include <string>

class FakeFileDialogs {
public:
    FakeFileDialogs();
    ~FakeFileDialogs();
    FakeFileDialogs(const FakeFileDialogs&) = delete;
    FakeFileDialogs& operator=(const FakeFileDialogs&) = delete;

    bool ok() const { return open_.ok() && save_.ok(); }
    // The path the next dialogs answer with; empty = cancel.
    void Answer(const std::wstring& path) { answer_ = path; }
    // Runs after a dialog has chosen its path and before the program gets it back.
    void AfterChoice(std::function<void(const std::wstring&)> action) { after_ = std::move(action); }
    int openCalls() const { return openCalls_; }
    int saveCalls() const { return saveCalls_; }

private:
    static BOOL WINAPI FakeOpen(OPENFILENAMEW* ofn);
    static BOOL WINAPI FakeSave(OPENFILENAMEW* ofn);
    BOOL Answer(OPENFILENAMEW* ofn);

    ImportPatch open_;
    ImportPatch save_;
    std::wstring answer_;
    std::function<void(const std::wstring&)> after_;
    int openCalls_ = 0;
    int saveCalls_ = 0;
};
