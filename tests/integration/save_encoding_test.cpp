// Format > Encoding: what Save writes, the radio mark, and text that UTF-8 cannot hold.
#include "support/app_fixture.h"
#include "support/dialog_script.h"

#include "document/document.h"

#include <string>

namespace {

using SaveEncodingTest = JotwellTest;

void Command(UINT id)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, id, 0);
    Pump();
}

UINT MarkedEncoding()
{
    for (UINT id = ID_FORMAT_ENCODING_UTF16LE; id <= ID_FORMAT_ENCODING_UTF8BOM; ++id)
        if (GetMenuState(GetMenu(g_app.hwndMain), id, MF_BYCOMMAND) & MF_CHECKED) return id;
    return 0;
}

TEST_F(SaveEncodingTest, EachItemChoosesTheBytesSaveWritesUntilNewOrOpen)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"enc.txt");
    WriteFileBytes(path, "caf\xC3\xA9\r\nx");
    ASSERT_EQ(OpenDocumentFile(path.c_str()), 1);
    EXPECT_EQ(MarkedEncoding(), ID_FORMAT_ENCODING_UTF16LE);
    const std::pair<UINT, std::string> rows[] = {
        {ID_FORMAT_ENCODING_UTF8, "caf\xC3\xA9\r\nx"},
        {ID_FORMAT_ENCODING_UTF8BOM, "\xEF\xBB\xBF" "caf\xC3\xA9\r\nx"},
        {ID_FORMAT_ENCODING_UTF16LE, std::string("\xFF\xFE" "c\0a\0f\0\xE9\0\r\0\n\0x\0", 16)},
    };
    for (const auto& [id, bytes] : rows) {
        Command(id);
        EXPECT_EQ(MarkedEncoding(), id);
        // The file no longer holds what Save would write; and the choice is no edit to undo.
        EXPECT_EQ(WindowText(g_app.hwndMain), L"*enc.txt - Jotwell");
        EXPECT_FALSE(SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0));
        Command(ID_FILE_SAVE);
        EXPECT_EQ(ReadFileBytes(path), bytes);
        Command(id); // the marked item again: nothing happens
        EXPECT_FALSE(EditModified());
    }
    Command(ID_FORMAT_ENCODING_UTF8);
    ASSERT_EQ(OpenDocumentFile(path.c_str()), 1);
    EXPECT_EQ(MarkedEncoding(), ID_FORMAT_ENCODING_UTF16LE);
    Command(ID_FORMAT_ENCODING_UTF8BOM);
    DialogScript script;
    script.Press(IDNO);
    Command(ID_FILE_NEW);
    EXPECT_EQ(MarkedEncoding(), ID_FORMAT_ENCODING_UTF16LE);
}

// UTF-8 has no form for a lone surrogate: Save and Save As refuse, say why, and write nothing.
TEST_F(SaveEncodingTest, LoneSurrogateIsNeverWrittenAsUtf8)
{
    TempFolder folder;
    const std::wstring path = folder.File(L"old.txt"), other = folder.File(L"other.txt");
    WriteFileBytes(path, "old");
    ASSERT_EQ(OpenDocumentFile(path.c_str()), 1);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, 3);
    SendMessageW(g_app.hwndEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"a\xD800z"));
    Command(ID_FORMAT_ENCODING_UTF8);
    DialogScript script;
    script.Press(IDOK).ChooseFile(other).Press(IDOK);
    Command(ID_FILE_SAVE);
    Command(ID_FILE_SAVEAS);
    ASSERT_EQ(script.seen().size(), 3u);
    for (const SeenDialog& box : {script.seen()[0], script.seen()[2]}) {
        EXPECT_EQ(box.title, L"Jotwell");
        EXPECT_NE(box.text.find(L"UTF-8 cannot store"), std::wstring::npos);
        EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_WARNING));
    }
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(GetFileAttributesW(other.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(EditModified());
    Command(ID_FORMAT_ENCODING_UTF16LE); // which keeps it
    Command(ID_FILE_SAVE);
    EXPECT_EQ(ReadFileBytes(path), std::string("\xFF\xFE" "a\0\x00\xD8z\0", 8));
}

} // namespace
