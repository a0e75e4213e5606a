#pragma once
// What the headless program needs around a Bot: the shipped language file in the working folder,
// a starter config.xml for a first run, and an embedded universe that matches the configuration.

#include <filesystem>
#include <string>

namespace tv {

class Bot;
class SimWorld;

// The folder holding the shipped english.xml (beside the program, else the source tree's data/).
std::filesystem::path ShippedDataFolder();
// Copies the shipped english.xml into the folder unless one is there.
void EnsureLanguageFile(const std::filesystem::path& folder);
// Writes a config.xml that logs into the embedded world unless one is there.
void EnsureStarterConfig(const std::filesystem::path& folder);
// Makes the configured world and bot citizen exist in the embedded universe.
void PopulateUniverse(SimWorld& world, const Bot& bot);

inline constexpr const char* kStarterWorld = "terravane";
inline constexpr int kStarterWorldSize = 50;
inline constexpr int kStarterCitizen = 1;
inline constexpr const char* kStarterPassword = "terravane";

}  // namespace tv
