#include "config/Language.h"

#include <stdexcept>

namespace tv {

const LangKeyInfo& LangInfo(Lang key) { throw std::logic_error("not built yet: LangInfo"); }
void LoadLanguage(Bot& bot) { throw std::logic_error("not built yet: LoadLanguage"); }

void LanguageCatalogue::Set(Lang, const std::string&) { throw std::logic_error("not built yet"); }

}  // namespace tv
