// The #include lines of src/ against the README's layout table: each folder includes only what
// its row allows, the rules files include no window file, and no include goes round a circle.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kSource = JOTWELL_SOURCE_DIR "/src/";

// The files that decide rules without a window; tests call them directly.
const char* const kRulesFiles[] = {"app/shortcuts",       "app/window_position", "document/caption",
                                   "document/print_layout", "document/save_path",  "document/text_codec",
                                   "editor/control_text",  "editor/replace_text", "editor/status_text"};

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.find('/') + 1);
}

std::string ModuleOf(const std::string& path)
{
    return path.substr(0, path.rfind('.'));
}

// "folder/" -> what it may include besides itself: "folder/" or "folder/file.h"; "*" for all.
std::map<std::string, std::set<std::string>> ReadLayoutTable()
{
    std::map<std::string, std::set<std::string>> allowed;
    std::ifstream readme(JOTWELL_README_PATH);
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("| `src/", 0) != 0) continue;
        std::vector<std::string> cells;
        std::istringstream split(line.substr(1));
        for (std::string cell; std::getline(split, cell, '|');) cells.push_back(cell);
        if (cells.size() < 3) continue;
        const std::string folder = cells[0].substr(cells[0].find("src/") + 4, cells[0].rfind('`') - cells[0].find("src/") - 4);
        std::set<std::string>& may = allowed[folder];
        if (cells[2].find("everything") != std::string::npos) may.insert("*");
        for (size_t open = cells[2].find('`'); open != std::string::npos; open = cells[2].find('`', open + 1)) {
            const size_t close = cells[2].find('`', open + 1);
            const std::string name = cells[2].substr(open + 1, close - open - 1);
            if (name.back() == '/' || (name.size() > 2 && name.substr(name.size() - 2) == ".h")) may.insert(name);
            open = close;
        }
    }
    return allowed;
}

// Every source file under src/ ("editor/status_bar.cpp") with the project headers it includes.
std::map<std::string, std::vector<std::string>> ReadIncludes()
{
    std::map<std::string, std::vector<std::string>> includes;
    WIN32_FIND_DATAA folder;
    HANDLE folders = FindFirstFileA((kSource + "*").c_str(), &folder);
    for (bool more = folders != INVALID_HANDLE_VALUE; more; more = FindNextFileA(folders, &folder) != FALSE) {
        if (!(folder.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || folder.cFileName[0] == '.') continue;
        const std::string dir = std::string(folder.cFileName) + "/";
        WIN32_FIND_DATAA file;
        HANDLE files = FindFirstFileA((kSource + dir + "*").c_str(), &file);
        for (bool next = files != INVALID_HANDLE_VALUE; next; next = FindNextFileA(files, &file) != FALSE) {
            const std::string name = file.cFileName;
            if (name.size() < 3 || (name.substr(name.size() - 2) != ".h" && name.substr(name.size() - 4) != ".cpp"))
                continue;
            std::vector<std::string>& list = includes[dir + name];
            std::ifstream source(kSource + dir + name);
            for (std::string line; std::getline(source, line);)
                if (line.rfind("#include \"", 0) == 0) list.push_back(line.substr(10, line.find('"', 10) - 10));
        }
        if (files != INVALID_HANDLE_VALUE) FindClose(files);
    }
    if (folders != INVALID_HANDLE_VALUE) FindClose(folders);
    return includes;
}

} // namespace

TEST(Layers, IncludesFollowTheReadmesLayoutTableAndGoRoundNoCircle)
{
    const auto allowed = ReadLayoutTable();
    ASSERT_FALSE(allowed.empty()) << "no layout table with a \"May include\" column in " << JOTWELL_README_PATH;
    const auto includes = ReadIncludes();
    ASSERT_GT(includes.size(), 20u) << "no sources under " << kSource;

    const std::set<std::string> rules(std::begin(kRulesFiles), std::end(kRulesFiles));
    std::map<std::string, std::set<std::string>> uses; // module -> modules it includes
    for (const auto& [file, list] : includes) {
        const std::string folder = FolderOf(file);
        const auto row = allowed.find(folder);
        ASSERT_NE(row, allowed.end()) << "the layout table has no row for src/" << folder;
        for (const std::string& header : list) {
            const bool fine = FolderOf(header) == folder || row->second.count("*") ||
                              row->second.count(FolderOf(header)) || row->second.count(header);
            EXPECT_TRUE(fine) << file << " includes " << header << ", which src/" << folder << " may not";
            if (rules.count(ModuleOf(file)) && ModuleOf(header) != ModuleOf(file)) {
                EXPECT_TRUE(rules.count(ModuleOf(header))) << "the rules file " << file << " includes " << header;
            }
            if (ModuleOf(header) != ModuleOf(file)) uses[ModuleOf(file)].insert(ModuleOf(header));
        }
    }
    for (const std::string& module : rules) EXPECT_TRUE(includes.count(module + ".h")) << module << " is gone";

    // Depth-first over the modules; meeting one that is still open closes a circle.
    std::map<std::string, int> state; // 1 open, 2 done
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& module) {
        state[module] = 1;
        path.push_back(module);
        for (const std::string& next : uses[module]) {
            if (state[next] == 1) {
                std::string circle;
                for (auto at = std::find(path.begin(), path.end(), next); at != path.end(); ++at) circle += *at + " -> ";
                ADD_FAILURE() << "include circle: " << circle << next;
            } else if (state[next] == 0) {
                visit(next);
            }
        }
        path.pop_back();
        state[module] = 2;
    };
    for (const auto& [module, used] : uses)
        if (state[module] == 0) visit(module);
}
