#include "LayerCheck.h"

#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace layers {

namespace {

// The floors, lowest first. A unit is a folder, or the windows of a folder that holds both a
// core and windows.
const std::vector<std::pair<std::string, int>>& floorTable() {
    static const std::vector<std::pair<std::string, int>> table = {
        {"common", 0},
        {"platform/generator", 1},
        {"platform/parport", 1},
        {"platform/protocol", 1},
        {"transform", 1},
        {"platform/simboard", 2},
        {"controls/host", 2},
        {"analysis", 2},
        {"platform/strip", 3},
        {"controls/fft", 3},
        {"controls/histogram", 3},
        {"controls/status", 3},
        {"controls/toggle", 3},
        {"controls/buttons", 3},
        {"figures", 4},
        {"app/state", 4},
        {"app/board", 5},
        {"app/config", 6},
        {"app/acquire", 7},
        {"app/sweep", 8},
        {"app/config:windows", 8},
        {"app/acquire:windows", 9},
        {"app/figurewindow", 9},
        {"app/simulated", 9},
        {"controls/designer", 9},
        {"app/sweepwindow", 10},
        {"tools/rq3118ctl", 10},
        {"app/main", 11},
        {"tests", 12},
        {"bench", 12},
        {"fuzz", 12},
    };
    return table;
}

// Files of a folder that belong to its windows rather than its core.
bool isWindowFile(const std::string& rel) {
    static const std::set<std::string> windows = {"app/config/frmSetup", "app/config/frmSplash",
                                                  "app/config/SetupHost",
                                                  "app/acquire/frmMainScreen"};
    const std::string stem = fs::path(rel).replace_extension().generic_string();
    return windows.count(stem) > 0;
}

// Units that may see the simulated board: where it is made, and the tests around it.
bool maySeeSimulator(const std::string& unit) {
    return unit == "platform/simboard" || unit == "app/simulated" || unit == "app/main" ||
           unit == "tools/rq3118ctl" || unit == "tests" || unit == "bench" || unit == "fuzz";
}

// The name of a quoted include on a line ("#include "x/Y.h""), if the line is one.
std::optional<std::string> quotedInclude(const std::string& line) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#') {
        return std::nullopt;
    }
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0) {
        return std::nullopt;
    }
    i = line.find_first_not_of(" \t", i + 7);
    if (i == std::string::npos || line[i] != '"') {
        return std::nullopt;
    }
    const size_t end = line.find('"', i + 1);
    if (end == std::string::npos) {
        return std::nullopt;
    }
    return line.substr(i + 1, end - i - 1);
}

bool isSource(const fs::path& p) {
    return p.extension() == ".h" || p.extension() == ".cpp";
}

}  // namespace

std::string unitOf(const std::string& rel) {
    if (rel == "app/main.cpp") {
        return "app/main";
    }
    for (const auto& [unit, floor] : floorTable()) {
        if (unit.find(':') != std::string::npos) {
            continue;
        }
        if (rel.rfind(unit + "/", 0) == 0) {
            return isWindowFile(rel) ? unit + ":windows" : unit;
        }
    }
    return {};
}

int floorOf(const std::string& unit) {
    for (const auto& [u, floor] : floorTable()) {
        if (u == unit) {
            return floor;
        }
    }
    return -1;
}

std::vector<Finding> checkTree(const fs::path& root) {
    std::vector<Finding> findings;
    // Every source file of the floors, and the product's headers by "<folder>/<name>".
    std::vector<std::string> files;
    std::map<std::string, std::string> headers;
    for (const auto& [unit, floor] : floorTable()) {
        const fs::path dir = root / unit.substr(0, unit.find(':'));
        if (unit.find(':') != std::string::npos || !fs::is_directory(dir)) {
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            if (!entry.is_regular_file() || !isSource(entry.path())) {
                continue;
            }
            const std::string rel = fs::relative(entry.path(), root).generic_string();
            files.push_back(rel);
            const bool product = unit != "tests" && unit != "bench" && unit != "fuzz";
            if (product && entry.path().extension() == ".h") {
                const std::string key = entry.path().parent_path().filename().string() + "/" +
                                        entry.path().filename().string();
                headers.emplace(key, rel);
            }
        }
    }
    if (fs::exists(root / "app/main.cpp")) {
        files.push_back("app/main.cpp");
    }

    std::map<std::string, std::vector<std::string>> graph;
    for (const std::string& rel : files) {
        const std::string unit = unitOf(rel);
        const int floor = floorOf(unit);
        std::ifstream in(root / rel);
        std::string line;
        while (std::getline(in, line)) {
            const std::optional<std::string> included = quotedInclude(line);
            if (!included) {
                continue;
            }
            const std::string& name = *included;
            std::string target;
            if (const auto h = headers.find(name); h != headers.end()) {
                target = h->second;
            } else if (name.find('/') == std::string::npos) {
                // A header beside the file; a product header of another folder by a bare name
                // is not reachable and is reported.
                const std::string beside = (fs::path(rel).parent_path() / name).generic_string();
                if (fs::exists(root / beside)) {
                    target = beside;
                    const std::string key =
                        fs::path(rel).parent_path().filename().string() + "/" + name;
                    if (headers.count(key) && floor < floorOf("tests")) {
                        findings.push_back({rel, name, "a product header included by a bare name"});
                    }
                } else {
                    bool known = false;
                    for (const auto& [key, path] : headers) {
                        known = known || fs::path(path).filename() == name;
                    }
                    if (known) {
                        findings.push_back({rel, name, "a product header included by a bare name"});
                    }
                    continue;  // a test's own header elsewhere, or a generated one
                }
            } else {
                continue;  // a header from outside the tree (Qt, QCustomPlot, generated)
            }
            graph[rel].push_back(target);
            const std::string targetUnit = unitOf(target);
            if (targetUnit == "platform/simboard" && !maySeeSimulator(unit)) {
                findings.push_back({rel, name, "the simulated board seen above the port"});
            }
            if (targetUnit != unit && floorOf(targetUnit) >= floor) {
                findings.push_back({rel, name,
                                    "climbs from " + unit + " (floor " + std::to_string(floor) +
                                        ") to " + targetUnit + " (floor " +
                                        std::to_string(floorOf(targetUnit)) + ")"});
            }
        }
    }

    // Loops: a depth-first walk; a file met again while on the path closes a loop.
    std::map<std::string, int> mark;  // 0 new, 1 on the path, 2 done
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& file) {
        mark[file] = 1;
        path.push_back(file);
        for (const std::string& next : graph[file]) {
            if (mark[next] == 1) {
                std::string loop;
                for (auto it = std::find(path.begin(), path.end(), next); it != path.end(); ++it) {
                    loop += *it + " -> ";
                }
                findings.push_back({file, next, "a loop: " + loop + next});
            } else if (mark[next] == 0) {
                visit(next);
            }
        }
        path.pop_back();
        mark[file] = 2;
    };
    for (const std::string& rel : files) {
        if (mark[rel] == 0) {
            visit(rel);
        }
    }
    return findings;
}

}  // namespace layers
