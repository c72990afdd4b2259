// layercheck: fails when a source includes a header of a library its own
// does not depend on, when libraries depend on each other in a circle, when
// modules include each other (a pair or a longer circle), when a library uses
// one of a higher layer (platform < framework < game < editor), or when the
// layer table in docs/layers.md and the build disagree.
//
//   layercheck <source root> <layers.txt written by CMake> <docs/layers.md>
//
// layers.txt has one line per library, program or test program:
//   kind|target|folder|dependency targets separated by spaces
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Unit {
    std::string kind, target, folder;
    std::vector<std::string> deps;  // our own targets only
};

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, sep)) out.push_back(item);
    return out;
}

std::string Trim(std::string s)
{
    const char* ws = " \t\r\n`";
    s.erase(0, s.find_first_not_of(ws));
    s.erase(s.find_last_not_of(ws) + 1);
    return s;
}

struct Checker {
    fs::path root;
    std::map<std::string, Unit> units;            // by target
    std::map<std::string, std::string> headerLib;  // header name -> target
    std::vector<std::string> errors;
    size_t files = 0, includes = 0;

    void Fail(const std::string& e) { errors.push_back(e); }

    bool ReadLayers(const fs::path& file)
    {
        std::ifstream in(file);
        if (!in) return false;
        std::string line;
        while (std::getline(in, line)) {
            auto f = Split(line, '|');
            if (f.size() < 3) continue;
            Unit u{f[0], f[1], f[2], {}};
            if (f.size() > 3)
                for (auto& d : Split(f[3], ' '))
                    if (!d.empty()) u.deps.push_back(d);
            units[u.target] = u;
        }
        // Outside libraries (zlib, SDL2 and such) are not ours: drop them.
        for (auto& [t, u] : units)
            std::erase_if(u.deps, [&](const std::string& d) { return !units.count(d); });
        return true;
    }

    std::vector<fs::path> FilesOf(const std::string& folder, bool headersOnly) const
    {
        std::vector<fs::path> out;
        std::error_code ec;
        for (auto& e : fs::directory_iterator(root / folder, ec)) {
            auto ext = e.path().extension();
            if (!e.is_regular_file()) continue;
            if (ext == ".h" || (!headersOnly && ext == ".cpp")) out.push_back(e.path());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    void MapHeaders()
    {
        std::map<std::string, std::string> where;
        auto add = [&](const std::string& name, const std::string& target, const std::string& folder) {
            auto [it, fresh] = where.emplace(name, folder);
            if (!fresh && it->second != folder)
                Fail("header name used twice (headers are included by bare name): " + name + " in " +
                     it->second + " and " + folder);
            headerLib[name] = target;
        };
        for (auto& [t, u] : units)
            for (auto& h : FilesOf(u.folder, true)) add(h.filename().string(), t, u.folder);
        // Shared test helpers in tests/ and the harnesses in tests/support belong to
        // no library: every test may use them.
        for (const char* folder : {"tests", "tests/support"})
            for (auto& h : FilesOf(folder, true)) add(h.filename().string(), "", folder);
    }

    std::set<std::string> Closure(const std::string& target) const
    {
        std::set<std::string> seen;
        std::function<void(const std::string&)> walk = [&](const std::string& t) {
            if (!seen.insert(t).second) return;
            for (auto& d : units.at(t).deps) walk(d);
        };
        walk(target);
        return seen;
    }

    static std::vector<std::string> IncludesOf(const fs::path& file)
    {
        static const std::regex inc(R"re(^\s*#\s*include\s*"([^"]+)")re");
        std::vector<std::string> out;
        std::ifstream in(file);
        std::string line;
        std::smatch m;
        while (std::getline(in, line))
            if (std::regex_search(line, m, inc)) out.push_back(m[1]);
        return out;
    }

    // Every quoted include names a header of this unit or of one it depends on.
    void CheckIncludes()
    {
        for (auto& [t, u] : units) {
            auto allowed = Closure(t);
            for (auto& f : FilesOf(u.folder, false)) {
                ++files;
                std::string rel = fs::relative(f, root).string();
                for (auto& name : IncludesOf(f)) {
                    ++includes;
                    if (name.find('/') != std::string::npos) {
                        Fail(rel + ": includes \"" + name + "\" by path; include headers by bare name");
                        continue;
                    }
                    if (fs::exists(root / u.folder / name)) continue;
                    auto it = headerLib.find(name);
                    if (it == headerLib.end()) {
                        Fail(rel + ": includes \"" + name + "\", which is no header of ours (use <> for others)");
                        continue;
                    }
                    if (it->second.empty()) {
                        if (u.kind != "test") Fail(rel + ": includes test helper \"" + name + "\"");
                        continue;
                    }
                    if (!allowed.count(it->second))
                        Fail(rel + " (" + t + ") includes \"" + name + "\" of " + it->second + ", which " +
                             t + " does not depend on");
                }
            }
        }
    }

    void CheckLibraryCycles()
    {
        std::map<std::string, int> state;  // 1 on the path, 2 done
        std::vector<std::string> path;
        std::function<void(const std::string&)> visit = [&](const std::string& t) {
            state[t] = 1;
            path.push_back(t);
            for (auto& d : units.at(t).deps) {
                if (state[d] == 1) {
                    auto from = std::find(path.begin(), path.end(), d);
                    std::string c;
                    for (auto i = from; i != path.end(); ++i) c += *i + " -> ";
                    Fail("libraries depend on each other in a circle: " + c + d);
                } else if (state[d] == 0) {
                    visit(d);
                }
            }
            path.pop_back();
            state[t] = 2;
        };
        for (auto& [t, u] : units)
            if (!state[t]) visit(t);
    }

    // Modules are a header and its source together; no two of them may include
    // each other, directly or round a longer circle.
    void CheckModuleCycles()
    {
        std::map<std::string, std::set<std::string>> edges;
        std::map<std::string, std::string> moduleLib;
        for (auto& [t, u] : units) {
            if (u.kind != "library") continue;
            for (auto& f : FilesOf(u.folder, false)) {
                std::string m = f.stem().string();
                moduleLib[m] = t;
                for (auto& name : IncludesOf(f)) {
                    std::string target = fs::path(name).stem().string();
                    if (target != m && headerLib.count(name) && !headerLib[name].empty())
                        edges[m].insert(target);
                }
            }
        }
        // Tarjan's strongly connected components.
        std::map<std::string, int> index, low;
        std::map<std::string, bool> onStack;
        std::vector<std::string> stack;
        int counter = 0;
        std::function<void(const std::string&)> strong = [&](const std::string& v) {
            index[v] = low[v] = counter++;
            stack.push_back(v);
            onStack[v] = true;
            for (auto& w : edges[v]) {
                if (!index.count(w)) {
                    strong(w);
                    low[v] = std::min(low[v], low[w]);
                } else if (onStack[w]) {
                    low[v] = std::min(low[v], index[w]);
                }
            }
            if (low[v] != index[v]) return;
            std::vector<std::string> comp;
            std::string w;
            do {
                w = stack.back();
                stack.pop_back();
                onStack[w] = false;
                comp.push_back(w);
            } while (w != v);
            std::sort(comp.begin(), comp.end());
            if (comp.size() >= 2) {
                std::string list;
                for (auto& c : comp) list += " " + c;
                Fail("modules include each other in a circle:" + list);
            }
        };
        for (auto& [m, l] : moduleLib)
            if (!index.count(m)) strong(m);
    }

    // No pair of modules is let off: a table that names one as an exception
    // ("- `a` and `b` include each other: ...") says what is not so.
    void RefuseNamedPairs(const fs::path& table)
    {
        static const std::regex pair(R"re(^- `([^`]+)` and `([^`]+)` include each other)re");
        std::ifstream in(table);
        std::string line;
        std::smatch m;
        while (std::getline(in, line))
            if (std::regex_search(line, m, pair))
                Fail("the layer table names " + std::string(m[1]) + " and " + std::string(m[2]) +
                     " as modules that may include each other; no pair may");
    }

    // The layers by top folder; anything else (tools, tests) is not ranked.
    static int Rank(const std::string& folder)
    {
        static const char* const kLayers[] = {"platform", "framework", "game", "editor"};
        std::string top = folder.substr(0, folder.find('/'));
        for (int i = 0; i < 4; ++i)
            if (top == kLayers[i]) return i;
        return -1;
    }

    // A library uses nothing of a layer above its own.
    void CheckUpward()
    {
        for (auto& [t, u] : units) {
            if (u.kind != "library") continue;
            for (auto& d : u.deps)
                if (Rank(units.at(d).folder) > Rank(u.folder))
                    Fail(t + " (" + u.folder + ") uses " + d + " (" + units.at(d).folder + "), a higher layer");
        }
    }

    // The table's rows: | library | folder | may use |
    void CheckTable(const fs::path& table)
    {
        std::ifstream in(table);
        if (!in) {
            Fail("cannot read the layer table " + table.string());
            return;
        }
        std::map<std::string, std::set<std::string>> rows;
        std::map<std::string, std::string> folders;
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("| `vq_", 0) != 0) continue;
            auto cells = Split(line, '|');
            if (cells.size() < 4) continue;
            std::string lib = Trim(cells[1]);
            folders[lib] = Trim(cells[2]);
            std::set<std::string> uses;
            for (auto& d : Split(cells[3], ','))
                if (!Trim(d).empty() && Trim(d) != "—") uses.insert(Trim(d));
            rows[lib] = uses;
        }
        for (auto& [t, u] : units) {
            if (u.kind != "library") continue;
            auto it = rows.find(t);
            std::set<std::string> deps(u.deps.begin(), u.deps.end());
            if (it == rows.end())
                Fail(t + " is built but missing from the layer table");
            else if (it->second != deps)
                Fail(t + ": the layer table and the build disagree on what it may use");
        }
        for (auto& [lib, uses] : rows) {
            if (!units.count(lib)) Fail(lib + " is in the layer table but not built");
            for (auto& use : uses)
                if (folders.count(use) && Rank(folders[use]) > Rank(folders[lib]))
                    Fail("the layer table lets " + lib + " (" + folders[lib] + ") use " + use + " (" +
                         folders[use] + "), a higher layer");
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: layercheck <source root> <layers.txt> <layer table .md>\n";
        return 2;
    }
    Checker c;
    c.root = argv[1];
    if (!c.ReadLayers(argv[2])) {
        std::cerr << "layercheck: cannot read " << argv[2] << "\n";
        return 2;
    }
    c.MapHeaders();
    c.RefuseNamedPairs(argv[3]);
    c.CheckLibraryCycles();
    c.CheckUpward();
    c.CheckIncludes();
    c.CheckModuleCycles();
    c.CheckTable(argv[3]);
    for (auto& e : c.errors) std::cerr << "layercheck: " << e << "\n";
    std::cout << "layercheck: " << c.units.size() << " units, " << c.files << " files, " << c.includes
              << " includes, " << c.errors.size() << " problems\n";
    return c.errors.empty() ? 0 : 1;
}
