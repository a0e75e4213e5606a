// The embedded world's simulated users and connection, and the calls through which the bot
// talks to users: console messages, say, whisper, URLs, ejects, rights and citizen look-ups.

#include "world/SimWorld.h"

#include <algorithm>

#include "world/SimWorldImpl.h"

namespace tv {

// ---- Simulated users --------------------------------------------------------------------------

int SimWorld::UserEnter(int32_t session, int32_t citizen, int32_t x, int32_t y, int32_t z,
                        std::optional<int32_t> privilege, std::optional<std::string> name) {
    SimWorldState* world = impl_->UserWorld();
    if (!world) return reason::NoSuchWorld;
    const SimCitizen* known = citizen != 0 ? impl_->FindCitizen(citizen) : nullptr;
    if (citizen != 0 && !known) return reason::NoSuchCitizen;
    const std::string avatarName = name.value_or(known ? known->name : std::string("Tourist"));
    auto ejected = world->ejectedUntilMs.find(EjectKey(citizen, avatarName));
    if (ejected != world->ejectedUntilMs.end()) {
        if (impl_->clock.MonotonicMs() < ejected->second) return reason::Ejected;
        world->ejectedUntilMs.erase(ejected);
    }
    SimAvatar* avatar = world->FindAvatar(session);
    if (!avatar) {
        world->avatars.push_back({});
        avatar = &world->avatars.back();
    }
    *avatar = SimAvatar{session, avatarName, citizen, privilege.value_or(citizen), x, y, z};
    if (impl_->BotSees(*world)) impl_->QueueEvent(event::AvatarAdd, AvatarAttributes(*avatar));
    return reason::Success;
}

int SimWorld::UserMove(int32_t session, int32_t x, int32_t y, int32_t z) {
    SimWorldState* world = impl_->UserWorld();
    SimAvatar* avatar = world ? world->FindAvatar(session) : nullptr;
    if (!avatar) return reason::NoSuchSession;
    avatar->x = x;
    avatar->y = y;
    avatar->z = z;
    if (impl_->BotSees(*world)) impl_->QueueEvent(event::AvatarChange, AvatarAttributes(*avatar));
    return reason::Success;
}

int SimWorld::UserLeave(int32_t session) {
    SimWorldState* world = impl_->UserWorld();
    SimAvatar* avatar = world ? world->FindAvatar(session) : nullptr;
    if (!avatar) return reason::NoSuchSession;
    const SimAttributes leaving = {IntAttribute(attr::AvatarSession, session),
                                   TextAttribute(attr::AvatarName, avatar->name)};
    std::erase_if(world->avatars, [&](const SimAvatar& a) { return a.session == session; });
    if (impl_->BotSees(*world)) impl_->QueueEvent(event::AvatarDelete, leaving);
    return reason::Success;
}

int SimWorld::UserChat(int32_t session, const std::string& text) {
    SimWorldState* world = impl_->UserWorld();
    if (!world || !world->FindAvatar(session)) return reason::NoSuchSession;
    if (impl_->BotSees(*world))
        impl_->QueueEvent(event::Chat, {IntAttribute(attr::ChatSession, session),
                                        TextAttribute(attr::ChatText, text)});
    return reason::Success;
}

int SimWorld::UserBuild(int32_t session, const SimObjectSpec& shape) {
    SimWorldState* world = impl_->UserWorld();
    const SimAvatar* avatar = world ? world->FindAvatar(session) : nullptr;
    if (!avatar) return reason::NoSuchSession;
    if (!world->CellInside(FloorCell(shape.x), FloorCell(shape.z))) return reason::OutOfWorld;
    SimObject object = impl_->ObjectFromShape(shape, avatar->citizen);
    world->objects.Add(object);
    if (impl_->BotSees(*world)) impl_->QueueObjectEvent(event::ObjectAdd, object, session);
    if (listener_) listener_->OnObjectAdded(object, session);
    return reason::Success;
}

int SimWorld::UserDelete(int32_t session, int32_t x, int32_t z) {
    SimWorldState* world = impl_->UserWorld();
    if (!world || !world->FindAvatar(session)) return reason::NoSuchSession;
    const SimObject* found = world->objects.At(x, z);
    if (!found) return reason::NoSuchObject;
    const SimObject old = *found;
    world->objects.Remove(old.number);
    if (impl_->BotSees(*world)) impl_->QueueObjectEvent(event::ObjectDelete, old, session);
    if (listener_) listener_->OnObjectDeleted(old, session);
    return reason::Success;
}

// Click and select report the object with the session of the user who pointed at it.
int SimWorld::Impl::PointAt(int eventNumber, int32_t session, int32_t x, int32_t z) {
    SimWorldState* world = UserWorld();
    if (!world || !world->FindAvatar(session)) return reason::NoSuchSession;
    const SimObject* found = world->objects.At(x, z);
    if (!found) return reason::NoSuchObject;
    if (BotSees(*world)) {
        QueueObjectEvent(eventNumber, *found, std::nullopt, false,
                         {IntAttribute(attr::AvatarSession, session)});
    }
    return reason::Success;
}

int SimWorld::UserClick(int32_t session, int32_t x, int32_t z) {
    return impl_->PointAt(event::ObjectClick, session, x, z);
}

int SimWorld::UserSelect(int32_t session, int32_t x, int32_t z) {
    return impl_->PointAt(event::ObjectSelect, session, x, z);
}

// ---- Connection -------------------------------------------------------------------------------

void SimWorld::Disconnect() {
    if (!impl_->created || impl_->disconnected) return;
    impl_->disconnected = true;
    impl_->DropAnswers();
    impl_->QueueEvent(event::WorldDisconnect, {});
}

void SimWorld::Reconnect() {
    if (!impl_->created || !impl_->disconnected) return;
    impl_->disconnected = false;
    if (impl_->entered) impl_->QueueWorldArrival();
}

bool SimWorld::Connected() const {
    return impl_->created && !impl_->disconnected;
}

// ---- Talking to users -------------------------------------------------------------------------

int SimWorld::aw_console_message(int session) {
    if (auto result = Begin("aw_console_message", [&] { return std::to_string(session); }))
        return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    if (!impl_->entered->FindAvatar(session)) return reason::NoSuchSession;
    SimConsoleMessage message;
    message.session = session;
    message.text = impl_->Text(attr::ConsoleMessage);
    message.red = impl_->Int(attr::ConsoleRed);
    message.green = impl_->Int(attr::ConsoleGreen);
    message.blue = impl_->Int(attr::ConsoleBlue);
    message.flag0 = impl_->Int(attr::ConsoleFlag0) != 0;
    message.flag1 = impl_->Int(attr::ConsoleFlag1) != 0;
    impl_->Sent(12 + message.text.size());
    consoleLog_.push_back(message);
    if (listener_) listener_->OnConsoleMessage(message);
    return reason::Success;
}

int SimWorld::aw_say(const std::string& text) {
    if (auto result = Begin("aw_say", [&] { return Quoted(text); })) return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    impl_->Sent(text.size());
    actionLog_.push_back("say(" + Quoted(text) + ")");
    if (listener_) listener_->OnSay(text);
    return reason::Success;
}

int SimWorld::aw_whisper(int session, const std::string& text) {
    if (auto result =
            Begin("aw_whisper", [&] { return std::to_string(session) + "," + Quoted(text); }))
        return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    if (!impl_->entered->FindAvatar(session)) return reason::NoSuchSession;
    impl_->Sent(4 + text.size());
    actionLog_.push_back("whisper(" + std::to_string(session) + "," + Quoted(text) + ")");
    if (listener_) listener_->OnWhisper(session, text);
    return reason::Success;
}

int SimWorld::aw_url_send(int session, const std::string& url, const std::string& target) {
    const std::string arguments =
        std::to_string(session) + "," + Quoted(url) + "," + Quoted(target);
    if (auto result = Begin("aw_url_send", [&] { return arguments; })) return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    if (!impl_->entered->FindAvatar(session)) return reason::NoSuchSession;
    impl_->Sent(4 + url.size() + target.size());
    actionLog_.push_back("url(" + arguments + ")");
    if (listener_) listener_->OnUrl(session, url, target);
    return reason::Success;
}

int SimWorld::aw_world_eject() {
    if (auto result = Begin("aw_world_eject", [] { return std::string(); })) return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    SimWorldState& world = *impl_->entered;
    const int32_t session = impl_->Int(attr::EjectSession);
    const int32_t seconds = impl_->Int(attr::EjectDuration);
    SimAvatar* avatar = world.FindAvatar(session);
    if (!avatar) return reason::NoSuchSession;
    impl_->Sent(8);
    world.ejectedUntilMs[EjectKey(avatar->citizen, avatar->name)] =
        impl_->clock.MonotonicMs() + static_cast<int64_t>(std::max(seconds, 0)) * 1000;
    const SimAttributes leaving = {IntAttribute(attr::AvatarSession, session),
                                   TextAttribute(attr::AvatarName, avatar->name)};
    std::erase_if(world.avatars, [&](const SimAvatar& a) { return a.session == session; });
    impl_->QueueEvent(event::AvatarDelete, leaving, true);
    actionLog_.push_back("eject(" + std::to_string(session) + "," + std::to_string(seconds) + ")");
    if (listener_) listener_->OnEject(session, seconds);
    return reason::Success;
}

// ---- Rights, citizens, traffic ----------------------------------------------------------------

int SimWorld::aw_has_world_right(int citizen, int right) {
    if (auto result = Begin("aw_has_world_right",
                            [&] { return std::to_string(citizen) + "," + std::to_string(right); }))
        return *result;
    if (!impl_->created || !impl_->entered) return 0;
    const auto& rights = impl_->entered->rights;
    auto it = rights.find(citizen);
    return it != rights.end() && it->second.count(right) ? 1 : 0;
}

int SimWorld::aw_citizen_attributes_by_name(const std::string& name) {
    if (auto result = Begin("aw_citizen_attributes_by_name", [&] { return Quoted(name); }))
        return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    if (!impl_->created) return reason::NoInstance;
    if (impl_->disconnected) return reason::NoConnection;
    if (!impl_->loggedIn) return reason::NotLoggedIn;
    impl_->Sent(name.size());
    impl_->bytesIn += 16;
    const std::string wanted = LowerCase(name);
    for (const auto& citizen : impl_->citizens) {
        if (LowerCase(citizen.name) != wanted) continue;
        impl_->SetInt(attr::FoundCitizenNumber, citizen.number);
        return reason::Success;
    }
    return reason::NoSuchCitizen;
}

int SimWorld::aw_traffic_count(unsigned* bytesIn, unsigned* bytesOut) {
    if (auto result = Begin("aw_traffic_count", [] { return std::string(); })) return *result;
    if (!bytesIn || !bytesOut) return reason::InvalidArgument;
    *bytesIn = static_cast<unsigned>(impl_->bytesIn);
    *bytesOut = static_cast<unsigned>(impl_->bytesOut);
    impl_->bytesIn = 0;
    impl_->bytesOut = 0;
    return reason::Success;
}

}  // namespace tv
