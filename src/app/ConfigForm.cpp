#include "app/ConfigForm.h"

#include <array>
#include <stdexcept>

#include "app/Bot.h"
#include "app/Errors.h"
#include "commands/TerrainRights.h"
#include "config/Options.h"
#include "config/TextConvert.h"

namespace tv {

namespace {

using F = ConfigFieldKind;

constexpr std::array<ConfigField, 22> kFields = {{
    {"txtUniHost", "Universe Host:", "UniHost", 0, F::Text, true},
    {"txtUniPort", "Universe Port:", "UniPort", 0, F::Number, true},
    {"txtCitNum", "Citizen Number:", "CitizenNumber", 0, F::Number, true},
    {"txtPrivPW", "Privilege Password:", "PrivilegePassword", 0, F::Text, true},
    {"txtLocation", "World / Location:", "World", 0, F::Text, true},
    {"txtLangFile", "Language File:", "LanguageFilename", 0, F::Chooser, false},
    {"txtMinTexture", "Terrain texture min:", "TextureMin", 1, F::Number, false},
    {"txtMaxTexture", "Terrain texture max:", "TextureMax", 1, F::Number, false},
    {"txtDefTexture", "Default texture:", "DefaultTexture", 1, F::Number, false},
    {"txtDefHeight", "Default height (cm):", "DefaultHeight", 1, F::Number, false},
    {"txtWarnTime", "Warn time (sec):", "WarnTime", 1, F::Number, true},
    {"txtDisableTime", "Disable time (sec):", "DisableTime", 1, F::Number, true},
    {"txtRights", "Terrain rights:", nullptr, 1, F::Chooser, false},
    {"chkAllowBots", "Allow bot use", "AllowBots", 1, F::Flag, false},
    {"chkAllowTourists", "Allow tourist use", "AllowTourists", 1, F::Flag, false},
    {"chkRightsNotify", "Notify users about their terrain rights", "RightsNotify", 1, F::Flag,
     false},
    {"txtMaxQueries", "Max Queries:", "MaxQueries", 2, F::Number, false},
    {"txtMaxCommands", "Max Commands:", "MaxCommands", 2, F::Number, false},
    {"txtFloodCommands", "Flood Commands:", "FloodCommands", 2, F::Number, false},
    {"txtEjectTime", "Eject Duration (sec):", "FloodEjectDuration", 2, F::Number, false},
    {"chkSessionsAlways", "Sessions always enabled", "AlwaysEnabled", 2, F::Flag, false},
    {"chkUseSectors", "Use sectors for show/hide", "UseSectorBox", 2, F::Flag, false},
}};

// "Universe Port" for the label "Universe Port:".
std::string FieldName(const ConfigField& field) {
    std::string name = field.Label;
    if (!name.empty() && name.back() == ':') name.pop_back();
    return name;
}

// A range problem starts with the option's key; the operator knows the field by its label.
std::string NamedByField(const std::string& problem) {
    for (const ConfigField& field : kFields) {
        if (!field.OptionKey) continue;
        const std::string prefix = std::string(field.OptionKey) + ": ";
        if (problem.rfind(prefix, 0) == 0)
            return FieldName(field) + ": " + problem.substr(prefix.size());
    }
    return problem;
}

}  // namespace

std::span<const ConfigField> ConfigFields() {
    return kFields;
}

std::size_t ConfigFieldIndex(std::string_view control) {
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (control == kFields[i].Control) return i;
    throw std::out_of_range("no configuration field " + std::string(control));
}

bool ConfigForm::Checked(std::string_view control) const {
    return TextToBoolean(Values[ConfigFieldIndex(control)]);
}

ConfigForm FillConfigForm(const Bot& bot) {
    ConfigForm form;
    for (const ConfigField& field : kFields)
        form.Values.push_back(field.OptionKey ? *OptionText(bot.options, field.OptionKey)
                                              : TerrainRightsToString(bot.rights));
    return form;
}

std::vector<std::string> ApplyConfigForm(Bot& bot, ConfigForm& form) {
    Options options = bot.options;
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (!kFields[i].OptionKey) continue;
        try {
            SetOptionText(options, kFields[i].OptionKey, form.Values[i]);
        } catch (const EConvertError& error) {
            problems.push_back(FieldName(kFields[i]) + ": " + error.what());
        }
    }
    for (const std::string& problem : OptionProblems(options))
        problems.push_back(NamedByField(problem));
    if (!problems.empty()) return problems;

    TTerrainRightsList rights;
    std::string& rightsText = form.Value("txtRights");
    rightsText = TerrainRightsFromString(rights, rightsText);
    bot.options = options;
    bot.rights = std::move(rights);
    SaveConfiguration(bot);
    return {};
}

void StoreLogOptions(Bot& bot, const std::string& fileName, bool enable) {
    bot.options.LogFileName = fileName;
    bot.options.SetFlag(OptionFlag::EnableLog, enable);
    SaveConfiguration(bot);
}

std::string RelativeFileName(const std::filesystem::path& folder,
                             const std::filesystem::path& file) {
    const std::filesystem::path base = std::filesystem::absolute(folder).lexically_normal();
    const std::filesystem::path target = std::filesystem::absolute(file).lexically_normal();
    const std::filesystem::path relative = target.lexically_relative(base);
    return relative.empty() ? target.string() : relative.generic_string();
}

}  // namespace tv
