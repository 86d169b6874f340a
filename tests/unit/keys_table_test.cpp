// The README's table of keys against the shortcut table and the menu bar's labels.
#include "app/menu.h"
#include "app/shortcuts.h"
#include "base/app_state.h"
#include "editor/control_keys.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Keys {
    uintptr_t key = 0;
    bool ctrl = false, alt = false, shift = false;
};

// "Ctrl+Shift+S" as the table and the menu write it; key 0 when a part is not understood.
Keys ParseKeys(const std::string& text)
{
    Keys k;
    std::istringstream parts(text);
    for (std::string part; std::getline(parts, part, '+');) {
        if (part == "Ctrl") k.ctrl = true;
        else if (part == "Alt") k.alt = true;
        else if (part == "Shift") k.shift = true;
        else if (part == "Del") k.key = VK_DELETE;
        else if (part.size() == 1 && part[0] >= 'A' && part[0] <= 'Z') k.key = static_cast<uintptr_t>(part[0]);
        else if (part.size() > 1 && part[0] == 'F' && isdigit(static_cast<unsigned char>(part[1])))
            k.key = static_cast<uintptr_t>(VK_F1 + atoi(part.c_str() + 1) - 1);
        else return {};
    }
    return k;
}

std::string KeyName(const Keys& k)
{
    std::string name = std::string(k.ctrl ? "Ctrl+" : "") + (k.alt ? "Alt+" : "") + (k.shift ? "Shift+" : "");
    if (k.key >= VK_F1 && k.key <= VK_F24) return name + "F" + std::to_string(k.key - VK_F1 + 1);
    if (k.key == VK_DELETE) return name + "Del";
    return name + static_cast<char>(k.key);
}

struct Row {
    std::vector<std::string> keys; // the first is the one the menu shows
    std::string item;              // "File > Save As..."
};

std::string Trim(const std::string& s)
{
    const size_t first = s.find_first_not_of(' '), last = s.find_last_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

std::vector<Row> ReadKeysTable()
{
    std::vector<Row> rows;
    HANDLE file = CreateFileA(JOTWELL_README_PATH, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return rows;
    std::string text(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);

    std::istringstream lines(text);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("| Keys | Menu item |", 0) == 0) inTable = true;
        else if (inTable && line.rfind("|", 0) != 0) break;
        else if (inTable && line.rfind("|---", 0) != 0) {
            const size_t bar = line.find('|', 1);
            Row row;
            row.item = Trim(line.substr(bar + 1, line.find('|', bar + 1) - bar - 1));
            std::string keys = Trim(line.substr(1, bar - 1));
            for (size_t sep = keys.find(" or "); sep != std::string::npos; sep = keys.find(" or ")) {
                row.keys.push_back(keys.substr(0, sep));
                keys.erase(0, sep + 4);
            }
            row.keys.push_back(keys);
            rows.push_back(row);
        }
    }
    return rows;
}

struct MenuItem {
    UINT id = 0;
    std::string hint;
};

// Every command item by its path, e.g. "Edit > Find Next", with the key after its tab.
void CollectItems(HMENU menu, const std::string& path, std::map<std::string, MenuItem>& out)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char label[128] = {};
        if (GetMenuStringA(menu, static_cast<UINT>(i), label, static_cast<int>(sizeof label), MF_BYPOSITION) == 0) continue;
        std::string name, hint;
        const char* p = label;
        for (; *p && *p != '\t'; ++p)
            if (*p != '&') name += *p;
        if (*p == '\t') hint = p + 1;
        const std::string itemPath = path.empty() ? name : path + " > " + name;
        if (HMENU sub = GetSubMenu(menu, i)) CollectItems(sub, itemPath, out);
        else out[itemPath] = {GetMenuItemID(menu, i), hint};
    }
}

// The text control's own keys: the loop lets them through.
bool HandledByControl(UINT id)
{
    return id == ID_EDIT_UNDO || id == ID_EDIT_CUT || id == ID_EDIT_COPY || id == ID_EDIT_PASTE ||
           id == ID_EDIT_DELETE;
}

} // namespace

TEST(KeysTable, ReadmeAgreesWithTheShortcutsAndTheMenuBar)
{
    const std::vector<Row> rows = ReadKeysTable();
    ASSERT_FALSE(rows.empty()) << "no \"| Keys | Menu item |\" table in " << JOTWELL_README_PATH;
    BuildMenuBar();
    std::map<std::string, MenuItem> items;
    CollectItems(g_app.hMenuBar, "", items);

    std::set<std::string> listedKeys, listedItems;
    for (const Row& row : rows) {
        const auto item = items.find(row.item);
        ASSERT_NE(item, items.end()) << "no menu item " << row.item;
        listedItems.insert(row.item);
        if (row.keys.front() == "\xE2\x80\x94") {   // an em dash: an item without keys
            EXPECT_EQ(item->second.hint, "") << row.item;
            continue;
        }
        EXPECT_EQ(item->second.hint, row.keys.front()) << row.item;
        for (const std::string& text : row.keys) {
            const Keys k = ParseKeys(text);
            ASSERT_NE(k.key, 0u) << "cannot read the keys " << text;
            listedKeys.insert(KeyName(k));
            const Shortcut s = MatchShortcut(k.key, k.ctrl, k.alt, k.shift);
            if (s == Shortcut::None) {
                EXPECT_TRUE(HandledByControl(item->second.id)) << text << " does nothing";
            } else {
                EXPECT_EQ(ShortcutCommand(s), item->second.id) << text << " runs another command than " << row.item;
            }
        }
    }

    for (const auto& [path, item] : items) {
        if (!item.hint.empty()) {
            EXPECT_TRUE(listedItems.count(path)) << path << " is missing from the table";
        }
    }
    for (uintptr_t key = 1; key < 256; ++key) {
        for (int m = 0; m < 8; ++m) {
            const auto match = [key](int mods) {
                return MatchShortcut(key, (mods & 1) != 0, (mods & 2) != 0, (mods & 4) != 0);
            };
            const Shortcut s = match(m);
            if (s == Shortcut::None) continue;
            // A modifier the shortcut ignores makes no key of its own: Ctrl+Shift+N is Ctrl+N.
            bool ignores = false;
            for (int bit : {1, 2, 4}) ignores = ignores || ((m & bit) != 0 && match(m & ~bit) == s);
            if (ignores) continue;
            const std::string name = KeyName({key, (m & 1) != 0, (m & 2) != 0, (m & 4) != 0});
            EXPECT_TRUE(listedKeys.count(name)) << name << " is missing from the table";
        }
    }
    DestroyMenu(g_app.hMenuBar);
}

TEST(ControlKeys, EveryKeyWithEveryModifierAgainstTheEditingAndMovingChords)
{
    constexpr int C = 1, A = 2, S = 4;
    std::set<std::pair<uintptr_t, int>> ctrlActs = {{'C', C}, {'X', C}, {'Z', C}, {'Y', C}, {'A', C}, {VK_INSERT, C}};
    for (int key : {VK_BACK, VK_DELETE, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN})
        ctrlActs.insert({{key, C}, {key, C | S}});
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU})
        ctrlActs.insert({{key, C}, {key, C | S}, {key, C | A}, {key, C | A | S}});
    for (uintptr_t key = 1; key < 256; ++key) {
        for (int m = 0; m < 8; ++m) {
            // Without Ctrl all pass but the paste key and Shift+Enter; Ctrl+V pastes, not with Alt (AltGr).
            ControlKey expected = ctrlActs.count({key, m}) || !(m & C) ? ControlKey::Pass : ControlKey::Drop;
            if ((key == 'V' && (m & (C | A)) == C) || (key == VK_INSERT && (m & ~A) == S)) expected = ControlKey::Paste;
            if (key == VK_RETURN && (m & ~A) == S) expected = ControlKey::Enter;
            EXPECT_EQ(ControlKeyFor(key, (m & C) != 0, (m & A) != 0, (m & S) != 0), expected) << key << " with " << m;
        }
    }
}
