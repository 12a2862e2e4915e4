// The source tree keeps its floors: no include climbs a layer, the simulated board stays below
// the port for everything but the places that make it, and no files include each other in a
// loop. The checker itself is shown to catch each fault on a small tree of its own.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "LayerCheck.h"

namespace fs = std::filesystem;

namespace {

std::string describe(const std::vector<layers::Finding>& findings) {
    std::string text;
    for (const layers::Finding& f : findings) {
        text += f.file + ": \"" + f.included + "\": " + f.why + "\n";
    }
    return text;
}

void write(const fs::path& root, const std::string& rel, const std::string& text) {
    fs::create_directories((root / rel).parent_path());
    std::ofstream(root / rel) << text;
}

}  // namespace

TEST(Layers, TheTreeKeepsItsFloors) {
    const std::vector<layers::Finding> findings = layers::checkTree(RQ_SOURCE_DIR);
    EXPECT_TRUE(findings.empty()) << describe(findings);
}

TEST(Layers, EveryFolderOfTheTreeHasAFloor) {
    for (const char* top : {"common", "analysis", "app", "controls", "platform", "tools"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(RQ_SOURCE_DIR) / top)) {
            if (!entry.is_directory()) {
                continue;
            }
            const std::string rel =
                fs::relative(entry.path(), RQ_SOURCE_DIR).generic_string() + "/x.h";
            EXPECT_GE(layers::floorOf(layers::unitOf(rel)), 0) << rel;
        }
    }
}

TEST(Layers, TheCheckerFindsAClimbAWindowSeeingTheSimulatorAndALoop) {
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    write(root, "app/board/Link.h", "#include \"acquire/Session.h\"\n");
    write(root, "app/acquire/Session.h", "#include \"board/Link.h\"\n");
    write(root, "app/acquire/frmMainScreen.cpp", "#include \"simboard/SimBoard.h\"\n");
    write(root, "platform/simboard/SimBoard.h", "#pragma once\n");
    write(root, "app/config/frmSetup.h", "#include \"Link.h\"\n");
    const std::vector<layers::Finding> findings = layers::checkTree(root);
    const std::string text = describe(findings);
    EXPECT_NE(text.find("app/board/Link.h: \"acquire/Session.h\": climbs from app/board"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("frmMainScreen.cpp: \"simboard/SimBoard.h\": the simulated board"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("a loop: "), std::string::npos) << text;
    EXPECT_NE(text.find("frmSetup.h: \"Link.h\": a product header included by a bare name"),
              std::string::npos)
        << text;
    // The session may include the board link: that include alone is no finding.
    for (const layers::Finding& f : findings) {
        EXPECT_FALSE(f.file == "app/acquire/Session.h" && f.why.rfind("climbs", 0) == 0) << text;
    }
}
