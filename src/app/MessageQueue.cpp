#include "app/MessageQueue.h"

#include <stdexcept>

namespace tv {

TAwMessage& EnqueueMessage(TAwMsgQueue& queue, int32_t session, MessageKind kind, uint8_t colour1, uint8_t colour2, uint8_t colour3, bool flag0, bool flag1, const std::string& text) { throw std::logic_error("not built yet: EnqueueMessage"); }
std::size_t PumpMessages(Bot& bot) { throw std::logic_error("not built yet: PumpMessages"); }
void SendQueuedMessage(AwSdk& sdk, const TAwMessage& message) { throw std::logic_error("not built yet: SendQueuedMessage"); }
void ReplyList(Bot& bot, int32_t session, const std::vector<std::string>& items) { throw std::logic_error("not built yet: ReplyList"); }

TAwMessage& TAwMsgQueue::Append(TAwMessage) { throw std::logic_error("not built yet"); }

}  // namespace tv
