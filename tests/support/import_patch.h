// Replaces a function that the test program imports from a system DLL, for the lifetime
// of the object. Lets many Open and Save rounds run through the program's real procedures
// without paying for a common dialog each time.
#pragma once

#include <windows.h>

class ImportPatch {
public:
    // dll as imported ("comdlg32.dll"), function by name; replacement must have the same type.
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    bool ok() const { return slot_ != nullptr; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};
