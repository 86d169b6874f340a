#include "app/menu.h"

#include "appearance/theme.h"
#include "base/app_state.h"
#include "base/messages.h"
#include "document/document_name.h"
#include "editor/big_edit.h"
#include "editor/text_load.h"

#include <richedit.h>

const wchar_t kAboutText[] = L"Jotwell\r\n"
                             L"\r\n"
                             L"Jotwell contributors\r\n"
                             L"jotwell@example.org\r\n"
                             L"https://example.org/jotwell\r\n"
                             L"+1 555 0100";

static void AddItem(HMENU popup, UINT id, const wchar_t* label)
{
    AppendMenuW(popup, MF_STRING, id, label);
}

static void AddSeparator(HMENU popup)
{
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
}

static void AddPopup(HMENU parent, HMENU popup, const wchar_t* label)
{
    AppendMenuW(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), label);
}

static void CheckEncodingMenuItem()
{
    CheckMenuRadioItem(g_app.hMenuBar, ID_FORMAT_ENCODING_UTF16LE, ID_FORMAT_ENCODING_UTF8BOM,
                       ID_FORMAT_ENCODING_UTF16LE + static_cast<UINT>(ShownSaveEncoding()), MF_BYCOMMAND);
}

void BuildMenuBar()
{
    g_app.hMenuBar = CreateMenu();

    HMENU file = CreatePopupMenu();
    AddItem(file, ID_FILE_NEW, L"&New\tCtrl+N");
    AddItem(file, ID_FILE_OPEN, L"&Open...\tCtrl+O");
    AddItem(file, ID_FILE_SAVE, L"&Save\tCtrl+S");
    AddItem(file, ID_FILE_SAVEAS, L"Save &As...\tCtrl+Shift+S");
    AddSeparator(file);
    AddItem(file, ID_FILE_PRINT, L"&Print...\tCtrl+P");
    AddSeparator(file);
    AddItem(file, ID_FILE_EXIT, L"E&xit");
    AddPopup(g_app.hMenuBar, file, L"&File");

    HMENU edit = CreatePopupMenu();
    AddItem(edit, ID_EDIT_UNDO, L"&Undo\tCtrl+Z");
    AddSeparator(edit);
    AddItem(edit, ID_EDIT_CUT, L"Cu&t\tCtrl+X");
    AddItem(edit, ID_EDIT_COPY, L"&Copy\tCtrl+C");
    AddItem(edit, ID_EDIT_PASTE, L"&Paste\tCtrl+V");
    AddItem(edit, ID_EDIT_DELETE, L"De&lete\tDel");
    AddSeparator(edit);
    AddItem(edit, ID_EDIT_FIND, L"&Find...\tCtrl+F");
    AddItem(edit, ID_EDIT_FINDNEXT, L"Find &Next\tF3");
    AddItem(edit, ID_EDIT_FINDPREV, L"Find Pre&vious\tShift+F3");
    AddItem(edit, ID_EDIT_REPLACE, L"&Replace...\tCtrl+H");
    AddSeparator(edit);
    AddItem(edit, ID_EDIT_SELECTALL, L"Select &All\tCtrl+A");
    AddPopup(g_app.hMenuBar, edit, L"&Edit");

    HMENU format = CreatePopupMenu();
    AddItem(format, ID_FORMAT_WORDWRAP, L"&Word Wrap");
    HMENU encoding = CreatePopupMenu();
    AddItem(encoding, ID_FORMAT_ENCODING_UTF16LE, L"UTF-16 &LE");
    AddItem(encoding, ID_FORMAT_ENCODING_UTF8, L"UTF-&8");
    AddItem(encoding, ID_FORMAT_ENCODING_UTF8BOM, L"UTF-8 with &BOM");
    AddPopup(format, encoding, L"&Encoding");
    AddPopup(g_app.hMenuBar, format, L"F&ormat");

    HMENU view = CreatePopupMenu();
    AddItem(view, ID_VIEW_STATUSBAR, L"Status &Bar");
    HMENU theme = CreatePopupMenu();
    AddItem(theme, ID_THEME_SYSTEM, L"Use &System Setting");
    AddItem(theme, ID_THEME_LIGHT, L"&Light");
    AddItem(theme, ID_THEME_DARK, L"&Dark");
    AddPopup(view, theme, L"&Theme");
    AddPopup(g_app.hMenuBar, view, L"&View");

    HMENU help = CreatePopupMenu();
    AddItem(help, ID_HELP_ABOUT, L"&About");
    AddPopup(g_app.hMenuBar, help, L"&Help");

    CheckMenuItem(g_app.hMenuBar, ID_VIEW_STATUSBAR, MF_BYCOMMAND | MF_CHECKED);
    CheckMenuItem(g_app.hMenuBar, ID_FORMAT_WORDWRAP, MF_BYCOMMAND | MF_CHECKED);
    CheckEncodingMenuItem();
}

static void EnableItem(UINT id, bool enabled)
{
    EnableMenuItem(g_app.hMenuBar, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void UpdateMenuState()
{
    g_app.hMenuBar = GetMenu(g_app.hwndMain);
    // The items show what they would for the whole document, also while its text arrives (a
    // command that needs all of it waits for the rest).
    const bool canUndo = CanUndoEdit();
    CHARRANGE sel = {};
    SendMessageW(g_app.hwndEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const bool hasSelection = sel.cpMin != sel.cpMax;

    EnableItem(ID_EDIT_UNDO, canUndo);
    EnableItem(ID_EDIT_CUT, hasSelection);
    EnableItem(ID_EDIT_COPY, hasSelection);
    EnableItem(ID_EDIT_DELETE, hasSelection);
    EnableItem(ID_EDIT_PASTE, IsClipboardFormatAvailable(CF_UNICODETEXT) != 0);
    CheckMenuItem(g_app.hMenuBar, ID_FORMAT_WORDWRAP,
                  MF_BYCOMMAND | (DocumentWordWrap() ? MF_CHECKED : MF_UNCHECKED));
    CheckThemeMenuItem();
    CheckEncodingMenuItem();
}

void DoSelectAll()
{
    SetFocus(g_app.hwndEdit);
    SendMessageW(g_app.hwndEdit, EM_SETSEL, 0, -1);
}

void ShowAboutBox()
{
    ShowMessageBox(kAboutText, L"About Jotwell", MB_OK | MB_ICONINFORMATION);
}
