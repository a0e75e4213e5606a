#pragma once
// journal.db written off the heartbeat: the heartbeat hands each tick's entries over and goes on,
// and one writer thread appends them, a transaction a tick, in the order they came (SQLite's
// writes hold the bot up only when one takes longer than a heartbeat). The connection is the
// writer's while it has entries to write; the bot's own queries wait until it is idle, so they
// see every entry handed over before them. A write that fails is kept for the bot to report;
// nothing more is written after it.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "journal/JournalStore.h"

namespace tv {

class JournalWriter final {
public:
    explicit JournalWriter(std::unique_ptr<JournalStore> store);
    // Writes what was handed over, then stops.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // One heartbeat's entries, in order, once the batch before them is written; nothing for an
    // empty list.
    void Submit(std::vector<JournalEntry> entries);
    // The store, once every entry handed over is written. Only the heartbeat's thread hands
    // entries over, so the writer stays idle while that thread uses the store.
    JournalStore& Idle();
    // The first failed write's message, taken once; empty when none.
    std::string TakeError();

private:
    void Run();

    std::unique_ptr<JournalStore> store_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<JournalEntry>> batches_;
    bool writing_ = false;
    bool stopping_ = false;
    bool failed_ = false;
    std::string error_;
    std::thread thread_;  // last: started once everything above exists
};

}  // namespace tv
