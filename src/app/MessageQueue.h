#pragma once
// The outgoing message queue: everything the bot tells users goes through it, sent at most five
// messages per heartbeat tick and only while a session exists. Recipients take turns, one
// message each, so one busy user cannot hold up everybody else's replies; each recipient's own
// messages leave in the order they were queued. Reply and ReplyList are the only ways the bot
// talks to one user: console messages prefixed "Terravane:\t".

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/Format.h"

namespace tv {

class Bot;
class AwSdk;

enum class MessageKind : uint8_t { Whisper = 0, Say = 1, Console = 2 };

struct TAwMessage {
    int32_t session = 0;
    MessageKind kind = MessageKind::Console;
    uint8_t colour1 = 0, colour2 = 0, colour3 = 0;
    uint8_t style = 0;  // bit 0: attribute 332, bit 1: attribute 333

    bool Flag0() const { return (style & 1) != 0; }
    bool Flag1() const { return (style & 2) != 0; }
    void SetFlag0(bool on) { style = on ? (style | 1) : (style & ~1); }
    void SetFlag1(bool on) { style = on ? (style | 2) : (style & ~2); }

    std::string text;
};

class TAwMsgQueue final {
public:
    std::size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    TAwMessage& Append(TAwMessage message);
    // Takes the next message to send: the oldest of the recipient whose turn it is. A queue
    // that is not empty is needed.
    TAwMessage TakeNext();
    // Drops every message to one session (a user who left); returns how many.
    std::size_t DropSession(int32_t session);
    void Clear();
    // The queued messages in the order they would be sent.
    std::vector<TAwMessage> InSendOrder() const;

private:
    std::unordered_map<int32_t, std::deque<TAwMessage>> bySession_;
    std::deque<int32_t> turns_;  // recipients with messages, whose turn comes first first
    std::size_t count_ = 0;
};

inline constexpr const char* kReplyPrefix = "Terravane:\t";

TAwMessage& EnqueueMessage(TAwMsgQueue& queue, int32_t session, MessageKind kind, uint8_t colour1,
                           uint8_t colour2, uint8_t colour3, bool flag0, bool flag1,
                           const std::string& text);

// Sends up to five messages; returns how many are left.
std::size_t PumpMessages(Bot& bot);
void SendQueuedMessage(AwSdk& sdk, const TAwMessage& message);
// The SDK calls of one message, without the wait that follows a queued send.
void SendMessageNow(AwSdk& sdk, const TAwMessage& message);

// Formats one text (throws EConvertError on a mismatch) and queues it for one user.
void Reply(Bot& bot, int32_t session, std::string_view format,
           std::initializer_list<FormatArg> args = {});
// Sends one reply at once, past the queue: only for a user who is about to be sent away, whom a
// queued message would no longer reach.
void ReplyNow(Bot& bot, int32_t session, const std::string& text);
// The lines ReplyList queues, each starting with the prefix; none for an empty list.
std::vector<std::string> PackReplyLines(const std::vector<std::string>& items);
// Packs the strings into lines: ", " between items, a new line when prefix+line+item >= 246.
void ReplyList(Bot& bot, int32_t session, const std::vector<std::string>& items);

}  // namespace tv
