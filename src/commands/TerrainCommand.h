#pragma once
// The chat command language: "t:" then a command word from the language file and its arguments.
// The dispatcher splits the words, finds the command, runs its pre-check and its handler, and
// turns any error into one reply.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "config/Language.h"

namespace tv {

class Bot;
struct TTerrainSession;
struct TRightsTarget;

using CommandWords = std::vector<std::string>;
using CommandHandler = void (*)(Bot&, TTerrainSession&, const CommandWords&);
using CommandPreCheck = bool (*)(Bot&, TTerrainSession&);

// One row of the command table. The word a user types is the language text of `key`, so a
// translated file translates the commands too; a row without a key has a fixed word.
struct CommandRow {
    std::variant<std::monostate, Lang, Added> key;
    const char* fixedWord;
    CommandHandler handler;
    CommandPreCheck preCheck;  // null: none
};
// The 15 rows of the bot's first commands, then the journal's history, rollback and confirm.
inline constexpr std::size_t kCommandRows = 18;
// Searched in order: when two keys hold the same word, the earlier row wins.
const std::array<CommandRow, kCommandRows>& CommandTable();
std::string CommandWord(const Bot& bot, const CommandRow& row);

std::vector<std::string> SplitCommandLine(const std::string& text);
void ProcessCommand(Bot& bot, TTerrainSession& session, const std::string& text);
bool RequireEnabled(Bot& bot, TTerrainSession& session);
bool RequireCaretaker(Bot& bot, TTerrainSession& session);
// False, telling the user how many of their commands are queued and to wait, while requests of
// theirs are still pending.
bool RequireNothingPending(Bot& bot, TTerrainSession& session);
// A citizen number; -1 for an unknown quoted name; -2 for text that is not a decimal number.
int32_t ParseCitNumFromString(Bot& bot, const std::string& text);
bool ParseCitNum(Bot& bot, TTerrainSession& session, const std::string& text, int32_t& citnum);

// Handlers.
void DoBeginCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoEndCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoClickModeCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoShowHideCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoHelpCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoRightsCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoSeedCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoSessionsCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoStatsCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoTextureCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoVersionCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoClearCacheCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoHistoryCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoRollbackCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);
void DoConfirmCommand(Bot& bot, TTerrainSession& session, const CommandWords& words);

int TerrainCacheAreaCommand(Bot& bot, int32_t cellX, int32_t cellZ, int32_t citNum, uint8_t state,
                            int32_t boxSize, int32_t session, bool ignoreCitnum);
int TerrainCacheAreaTexture(Bot& bot, int32_t cellX, int32_t cellZ, int32_t citNum,
                            uint16_t rotation, int32_t texture, bool hole, int32_t session,
                            int32_t boxSize);
// Tells the users whose privilege or citizen number the change names, and switches every other
// working user off.
void NotifyRightsChange(Bot& bot, TTerrainSession& caller, const std::string& text,
                        const TRightsTarget& target);

inline constexpr const char* kHomePageUrl = "https://terravane.example.org/terravane2";

}  // namespace tv
