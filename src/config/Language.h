#pragma once
// The message catalogue: 83 keys in six sections, each a text of at most 255 characters, filled
// from the language file. Every text for users and every command word comes from here.

#include <array>
#include <cstddef>
#include <string>

namespace tv {

class Bot;

// In load order: section help, errors, messages, safeguards, phrases, commands.
enum class Lang : int {
    // help
    help_message,
    // errors
    bot_error,
    bounds_error,
    tourist_error,
    confused_chat_message,
    seed_encroachment_error,
    invalid_citname_message,
    invalid_clickmode,
    invalid_command_error,
    citnum_no_rights_error,
    not_caretaker_error,
    object_result_error,
    awaiting_query_error,
    citnum_rights_error,
    seed_building_error,
    specify_prefix_error_2,
    specify_prefix_error,
    texture_error,
    message_too_long_error,
    tourist_command_error,
    // messages
    always_enabled_message,
    cells_processed_message,
    click_delete_message,
    click_detach_message,
    click_hide_message,
    clickmode_message,
    click_show_message,
    delete_finished_message,
    detach_finished_message,
    disable_message,
    disable_warn_message,
    edit_message,
    enable_message,
    features_are_message,
    new_marker_seed_message,
    new_marker_seed_as_message,
    no_cells_message,
    no_ed_message,
    click_no_ed_message,
    not_enabled_message,
    offline_message,
    online_enabled_message,
    online_say_message,
    rights_granted_message,
    rights_revoked_message,
    version_sdk_message,
    sector_processed_message,
    show_hide_finished_message,
    texture_finished_message,
    version_message,
    wait_for_objects_message,
    sessions_all_message,
    sessions_user_message,
    detach_enable,
    // safeguards
    flood_message,
    all_limit_message,
    all_message,
    no_all_message,
    // phrases
    phrase_cells,
    phrase_citizen,
    phrase_extents_to,
    phrase_extents,
    phrase_markers,
    phrase_offline,
    phrase_percent_queried,
    phrase_terrain_rights,
    phrase_users,
    // commands
    cmd_all,
    cmd_begin,
    cmd_clickmode,
    cmd_delete,
    cmd_detach,
    cmd_ed,
    cmd_end,
    cmd_help,
    cmd_hide,
    cmd_rights,
    cmd_seed,
    cmd_sessions,
    cmd_show,
    cmd_stats,
    cmd_texture,
    cmd_version,
    Count
};

inline constexpr std::size_t kLangKeyCount = static_cast<std::size_t>(Lang::Count);
static_assert(kLangKeyCount == 83);
inline constexpr std::size_t kLangTextLimit = 255;

struct LangKeyInfo {
    const char* section;
    const char* key;
};
const LangKeyInfo& LangInfo(Lang key);

inline constexpr const char* kMissingTextPlaceholder =
    "As part of a required test protocol, the Quorvel Agency must inform you that the statement "
    "which would otherwise go here is missing.";

// Texts added after the 83 of the catalogue. Language files written before them lack them, so
// a missing one reads as its English text here, never as the placeholder.
enum class Added : int {
    cells_unchanged_message,
    rights_argument_error,
    own_rights_error,
    cmd_history,
    cmd_rollback,
    cmd_confirm,
    history_message,
    history_more_message,
    history_none_message,
    history_usage_error,
    rollback_usage_error,
    rollback_rights_error,
    journal_off_error,
    rollback_none_message,
    rollback_confirm_message,
    confirm_none_error,
    rollback_queued_message,
    rollback_skipped_message,
    rollback_finished_message,
    Count
};

inline constexpr std::size_t kAddedTextCount = static_cast<std::size_t>(Added::Count);

struct AddedTextInfo {
    const char* section;
    const char* key;
    const char* english;
};
const AddedTextInfo& AddedInfo(Added key);

class LanguageCatalogue final {
public:
    LanguageCatalogue();
    const std::string& operator[](Lang key) const { return texts_[static_cast<std::size_t>(key)]; }
    const std::string& operator[](Added key) const { return added_[static_cast<std::size_t>(key)]; }
    // Stores the text cut to its first 255 characters.
    void Set(Lang key, const std::string& text);
    void Set(Added key, const std::string& text);
    // A load has filled the texts (a later load that fails keeps them).
    bool Loaded() const { return loaded_; }
    void MarkLoaded() { loaded_ = true; }

private:
    bool loaded_ = false;
    std::array<std::string, kLangKeyCount> texts_{};
    std::array<std::string, kAddedTextCount> added_{};
};

inline constexpr const char* kInvalidLanguageFile = "Invalid language file";

// Reads the file named by LanguageFilename (relative to the working folder); texts the file lacks
// read as the placeholder, and one Error entry lists them. No file, no name, or a version other
// than 5 in section "terravane": FatalStop("Invalid language file: <why>"), the texts still read
// from the file. A structural error or a version that is no number: FatalStop at the first load,
// with every text the placeholder; at a later load the texts in use are kept, with an Error entry
// and a dialog.
void LoadLanguage(Bot& bot);

}  // namespace tv
