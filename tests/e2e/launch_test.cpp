// jotwell.exe itself: its resources, its window seen from another process, its exit.
#include "support/process.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

TEST(Launch, WindowAppearsWithChildrenAndClosesWithExitCodeZero)
{
    JotwellProcess jotwell;
    ASSERT_TRUE(jotwell.started());
    HWND main = jotwell.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    wchar_t caption[128] = {};
    GetWindowTextW(main, caption, 128);
    EXPECT_STREQ(caption, L"Untitled - Jotwell");

    HWND edit = FindWindowExW(main, nullptr, L"RichEdit20W", nullptr);
    ASSERT_NE(edit, nullptr);
    // The control drops WS_VSCROLL from its style while the text fits.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(edit, GWL_STYLE)) & ~DWORD{WS_VSCROLL}, 0x50000144u);
    EXPECT_EQ(GetDlgCtrlID(edit), 100);
    HWND status = FindWindowExW(main, nullptr, L"msctls_statusbar32", nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(status, GWL_STYLE)), 0x50000100u);
    EXPECT_EQ(GetDlgCtrlID(status), 101);

    RECT r = {};
    GetWindowRect(main, &r);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 600);

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(jotwell.WaitForExit(), 0);
}

// The resource read back from the built program, in US English.
std::string ReadResource(HMODULE module, LPCWSTR type, WORD id)
{
    HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const char* data = static_cast<const char*>(LockResource(loaded));
    return std::string(data, SizeofResource(module, found));
}

TEST(Launch, ManifestDeclaresCommonControlsDpiAndWindows10)
{
    HMODULE exe = LoadLibraryExW(BesideTestProgram(L"jotwell.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    const std::string manifest = ReadResource(exe, RT_MANIFEST, 1);
    FreeLibrary(exe);
    ASSERT_FALSE(manifest.empty());
    for (const char* needle : {
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
             "manifestVersion=\"1.0\"",
             "version=\"1.0.0.0\" processorArchitecture=\"amd64\"",
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
             "publicKeyToken=\"6595b64144ccf1df\"",
             "level=\"asInvoker\" uiAccess=\"false\"",
             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
             "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2</dpiAwareness>",
             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
         })
        EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
}

std::wstring VersionString(const std::vector<char>& block, const wchar_t* key)
{
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
    void* value = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &len)) return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

TEST(Launch, VersionRecordIsOnePointZero)
{
    const std::wstring exe = BesideTestProgram(L"jotwell.exe");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, 0x00040004u);
    EXPECT_EQ(fixed->dwFileType, 1u);
    EXPECT_EQ(fixed->dwFileSubtype, 0u);

    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.0.0.0");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.0.0.0");
    for (const wchar_t* key : {L"CompanyName", L"FileDescription", L"InternalName", L"LegalCopyright",
                               L"OriginalFilename", L"ProductName"})
        EXPECT_NE(VersionString(block, key), L"<missing>") << key;

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
    ASSERT_EQ(len, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);
}

} // namespace
