// The embedded world's inner state: lookups, the attribute store, the delivery queue.

#include <algorithm>
#include <cctype>

#include "world/SimWorldImpl.h"

namespace tv {

int32_t FloorCell(int32_t worldUnits) {
    int32_t cell = worldUnits / 1000;
    if (worldUnits % 1000 != 0 && worldUnits < 0) --cell;
    return cell;
}

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string EjectKey(int32_t citizen, const std::string& name) {
    return citizen != 0 ? "citizen " + std::to_string(citizen) : "tourist " + LowerCase(name);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

SimAttributeSet IntAttribute(int number, int value) {
    return {number, false, value, {}};
}

SimAttributeSet TextAttribute(int number, const std::string& text) {
    return {number, true, 0, text};
}

SimAttributes AvatarAttributes(const SimAvatar& avatar) {
    return {
        IntAttribute(attr::AvatarSession, avatar.session),
        TextAttribute(attr::AvatarName, avatar.name),
        IntAttribute(attr::AvatarX, avatar.x),
        IntAttribute(attr::AvatarY, avatar.y),
        IntAttribute(attr::AvatarZ, avatar.z),
        IntAttribute(attr::AvatarCitizen, avatar.citizen),
        IntAttribute(attr::AvatarPrivilege, avatar.privilege),
    };
}

bool SimWorldState::CellInside(int32_t cellX, int32_t cellZ) const {
    return cellX >= -size && cellX <= size && cellZ >= -size && cellZ <= size;
}

SimAvatar* SimWorldState::FindAvatar(int32_t session) {
    for (auto& avatar : avatars)
        if (avatar.session == session) return &avatar;
    return nullptr;
}

SimCitizen* SimWorld::Impl::FindCitizen(int32_t number) {
    for (auto& citizen : citizens)
        if (citizen.number == number) return &citizen;
    return nullptr;
}

SimWorldState* SimWorld::Impl::FindWorld(const std::string& name) {
    const std::string wanted = LowerCase(name);
    for (auto& world : worlds)
        if (LowerCase(world.name) == wanted) return &world;
    return nullptr;
}

const SimWorldState* SimWorld::Impl::FindWorld(const std::string& name) const {
    return const_cast<Impl*>(this)->FindWorld(name);
}

SimWorldState* SimWorld::Impl::UserWorld() {
    if (entered) return entered;
    if (lastEntered) return lastEntered;
    return worlds.empty() ? nullptr : &worlds.front();
}

const SimWorldState* SimWorld::Impl::UserWorld() const {
    return const_cast<Impl*>(this)->UserWorld();
}

bool SimWorld::Impl::BotSees(const SimWorldState& world) const {
    return created && !disconnected && entered == &world;
}

int SimWorld::Impl::WorldCallCheck() const {
    if (!initialized) return reason::NotInitialized;
    if (!created) return reason::NoInstance;
    if (disconnected) return reason::NoConnection;
    if (!loggedIn) return reason::NotLoggedIn;
    if (!entered) return reason::NotInWorld;
    return reason::Success;
}

int SimWorld::Impl::Int(int number) const {
    const SimAttribute* found = attributes.Find(number);
    return found ? found->value : 0;
}

std::string SimWorld::Impl::Text(int number) const {
    const SimAttribute* found = attributes.Find(number);
    return found ? found->text : std::string();
}

void SimWorld::Impl::SetInt(int number, int value) {
    attributes[number].value = value;
}

void SimWorld::Impl::SetText(int number, const std::string& text) {
    attributes[number].text = text;
}

void SimWorld::Impl::Queue(bool isCallback, int number, int reason, SimAttributes set,
                           bool answer) {
    SimDelivery delivery;
    delivery.isCallback = isCallback;
    delivery.number = number;
    delivery.reason = reason;
    delivery.attributes = std::move(set);
    delivery.sequence = nextSequence++;
    delivery.dueWait = waitCount + 1 + static_cast<uint64_t>(answerDelay);
    delivery.answer = answer;
    queue.push_back(std::move(delivery));
}

void SimWorld::Impl::QueueObjectEvent(int number, const SimObject& object,
                                      std::optional<int32_t> bySession, bool answer,
                                      SimAttributes more) {
    Queue(false, number, 0, std::move(more), answer);
    queue.back().object = SimObjectReport{object, bySession};
}

std::size_t SimWorld::Impl::SetObjectAttributes(const SimObjectReport& report) {
    const SimObject& object = report.object;
    std::size_t bytes = 0;
    auto setInt = [&](int number, int value) {
        SetInt(number, value);
        bytes += 4;
    };
    auto setText = [&](int number, const std::string& text) {
        SetText(number, text);
        bytes += text.size() + 2;
    };
    setInt(attr::CellX, FloorCell(object.x));
    setInt(attr::CellZ, FloorCell(object.z));
    setInt(attr::ObjectNumber, static_cast<int>(object.number));
    setInt(attr::ObjectId, object.id);
    setInt(attr::ObjectX, object.x);
    setInt(attr::ObjectY, object.y);
    setInt(attr::ObjectZ, object.z);
    setInt(attr::ObjectYaw, object.yaw);
    setInt(attr::ObjectTilt, object.tilt);
    setInt(attr::ObjectRoll, object.roll);
    setText(attr::ObjectModel, object.model);
    setText(attr::ObjectDescription, object.description);
    setText(attr::ObjectAction, object.action);
    setInt(attr::ObjectOwner, object.owner);
    setInt(attr::ObjectTimestamp, object.timestamp);
    setInt(attr::ObjectType, object.type);
    setText(attr::ObjectData, object.data);
    if (report.bySession) setInt(attr::ObjectSession, *report.bySession);
    return bytes;
}

void SimWorld::Impl::QueueWorldArrival() {
    SimWorldState& world = *entered;
    const auto& held = world.rights[loginCitizen];
    QueueEvent(
        event::WorldAttributes,
        {TextAttribute(attr::WorldName, world.name), IntAttribute(attr::WorldSize, world.size),
         IntAttribute(attr::WorldCaretakerRight, held.count(57) ? 1 : 0),
         IntAttribute(attr::WorldEminentDomainRight, held.count(162) ? 1 : 0)});
    for (const auto& avatar : world.avatars) QueueEvent(event::AvatarAdd, AvatarAttributes(avatar));
}

void SimWorld::Impl::DropAnswers() {
    queue.EraseIf([](const SimDelivery& delivery) { return delivery.answer; });
}

void SimWorld::Impl::Deliver() {
    // Only what was queued before this wait is delivered: handlers that queue more (or call
    // aw_wait again) cannot keep one wait going for ever.
    const uint64_t end = nextSequence;
    struct DeliveringFlag {
        bool& flag;
        explicit DeliveringFlag(bool& f) : flag(f) { flag = true; }
        ~DeliveringFlag() { flag = false; }
    } guard(delivering);
    while (!queue.empty() && queue.front().sequence < end && queue.front().dueWait <= waitCount) {
        SimDelivery delivery = queue.TakeFront();
        std::size_t bytes = 16;
        if (delivery.cell) {
            SetInt(attr::CellX, delivery.cell->first);
            SetInt(attr::CellZ, delivery.cell->second);
            bytes += 8;
        }
        if (delivery.object) bytes += SetObjectAttributes(*delivery.object);
        for (const auto& set : delivery.attributes) {
            if (set.isText) {
                SetText(set.number, set.text);
                bytes += set.text.size() + 2;
            } else {
                SetInt(set.number, set.value);
                bytes += 4;
            }
        }
        bytesIn += bytes;
        // The handler runs from a copy: it may destroy the instance (and so the handler maps).
        if (delivery.isCallback) {
            auto it = callbackHandlers.find(delivery.number);
            if (it == callbackHandlers.end() || !it->second) continue;
            AwCallbackHandler handler = it->second;
            handler(delivery.reason);
        } else {
            auto it = eventHandlers.find(delivery.number);
            if (it == eventHandlers.end() || !it->second) continue;
            AwEventHandler handler = it->second;
            handler();
        }
    }
}

void SimWorld::Impl::DestroyInstance() {
    created = false;
    loggedIn = false;
    disconnected = false;
    loginCitizen = 0;
    entered = nullptr;
    attributes.Clear();
    eventHandlers.clear();
    callbackHandlers.clear();
    queue.clear();
}

SimObject SimWorld::Impl::ObjectFromAttributes() const {
    SimObject object;
    object.x = Int(attr::ObjectX);
    object.y = Int(attr::ObjectY);
    object.z = Int(attr::ObjectZ);
    object.yaw = Int(attr::ObjectYaw);
    object.tilt = Int(attr::ObjectTilt);
    object.roll = Int(attr::ObjectRoll);
    object.model = Text(attr::ObjectModel);
    object.description = Text(attr::ObjectDescription);
    object.action = Text(attr::ObjectAction);
    object.owner = Int(attr::ObjectOwner);
    object.type = Int(attr::ObjectType);
    object.data = Text(attr::ObjectData);
    return object;
}

void SimWorld::Impl::Stamp(SimObject& object) {
    object.id = nextId++;
    object.timestamp = static_cast<int32_t>(clock.UnixNow());
}

SimObject SimWorld::Impl::ObjectFromShape(const SimObjectSpec& shape, int32_t owner) {
    SimObject object;
    object.x = shape.x;
    object.y = shape.y;
    object.z = shape.z;
    object.yaw = shape.yaw;
    object.tilt = shape.tilt;
    object.roll = shape.roll;
    object.type = shape.type;
    object.model = shape.model;
    object.description = shape.description;
    object.action = shape.action;
    object.owner = shape.owner.value_or(owner);
    object.number = nextNumber++;
    Stamp(object);
    return object;
}

}  // namespace tv
