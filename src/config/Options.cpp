#include "config/Options.h"

#include <array>

#include "app/Errors.h"
#include "app/Format.h"
#include "config/MicroXml.h"
#include "config/TextConvert.h"

namespace tv {

namespace {

using K = OptionKind;

constexpr std::array<OptionDescriptor, 24> kOptionTable = {{
    {"CitizenNumber",
     K::Integer,
     "0",
     true,
     [](Options& o) -> OptionStorage { return &o.Login.CitizenNumber; },
     {0, 2147483647, true}},
    {"PrivilegePassword",
     K::String,
     "",
     true,
     [](Options& o) -> OptionStorage { return &o.Login.PrivilegePassword; },
     {}},
    {"UniHost",
     K::String,
     kDefaultUniverseHost,
     true,
     [](Options& o) -> OptionStorage { return &o.Login.UniHost; },
     {}},
    {"UniPort",
     K::Integer,
     "6670",
     true,
     [](Options& o) -> OptionStorage { return &o.Login.UniPort; },
     {1, 65535, true}},
    {"World", K::String, "", true, [](Options& o) -> OptionStorage { return &o.Login.World; }, {}},
    {"WarnTime",
     K::Integer,
     "30",
     true,
     [](Options& o) -> OptionStorage { return &o.WarnTime; },
     {0, 31536000, true}},
    {"DisableTime",
     K::Integer,
     "60",
     true,
     [](Options& o) -> OptionStorage { return &o.DisableTime; },
     {0, 31536000, true}},
    {"DefaultHeight",
     K::Integer,
     "-10",
     false,
     [](Options& o) -> OptionStorage { return &o.DefaultHeight; },
     {-1000000, 1000000, true}},
    {"TextureMin",
     K::Integer,
     "0",
     false,
     [](Options& o) -> OptionStorage { return &o.TextureMin; },
     {0, kTextureLimit, true}},
    {"TextureMax",
     K::Integer,
     "500",
     false,
     [](Options& o) -> OptionStorage { return &o.TextureMax; },
     {0, kTextureLimit, true}},
    {"MaxQueries",
     K::Integer,
     "5",
     false,
     [](Options& o) -> OptionStorage { return &o.MaxQueries; },
     {1, 10000, true}},
    {"MaxCommands",
     K::Integer,
     "5",
     false,
     [](Options& o) -> OptionStorage { return &o.MaxCommands; },
     {1, 10000, true}},
    {"DefaultTexture",
     K::Integer,
     "0",
     false,
     [](Options& o) -> OptionStorage { return &o.DefaultTexture; },
     {0, kTextureLimit, true}},
    {"FloodCommands",
     K::Float,
     "10.05",
     false,
     [](Options& o) -> OptionStorage { return &o.FloodCommands; },
     {0.01, 10000, true}},
    {"FloodEjectDuration",
     K::Integer,
     "900",
     false,
     [](Options& o) -> OptionStorage { return &o.FloodEjectDuration; },
     {0, 31536000, true}},
    {"LanguageFilename",
     K::String,
     "english.xml",
     false,
     [](Options& o) -> OptionStorage { return &o.LanguageFilename; },
     {}},
    {"LogFileName",
     K::String,
     "log.txt",
     false,
     [](Options& o) -> OptionStorage { return &o.LogFileName; },
     {}},
    {"AllowBots",
     K::Flag,
     "1",
     false,
     [](Options&) -> OptionStorage { return OptionFlag::AllowBots; },
     {}},
    {"AllowTourists",
     K::Flag,
     "1",
     false,
     [](Options&) -> OptionStorage { return OptionFlag::AllowTourists; },
     {}},
    {"AlwaysEnabled",
     K::Flag,
     "0",
     false,
     [](Options&) -> OptionStorage { return OptionFlag::AlwaysEnabled; },
     {}},
    {"EnableLog",
     K::Flag,
     "0",
     false,
     [](Options&) -> OptionStorage { return OptionFlag::EnableLog; },
     {}},
    {"RightsNotify",
     K::Flag,
     "1",
     false,
     [](Options&) -> OptionStorage { return OptionFlag::RightsNotify; },
     {}},
    {"UseSectorBox",
     K::Flag,
     "0",
     false,
     [](Options&) -> OptionStorage { return OptionFlag::UseSectorBox; },
     {}},
    {"JournalKeepDays",
     K::Integer,
     "90",
     false,
     [](Options& o) -> OptionStorage { return &o.JournalKeepDays; },
     {0, 36500, true}},
}};

constexpr std::size_t kLoginRowCount = 5;

// Converts first, so a text that does not convert leaves the option as it was. `clearFlag`
// lets a false flag text clear the bit; loading from the file only ever sets bits.
void StoreText(Options& options, const OptionDescriptor& row, const std::string& text,
               bool clearFlag) {
    OptionStorage storage = row.Storage(options);
    switch (row.Kind) {
        case OptionKind::Integer:
            *std::get<int32_t*>(storage) = StrToInt(text);
            break;
        case OptionKind::String:
            *std::get<std::string*>(storage) = text;
            break;
        case OptionKind::Float:
            *std::get<double*>(storage) = TextToFloat(text);
            break;
        case OptionKind::Flag: {
            bool on = TextToBoolean(text);
            if (on || clearFlag) options.SetFlag(std::get<OptionFlag>(storage), on);
            break;
        }
    }
}

std::string ValueText(const Options& options, const OptionDescriptor& row) {
    // The storage accessor takes a mutable record; here it is only read.
    OptionStorage storage = row.Storage(const_cast<Options&>(options));
    switch (row.Kind) {
        case OptionKind::Integer:
            return std::to_string(*std::get<int32_t*>(storage));
        case OptionKind::String:
            return *std::get<std::string*>(storage);
        case OptionKind::Float:
            return FloatToText(*std::get<double*>(storage));
        case OptionKind::Flag:
            return BooleanToText(options.Flag(std::get<OptionFlag>(storage)));
    }
    return {};
}

}  // namespace

void Options::SetFlag(OptionFlag flag, bool on) {
    const auto bit = static_cast<uint8_t>(1u << static_cast<int>(flag));
    OptionFlags =
        on ? static_cast<uint8_t>(OptionFlags | bit) : static_cast<uint8_t>(OptionFlags & ~bit);
}

std::span<const OptionDescriptor> LoginOptions() {
    return std::span<const OptionDescriptor>(kOptionTable).first(kLoginRowCount);
}

std::span<const OptionDescriptor> GeneralOptions() {
    return std::span<const OptionDescriptor>(kOptionTable).subspan(kLoginRowCount);
}

const OptionDescriptor* FindOption(const std::string& key) {
    for (const OptionDescriptor& row : kOptionTable)
        if (SameText(row.Key, key)) return &row;
    return nullptr;
}

int OptionFlagIndex(const std::string& key) {
    const OptionDescriptor* row = FindOption(key);
    if (!row || row->Kind != OptionKind::Flag)
        throw EConvertError("'" + key + "' is not a valid Terravane option");
    Options scratch;
    return static_cast<int>(std::get<OptionFlag>(row->Storage(scratch)));
}

void SaveOptionGroup(const Options& options, std::span<const OptionDescriptor> rows,
                     TMicroXmlElement& element) {
    for (const OptionDescriptor& row : rows)
        element.AddChild(row.Key)->Text = ValueText(options, row);
}

std::optional<std::string> OptionText(const Options& options, const std::string& key) {
    const OptionDescriptor* row = FindOption(key);
    if (!row) return std::nullopt;
    return ValueText(options, *row);
}

bool SetOptionText(Options& options, const std::string& key, const std::string& text) {
    const OptionDescriptor* row = FindOption(key);
    if (!row) return false;
    StoreText(options, *row, text, true);
    return true;
}

void SetOptionDefaults(Options& options) {
    for (const OptionDescriptor& row : kOptionTable) StoreText(options, row, row.DefaultText, true);
}

std::string LoadOptionValue(Options& options, const OptionDescriptor& row,
                            const std::string& text) {
    std::string problem;
    try {
        StoreText(options, row, text, true);
        problem = OptionRangeProblem(options, row);
    } catch (const EConvertError& error) {
        problem = std::string(row.Key) + ": " + error.what();
    }
    if (!problem.empty()) StoreText(options, row, row.DefaultText, true);
    return problem;
}

std::vector<std::string> OptionKeys() {
    std::vector<std::string> keys;
    for (const OptionDescriptor& row : kOptionTable) keys.emplace_back(row.Key);
    return keys;
}

std::string OptionRangeProblem(const Options& options, const OptionDescriptor& row) {
    if (!row.Range.Bounded) return {};
    OptionStorage storage = row.Storage(const_cast<Options&>(options));
    const double value =
        row.Kind == OptionKind::Float ? *std::get<double*>(storage) : *std::get<int32_t*>(storage);
    if (value >= row.Range.Min && value <= row.Range.Max) return {};
    auto text = [&row](double number) {
        return row.Kind == OptionKind::Float ? FloatToText(number)
                                             : std::to_string(static_cast<int64_t>(number));
    };
    return std::string(row.Key) + ": " + text(value) + " is outside the range " +
           text(row.Range.Min) + " to " + text(row.Range.Max);
}

std::string TextureOrderProblem(const Options& options) {
    if (options.TextureMin <= options.DefaultTexture &&
        options.DefaultTexture <= options.TextureMax)
        return {};
    return Format("TextureMin %d, DefaultTexture %d and TextureMax %d must rise in that order",
                  {options.TextureMin, options.DefaultTexture, options.TextureMax});
}

std::vector<std::string> OptionProblems(const Options& options) {
    std::vector<std::string> problems;
    for (const OptionDescriptor& row : kOptionTable)
        if (std::string problem = OptionRangeProblem(options, row); !problem.empty())
            problems.push_back(std::move(problem));
    if (std::string problem = TextureOrderProblem(options); !problem.empty())
        problems.push_back(std::move(problem));
    return problems;
}

}  // namespace tv
