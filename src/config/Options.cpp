#include "config/Options.h"

#include <stdexcept>

namespace tv {

int OptionFlagIndex(const std::string& key) { throw std::logic_error("not built yet: OptionFlagIndex"); }
std::optional<std::string> OptionText(const Options& options, const std::string& key) { throw std::logic_error("not built yet: OptionText"); }
bool SetOptionText(Options& options, const std::string& key, const std::string& text) { throw std::logic_error("not built yet: SetOptionText"); }
std::vector<std::string> OptionKeys() { throw std::logic_error("not built yet: OptionKeys"); }
void LoadConfiguration(Bot& bot) { throw std::logic_error("not built yet: LoadConfiguration"); }
void SaveConfiguration(Bot& bot) { throw std::logic_error("not built yet: SaveConfiguration"); }

void Options::SetFlag(OptionFlag, bool) { throw std::logic_error("not built yet"); }

}  // namespace tv
