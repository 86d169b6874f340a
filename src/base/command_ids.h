// The identifiers of the menu commands, without a window: rules decide by them too.
#pragma once

// Menu commands, carried in the low word of WM_COMMAND's wParam. 2009 is not used.
inline constexpr unsigned ID_FILE_NEW = 1001;
inline constexpr unsigned ID_FILE_OPEN = 1002;
inline constexpr unsigned ID_FILE_SAVE = 1003;
inline constexpr unsigned ID_FILE_SAVEAS = 1004;
inline constexpr unsigned ID_FILE_PRINT = 1005;
inline constexpr unsigned ID_FILE_EXIT = 1006;
inline constexpr unsigned ID_EDIT_UNDO = 2001;
inline constexpr unsigned ID_EDIT_CUT = 2002;
inline constexpr unsigned ID_EDIT_COPY = 2003;
inline constexpr unsigned ID_EDIT_PASTE = 2004;
inline constexpr unsigned ID_EDIT_DELETE = 2005;
inline constexpr unsigned ID_EDIT_SELECTALL = 2006;
inline constexpr unsigned ID_EDIT_FIND = 2007;
inline constexpr unsigned ID_EDIT_FINDNEXT = 2008;
inline constexpr unsigned ID_EDIT_FINDPREV = 2010;
inline constexpr unsigned ID_EDIT_REPLACE = 2011;
inline constexpr unsigned ID_FORMAT_WORDWRAP = 3001;
inline constexpr unsigned ID_FORMAT_ENCODING_UTF16LE = 3002;
inline constexpr unsigned ID_FORMAT_ENCODING_UTF8 = 3003;
inline constexpr unsigned ID_FORMAT_ENCODING_UTF8BOM = 3004;
inline constexpr unsigned ID_VIEW_STATUSBAR = 4001;
inline constexpr unsigned ID_THEME_SYSTEM = 4002;
inline constexpr unsigned ID_THEME_LIGHT = 4003;
inline constexpr unsigned ID_THEME_DARK = 4004;
inline constexpr unsigned ID_HELP_ABOUT = 5001;
