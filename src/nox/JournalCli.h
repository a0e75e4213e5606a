#pragma once
// The journal from the headless program, without logging in: --history prints the journal of
// the working folder as a table, --rollback keeps a citizen's rollback in it for the bot's next
// login. The world and the operator's citizen come from the folder's config.xml.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace tv {

// `args`: what follows --history: [--citizen N] [--since SPAN] [--cell X Z] [--world NAME]
// [--limit N]. Returns the exit status (2 for wrong arguments).
int PrintJournalHistory(const std::filesystem::path& dir, const std::vector<std::string>& args,
                        std::ostream& out, std::ostream& err);
// `args`: what follows --rollback: CITIZEN SPAN [--cell X Z] [--world NAME].
int QueueJournalRollback(const std::filesystem::path& dir, const std::vector<std::string>& args,
                         std::ostream& out, std::ostream& err);

}  // namespace tv
