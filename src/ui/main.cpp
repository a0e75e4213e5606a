// terravane: the desktop program. Without arguments it opens the window over the bot on the
// embedded world; --demo also logs in and plays the demo scene; --quit-after logs out and closes
// after that many seconds; --screenshots renders every window to PNG files without a display.

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "ui/Desktop.h"

int main(int argc, char** argv) {
    std::filesystem::path dir = std::filesystem::current_path();
    std::optional<std::filesystem::path> screenshots;
    bool demo = false;
    int quitAfter = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (arg == "--screenshots" && i + 1 < argc) {
            screenshots = argv[++i];
        } else if (arg == "--quit-after" && i + 1 < argc) {
            quitAfter = std::atoi(argv[++i]);
        } else if (arg == "--demo") {
            demo = true;
        } else {
            std::cerr << "usage: terravane [--dir DIR] [--demo] [--quit-after SECONDS]\n"
                         "       terravane --screenshots FOLDER\n";
            return 2;
        }
    }
    // Screenshots need no display.
    if (screenshots && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Terravane"));
    try {
        return screenshots ? tv::RenderScreenshots(*screenshots)
                           : tv::RunDesktop(dir, demo, quitAfter);
    } catch (const std::exception& error) {
        std::cerr << "terravane: " << error.what() << "\n";
        return 1;
    }
}
