#include "app/Format.h"

#include <stdexcept>

namespace tv {

const NumberSeparators& UserSeparators() { throw std::logic_error("not built yet: UserSeparators"); }
std::string Format(const NumberSeparators& separators, std::string_view format, std::initializer_list<FormatArg> args) { throw std::logic_error("not built yet: Format"); }
int32_t StrToInt(const std::string& text) { throw std::logic_error("not built yet: StrToInt"); }
bool TryStrToInt(const std::string& text, int32_t& value) { throw std::logic_error("not built yet: TryStrToInt"); }
double StrToFloat(const std::string& text) { throw std::logic_error("not built yet: StrToFloat"); }
bool TryStrToFloat(const std::string& text, double& value) { throw std::logic_error("not built yet: TryStrToFloat"); }
std::string LowerAscii(std::string text) { throw std::logic_error("not built yet: LowerAscii"); }
std::string UpperAscii(std::string text) { throw std::logic_error("not built yet: UpperAscii"); }
int CompareText(std::string_view a, std::string_view b) { throw std::logic_error("not built yet: CompareText"); }
bool SameText(std::string_view a, std::string_view b) { throw std::logic_error("not built yet: SameText"); }

std::string Format(std::string_view, std::initializer_list<FormatArg>) { throw std::logic_error("not built yet"); }

}  // namespace tv
