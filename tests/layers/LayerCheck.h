#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The include graph of the source tree against its floors: a file includes only files of its own
// unit or of a lower floor, never the simulated board from the program's own folders, and no
// files include each other in a loop.
namespace layers {

struct Finding {
    std::string file;      // relative to the tree's root
    std::string included;  // what it includes, as written
    std::string why;
};

// The unit a file belongs to ("app/board", "app/acquire:windows", "tests", ...), or empty for a
// file outside the floors.
std::string unitOf(const std::string& relativePath);
// The floor of a unit, or -1 for one the list does not know.
int floorOf(const std::string& unit);

// Every climbing include, every include of the simulated board from a window or core folder,
// every product header included by a bare name or not found, and one finding per loop.
std::vector<Finding> checkTree(const std::filesystem::path& root);

}  // namespace layers
