// The #include lines of src/ against the README's layout table: each folder includes only what
// its row allows, the rules files include no window file, and no include goes round a circle.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

// The files that decide rules without a window; tests call them directly.
const std::set<std::string> kRules = {"app/load_rules", "app/shortcuts", "app/window_position", "base/command_ids", "document/caption",
                                      "document/print_layout", "document/save_path", "document/text_codec",
                                      "editor/control_keys", "editor/control_text", "editor/replace_text",
                                      "editor/status_text"};

std::string Folder(const std::string& path) { return path.substr(0, path.find('/') + 1); }
std::string Module(const std::string& path) { return path.substr(0, path.rfind('.')); }

} // namespace

TEST(Layers, IncludesFollowTheReadmesLayoutTableAndGoRoundNoCircle)
{
    // "| `src/editor/` | ... | `base/`, `appearance/` |": what each folder may include besides itself.
    std::map<std::string, std::set<std::string>> allowed;
    std::ifstream readme(JOTWELL_README_PATH);
    const std::regex row(R"(^\| `src/([a-z]+/)` \|[^|]*\|(.*)\|$)"), name(R"(`([a-z_/]+(/|\.h))`)");
    std::smatch match;
    for (std::string line; std::getline(readme, line);) {
        if (!std::regex_match(line, match, row)) continue;
        std::set<std::string>& may = allowed[match[1]];
        const std::string cell = match[2];
        if (cell.find("everything") != std::string::npos) may.insert("*");
        for (std::sregex_iterator it(cell.begin(), cell.end(), name), end; it != end; ++it) may.insert((*it)[1]);
    }
    ASSERT_FALSE(allowed.empty()) << "no layout table with a \"May include\" column in " << JOTWELL_README_PATH;

    const std::filesystem::path src = std::filesystem::path(JOTWELL_SOURCE_DIR) / "src";
    std::map<std::string, std::set<std::string>> uses; // module -> the other modules it includes
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp") continue;
        const std::string file = entry.path().lexically_relative(src).generic_string();
        const auto may = allowed.find(Folder(file));
        ASSERT_NE(may, allowed.end()) << "the layout table has no row for src/" << Folder(file);
        std::ifstream source(entry.path());
        for (std::string line; std::getline(source, line);) {
            if (line.rfind("#include \"", 0) != 0) continue;
            const std::string header = line.substr(10, line.find('"', 10) - 10);
            EXPECT_TRUE(Folder(header) == Folder(file) || may->second.count("*") ||
                        may->second.count(Folder(header)) || may->second.count(header))
                << file << " includes " << header << ", which src/" << Folder(file) << " may not";
            if (Module(header) == Module(file)) continue;
            EXPECT_TRUE(!kRules.count(Module(file)) || kRules.count(Module(header)))
                << "the rules file " << file << " includes " << header;
            uses[Module(file)].insert(Module(header));
        }
    }
    for (const std::string& module : kRules) EXPECT_TRUE(std::filesystem::exists(src / (module + ".h"))) << module;

    // Depth first over the modules: meeting one that is still open closes a circle.
    std::map<std::string, int> state; // 1 open, 2 done
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& module) {
        state[module] = 1;
        path.push_back(module);
        for (const std::string& next : uses[module]) {
            if (state[next] == 1) {
                std::string circle;
                for (auto at = std::find(path.begin(), path.end(), next); at != path.end(); ++at)
                    circle += *at + " -> ";
                ADD_FAILURE() << "include circle: " << circle << next;
            } else if (state[next] == 0) {
                visit(next);
            }
        }
        path.pop_back();
        state[module] = 2;
    };
    for (const auto& used : uses)
        if (state[used.first] == 0) visit(used.first);
}
