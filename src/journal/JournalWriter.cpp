#include "journal/JournalWriter.h"

#include <utility>

namespace tv {

JournalWriter::JournalWriter(std::unique_ptr<JournalStore> store)
    : store_(std::move(store)), thread_([this] { Run(); }) {}

JournalWriter::~JournalWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void JournalWriter::Submit(std::vector<JournalEntry> entries) {
    if (entries.empty()) return;
    {
        // The previous heartbeat's batch is written first: the writer is never more than one
        // transaction behind, so a crash loses no more than the heartbeat being written.
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return batches_.empty() && !writing_; });
        if (failed_) return;
        batches_.push_back(std::move(entries));
    }
    changed_.notify_all();
}

JournalStore& JournalWriter::Idle() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return batches_.empty() && !writing_; });
    return *store_;
}

std::string JournalWriter::TakeError() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(error_, {});
}

void JournalWriter::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !batches_.empty(); });
        if (batches_.empty()) return;  // stopping, and everything is written
        std::vector<JournalEntry> batch = std::move(batches_.front());
        batches_.pop_front();
        writing_ = true;
        lock.unlock();
        std::string error;
        try {
            store_->Append(batch);
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        lock.lock();
        writing_ = false;
        if (!error.empty() && !failed_) {
            failed_ = true;
            error_ = error;
            batches_.clear();
        }
        changed_.notify_all();
    }
}

}  // namespace tv
