// Starting jotwell.exe from a test and finding its window from outside.
#pragma once

#include <windows.h>

#include <string>

// The full path of a file next to the test program (the build's bin folder).
std::wstring BesideTestProgram(const std::wstring& name);

class JotwellProcess {
public:
    JotwellProcess();
    ~JotwellProcess();
    JotwellProcess(const JotwellProcess&) = delete;
    JotwellProcess& operator=(const JotwellProcess&) = delete;

    bool started() const { return info_.hProcess != nullptr; }
    // The process's main window, waiting up to timeoutMs for it to appear.
    HWND WaitForMainWindow(DWORD timeoutMs = 20000);
    // Waits for the process to end; returns its exit code, or -1 on timeout.
    long WaitForExit(DWORD timeoutMs = 20000);
    DWORD id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
};
