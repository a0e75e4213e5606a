#include "app/MessageQueue.h"

#include "app/AwSdk.h"
#include "app/Bot.h"

namespace tv {

namespace {

constexpr std::size_t kMessagesPerPump = 5;
// A packed line grows while prefix, line and next item stay below this many characters.
constexpr std::size_t kLineLimit = 246;

void EnqueueReply(TAwMsgQueue& queue, int32_t session, const std::string& text) {
    EnqueueMessage(queue, session, MessageKind::Console, 0, 0, 255, false, false, text);
}

}  // namespace

TAwMessage& TAwMsgQueue::Append(TAwMessage message) {
    std::deque<TAwMessage>& own = bySession_[message.session];
    if (own.empty()) turns_.push_back(message.session);
    ++count_;
    own.push_back(std::move(message));
    return own.back();
}

TAwMessage TAwMsgQueue::TakeNext() {
    const int32_t session = turns_.front();
    turns_.pop_front();
    auto own = bySession_.find(session);
    TAwMessage message = std::move(own->second.front());
    own->second.pop_front();
    --count_;
    if (own->second.empty())
        bySession_.erase(own);
    else
        turns_.push_back(session);
    return message;
}

std::size_t TAwMsgQueue::DropSession(int32_t session) {
    auto own = bySession_.find(session);
    if (own == bySession_.end()) return 0;
    const std::size_t dropped = own->second.size();
    bySession_.erase(own);
    std::erase(turns_, session);
    count_ -= dropped;
    return dropped;
}

void TAwMsgQueue::Clear() {
    bySession_.clear();
    turns_.clear();
    count_ = 0;
}

std::vector<TAwMessage> TAwMsgQueue::InSendOrder() const {
    TAwMsgQueue copy = *this;
    std::vector<TAwMessage> order;
    while (!copy.Empty()) order.push_back(copy.TakeNext());
    return order;
}

TAwMessage& EnqueueMessage(TAwMsgQueue& queue, int32_t session, MessageKind kind, uint8_t colour1,
                           uint8_t colour2, uint8_t colour3, bool flag0, bool flag1,
                           const std::string& text) {
    TAwMessage message;
    message.session = session;
    message.kind = kind;
    message.colour1 = colour1;
    message.colour2 = colour2;
    message.colour3 = colour3;
    message.SetFlag0(flag0);
    message.SetFlag1(flag1);
    message.text = text;
    return queue.Append(std::move(message));
}

void SendMessageNow(AwSdk& sdk, const TAwMessage& message) {
    switch (message.kind) {
        case MessageKind::Whisper:
            sdk.aw_whisper(message.session, message.text);
            break;
        case MessageKind::Say:
            sdk.aw_say(message.text);
            break;
        case MessageKind::Console:
            sdk.aw_bool_set(attr::ConsoleFlag0, message.Flag0());
            sdk.aw_bool_set(attr::ConsoleFlag1, message.Flag1());
            sdk.aw_int_set(attr::ConsoleRed, message.colour1);
            sdk.aw_int_set(attr::ConsoleGreen, message.colour2);
            sdk.aw_int_set(attr::ConsoleBlue, message.colour3);
            sdk.aw_string_set(attr::ConsoleMessage, message.text);
            sdk.aw_console_message(message.session);
            break;
    }
}

void SendQueuedMessage(AwSdk& sdk, const TAwMessage& message) {
    SendMessageNow(sdk, message);
    sdk.aw_wait(0);
}

std::size_t PumpMessages(Bot& bot) {
    TAwMsgQueue& queue = bot.messages;
    for (std::size_t sent = 0; sent < kMessagesPerPump && !queue.Empty(); ++sent) {
        // Taken off the queue before sending: the wait after the send runs handlers that may
        // queue more messages (they join their recipient's turn) or even pump the queue.
        SendQueuedMessage(bot.sdk, queue.TakeNext());
    }
    return queue.Count();
}

void Reply(Bot& bot, int32_t session, std::string_view format,
           std::initializer_list<FormatArg> args) {
    std::string text = Format(format, args);
    EnqueueReply(bot.messages, session, kReplyPrefix + text);
}

void ReplyNow(Bot& bot, int32_t session, const std::string& text) {
    TAwMessage message;
    message.session = session;
    message.kind = MessageKind::Console;
    message.colour3 = 255;
    message.text = kReplyPrefix + text;
    SendMessageNow(bot.sdk, message);
}

std::vector<std::string> PackReplyLines(const std::vector<std::string>& items) {
    std::vector<std::string> lines;
    if (items.empty()) return lines;
    const std::string prefix = kReplyPrefix;
    std::string line = prefix;
    for (const std::string& item : items) {
        if (line.size() + item.size() < kLineLimit) {
            if (line.size() != prefix.size()) line += ", ";
            line += item;
            continue;
        }
        // An item too long for any line starts its own; the bare prefix is not sent on its own.
        if (line.size() != prefix.size()) lines.push_back(line);
        line = prefix + item;
    }
    lines.push_back(line);
    return lines;
}

void ReplyList(Bot& bot, int32_t session, const std::vector<std::string>& items) {
    for (const std::string& line : PackReplyLines(items)) EnqueueReply(bot.messages, session, line);
}

}  // namespace tv
