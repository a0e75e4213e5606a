#include "nox/Embedded.h"

#include <unistd.h>

#include <fstream>

#include "app/Bot.h"
#include "config/Options.h"
#include "world/SimWorld.h"

#ifndef TERRAVANE_SOURCE_DATA_DIR
#define TERRAVANE_SOURCE_DATA_DIR "data"
#endif

namespace tv {

std::filesystem::path ShippedDataFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && std::filesystem::exists(exe.parent_path() / "english.xml"))
        return exe.parent_path();
    return TERRAVANE_SOURCE_DATA_DIR;
}

void EnsureLanguageFile(const std::filesystem::path& folder) {
    std::filesystem::path target = folder / "english.xml";
    if (std::filesystem::exists(target)) return;
    std::filesystem::copy_file(ShippedDataFolder() / "english.xml", target);
}

void EnsureStarterConfig(const std::filesystem::path& folder) {
    std::filesystem::path target = folder / kConfigFileName;
    if (std::filesystem::exists(target)) return;
    std::ofstream out(target, std::ios::binary);
    out << "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
        << "<TerravaneConfig>\r\n  <Login>\r\n"
        << "    <CitizenNumber>" << kStarterCitizen << "</CitizenNumber>\r\n"
        << "    <PrivilegePassword>" << kStarterPassword << "</PrivilegePassword>\r\n"
        << "    <UniHost>" << kDefaultUniverseHost << "</UniHost>\r\n"
        << "    <UniPort>6670</UniPort>\r\n"
        << "    <World>" << kStarterWorld << "</World>\r\n"
        << "  </Login>\r\n</TerravaneConfig>\r\n";
    out.close();
    std::filesystem::permissions(
        target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

void PopulateUniverse(SimWorld& world, const Bot& bot) {
    const TTerrainLoginInfo& login = bot.options.Login;
    std::string name = login.World.empty() ? kStarterWorld : login.World;
    world.AddWorld(name, kStarterWorldSize);
    world.AddCitizen(login.CitizenNumber, "Terravane", login.PrivilegePassword);
    world.SetWorldRight(name, login.CitizenNumber, 57, true);
    world.SetWorldRight(name, login.CitizenNumber, 162, true);
}

}  // namespace tv
