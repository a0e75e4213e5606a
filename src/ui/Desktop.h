#pragma once
// The desktop program's two ways to run: the window over a bot on the embedded world (optionally
// with the demo scene playing), and the screenshots of every window rendered to PNG files.

#include <filesystem>

namespace tv {

// Runs the program's window until it closes; the working folder gets a starter configuration
// and the shipped language file when it lacks them. With `quitAfterSeconds` the program logs
// out and closes by itself after that long (unattended runs).
int RunDesktop(const std::filesystem::path& workDir, bool demo, int quitAfterSeconds = 0);

// Plays the demo scene in virtual time and saves main-window.png, config-login.png,
// config-restrictions.png, config-performance.png, rights-editor.png, about.png, world-map.png and
// journal.png into `folder`. Returns 0 when every file was written.
int RenderScreenshots(const std::filesystem::path& folder);

}  // namespace tv
