#pragma once
// A Bot in a temporary working folder, built without start-up so a test decides which
// config.xml and language file exist before it loads them.

#include <filesystem>
#include <string>

#include "app/Bot.h"
#include "app/Clock.h"
#include "support/TestBot.h"
#include "world/SimWorld.h"

namespace tv::test {

struct ConfigFixture {
    TempDir dir;
    VirtualClock clock;
    SimWorld world{clock};
    RecordingFrontEnd frontEnd;
    Bot bot{world, clock, frontEnd, dir.Path()};

    void CopyShippedLanguage() const {
        std::filesystem::copy_file(std::filesystem::path(TERRAVANE_DATA_DIR) / "english.xml",
                                   dir.Path() / "english.xml");
    }
    // A config.xml of the given root content, under a declaration.
    void WriteConfig(const std::string& body) const {
        dir.Write("config.xml", "<?xml version=\"1.0\"?>\n" + body);
    }
};

}  // namespace tv::test
