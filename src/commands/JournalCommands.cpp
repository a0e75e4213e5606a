// The journal's chat commands: history lists the latest terrain changes around the user (or in
// the whole world, of one citizen, within a span), rollback puts back what a citizen changed,
// and confirm lets a large rollback go ahead.

#include <algorithm>

#include "app/AwSdk.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "commands/TerrainCommand.h"
#include "events/SessionTable.h"
#include "journal/Journal.h"
#include "journal/Rollback.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr int kHistoryLimit = 20;
constexpr int32_t kAroundUser = 2;  // the 5 x 5 cells around the user

JournalArea AreaAround(const TTerrainSession& session) {
    const int32_t x = WorldToCell(session.x, true);
    const int32_t z = WorldToCell(session.z, true);
    return {x - kAroundUser, x + kAroundUser, z - kAroundUser, z + kAroundUser};
}

// "01-01 00:05 #7 ada delete 1N 2W 5>none"
std::string HistoryItem(const JournalEntry& entry) {
    return Format(
        "%s #%d %s %s %s %s>%s",
        {UtcMinuteText(entry.time).substr(5), entry.citizen,
         entry.name.empty() ? std::string("?") : entry.name, JournalActionName(entry.action),
         CoordText(CellAnchor(entry.x), CellAnchor(entry.z)), DescribeMarker(entry.before.marker),
         DescribeMarker(entry.after.marker)});
}

// A citizen word: a number or a quoted name. Replies itself and returns false when it is none.
bool CitizenWord(Bot& bot, const TTerrainSession& session, const std::string& word, Added usage,
                 int32_t& citizen) {
    citizen = ParseCitNumFromString(bot, word);
    if (citizen == -1)
        Reply(bot, session.session, "'%s' %s", {word, bot.language[Lang::invalid_citname_message]});
    else if (citizen < 0)
        Reply(bot, session.session, "%s", {bot.language[usage]});
    return citizen >= 0;
}

// The journal's work for a command; a journal that fails on the way is switched off and the
// user told that there is none.
template <typename F>
void WithJournal(Bot& bot, const TTerrainSession& session, F&& work) {
    if (JournalOn(bot)) {
        try {
            work();
            return;
        } catch (const ESqliteError& error) {
            JournalFailed(bot, error);
        }
    }
    Reply(bot, session.session, "%s", {bot.language[Added::journal_off_error]});
}

void StartAndReply(Bot& bot, const TTerrainSession& session, const RollbackRequest& request,
                   const RollbackPlan& plan) {
    if (plan.cells.empty() && plan.skipped == 0) {
        Reply(bot, session.session, "%s", {bot.language[Added::rollback_none_message]});
        return;
    }
    StartCitizenRollback(bot, request, plan, session.session);
    Reply(bot, session.session, "%d %s %d %s",
          {static_cast<int>(plan.cells.size()), bot.language[Added::rollback_queued_message],
           plan.skipped, bot.language[Added::rollback_skipped_message]});
}

}  // namespace

void DoHistoryCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) {
    WithJournal(bot, session, [&] {
        JournalQuery query;
        query.world = bot.options.Login.World;
        query.area = AreaAround(session);
        for (std::size_t i = 1; i < words.size(); ++i) {
            const std::string& word = words[i];
            if (word.empty()) continue;
            if (SameText(word, bot.language[Lang::cmd_all])) {
                query.area.reset();
            } else if (const std::optional<int64_t> span = ParseSpan(word)) {
                query.since = bot.clock.UnixNow() - *span;
            } else {
                int32_t citizen = 0;
                if (!CitizenWord(bot, session, word, Added::history_usage_error, citizen)) return;
                query.citizen = citizen;
            }
        }
        int64_t total = 0;
        const std::vector<JournalEntry> entries =
            JournalDb(bot).Latest(query, kHistoryLimit, &total);
        if (entries.empty()) {
            Reply(bot, session.session, "%s", {bot.language[Added::history_none_message]});
            return;
        }
        std::vector<std::string> items;
        for (const JournalEntry& entry : entries) items.push_back(HistoryItem(entry));
        Reply(bot, session.session, "%s", {bot.language[Added::history_message]});
        ReplyList(bot, session.session, items);
        const int64_t more = total - static_cast<int64_t>(entries.size());
        if (more > 0)
            Reply(bot, session.session, "%d %s",
                  {static_cast<long long>(more), bot.language[Added::history_more_message]});
    });
}

void DoRollbackCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) {
    WithJournal(bot, session, [&] {
        const bool caretaker = bot.sdk.aw_int(attr::LoginCitizen) == session.privilege;
        if (!caretaker && !bot.sdk.aw_has_world_right(session.privilege, right::EminentDomain)) {
            Reply(bot, session.session, "%s", {bot.language[Added::rollback_rights_error]});
            return;
        }
        const std::optional<int64_t> span =
            words.size() >= 3 ? ParseSpan(words[2]) : std::optional<int64_t>();
        const bool all = words.size() == 4 && SameText(words[3], bot.language[Lang::cmd_all]);
        if (!span || words.size() > 4 || (words.size() == 4 && !all)) {
            Reply(bot, session.session, "%s", {bot.language[Added::rollback_usage_error]});
            return;
        }
        RollbackRequest request;
        if (!CitizenWord(bot, session, words[1], Added::rollback_usage_error, request.citizen))
            return;
        if (!RequireNothingPending(bot, session)) return;
        request.world = bot.options.Login.World;
        request.since = bot.clock.UnixNow() - *span;
        if (!all) request.area = AreaAround(session);
        request.actor = session.privilege;
        request.actorName = session.name;
        const RollbackPlan plan = PlanCitizenRollback(bot, request);
        if (plan.cells.size() > static_cast<std::size_t>(kConfirmAbove)) {
            auto& waiting = bot.world.rollbacks.confirmations;
            std::erase_if(waiting, [&](const RollbackConfirmation& confirmation) {
                return confirmation.session == session.session;
            });
            waiting.push_back({session.session, request, bot.ClockSeconds() + kConfirmSeconds});
            Reply(bot, session.session, "%d %s",
                  {static_cast<int>(plan.cells.size()),
                   bot.language[Added::rollback_confirm_message]});
            return;
        }
        StartAndReply(bot, session, request, plan);
    });
}

void DoConfirmCommand(Bot& bot, TTerrainSession& session, const CommandWords&) {
    WithJournal(bot, session, [&] {
        auto& waiting = bot.world.rollbacks.confirmations;
        const auto found = std::find_if(waiting.begin(), waiting.end(),
                                        [&](const RollbackConfirmation& confirmation) {
                                            return confirmation.session == session.session &&
                                                   confirmation.until >= bot.ClockSeconds();
                                        });
        if (found == waiting.end()) {
            Reply(bot, session.session, "%s", {bot.language[Added::confirm_none_error]});
            return;
        }
        const RollbackRequest request = found->request;
        waiting.erase(found);
        // Planned again: the cells may have changed while the user thought it over.
        StartAndReply(bot, session, request, PlanCitizenRollback(bot, request));
    });
}

}  // namespace tv
