// The embedded world: universe setup, inspection, fault knobs, the instance's life and the
// attribute store.

#include "world/SimWorld.h"

#include <stdexcept>

#include "world/SimWorldImpl.h"

namespace tv {

SimWorld::SimWorld(Clock& clock) : impl_(std::make_unique<Impl>(clock)) {}
SimWorld::~SimWorld() = default;

// ---- Universe setup ---------------------------------------------------------------------------

void SimWorld::AddCitizen(int32_t number, const std::string& name, const std::string& password) {
    if (SimCitizen* known = impl_->FindCitizen(number)) {
        known->name = name;
        if (!password.empty()) known->password = password;
        return;
    }
    impl_->citizens.push_back({number, name, password});
}

void SimWorld::AddWorld(const std::string& name, int32_t size) {
    if (size < 0) throw std::invalid_argument("world size must not be negative");
    if (SimWorldState* known = impl_->FindWorld(name)) {
        known->size = size;
        return;
    }
    SimWorldState world;
    world.name = name;
    world.size = size;
    impl_->worlds.push_back(std::move(world));
}

void SimWorld::SetWorldRight(const std::string& world, int32_t citizen, int right, bool granted) {
    SimWorldState* found = impl_->FindWorld(world);
    if (!found) throw std::invalid_argument("unknown world: " + world);
    if (granted)
        found->rights[citizen].insert(right);
    else
        found->rights[citizen].erase(right);
}

uint32_t SimWorld::PlaceObject(const std::string& world, const SimObjectSpec& shape) {
    PlaceObjects(world, {shape});
    return impl_->nextNumber - 1;
}

void SimWorld::PlaceObjects(const std::string& world, const std::vector<SimObjectSpec>& shapes) {
    SimWorldState* found = impl_->FindWorld(world);
    if (!found) throw std::invalid_argument("unknown world: " + world);
    for (const SimObjectSpec& shape : shapes)
        if (!found->CellInside(FloorCell(shape.x), FloorCell(shape.z)))
            throw std::invalid_argument("object position outside the world");
    found->objects.Reserve(found->objects.Size() + shapes.size());
    for (const SimObjectSpec& shape : shapes) found->objects.Add(impl_->ObjectFromShape(shape, 0));
}

// ---- Faults -----------------------------------------------------------------------------------

void SimWorld::FailNext(const std::string& call, int reason, int count) {
    if (count <= 0) return;
    impl_->faults[call].push_back({false, reason, count});
    ++plannedFaults_;
}

void SimWorld::MuteNext(const std::string& call, int count) {
    if (count <= 0) return;
    impl_->faults[call].push_back({true, 0, count});
    ++plannedFaults_;
}

void SimWorld::DelayAnswers(int waits) {
    impl_->answerDelay = waits > 0 ? waits : 0;
}

void SimWorld::ClearFaults() {
    impl_->faults.clear();
    plannedFaults_ = 0;
}

std::optional<int> SimWorld::BeginWatched(const char* call, const std::string& arguments) {
    if (callLogging_) callLog_.push_back(std::string(call) + "(" + arguments + ")");
    if (plannedFaults_ == 0) return std::nullopt;
    auto it = impl_->faults.find(call);
    if (it == impl_->faults.end() || it->second.empty()) return std::nullopt;
    SimFault& fault = it->second.front();
    const int result = fault.mute ? 0 : fault.reason;
    if (--fault.remaining <= 0) {
        it->second.pop_front();
        --plannedFaults_;
    }
    return result;
}

// ---- Inspection -------------------------------------------------------------------------------

std::vector<SimObject> SimWorld::Objects(const std::string& world) const {
    const SimWorldState* found = impl_->FindWorld(world);
    return found ? found->objects.All() : std::vector<SimObject>{};
}

const SimObject* SimWorld::ObjectAt(const std::string& world, int32_t x, int32_t z) const {
    const SimWorldState* found = impl_->FindWorld(world);
    if (!found) return nullptr;
    return found->objects.At(x, z);
}

std::optional<SimWorld::Terrain> SimWorld::TerrainAt(const std::string& world, int32_t cellX,
                                                     int32_t cellZ) const {
    const SimWorldState* found = impl_->FindWorld(world);
    if (!found) return std::nullopt;
    return found->terrain.At(cellX, cellZ);
}

std::string SimWorld::EnteredWorld() const {
    return impl_->entered ? impl_->entered->name : std::string();
}

std::size_t SimWorld::PendingDeliveries() const {
    return impl_->queue.size();
}

int SimWorld::AttributeInt(int attribute) const {
    return impl_->Int(attribute);
}

std::string SimWorld::AttributeText(int attribute) const {
    return impl_->Text(attribute);
}

std::vector<int32_t> SimWorld::AvatarSessions() const {
    std::vector<int32_t> sessions;
    if (const SimWorldState* world = impl_->UserWorld())
        for (const auto& avatar : world->avatars) sessions.push_back(avatar.session);
    return sessions;
}

// ---- The instance's life ----------------------------------------------------------------------

int SimWorld::aw_init(int build) {
    if (auto result = Begin("aw_init", [&] { return std::to_string(build); })) return *result;
    if (build != kSdkBuild) return reason::WrongBuild;
    impl_->initialized = true;
    return reason::Success;
}

int SimWorld::aw_create(const std::string& host, int port, void** instance) {
    if (auto result = Begin("aw_create", [&] { return Quoted(host) + "," + std::to_string(port); }))
        return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    if (impl_->created) return reason::AlreadyCreated;
    if (LowerCase(host) != LowerCase(kUniverseHost) || port != kUniversePort)
        return reason::UnknownHost;
    impl_->DestroyInstance();
    impl_->created = true;
    if (instance) *instance = impl_.get();
    impl_->Sent(host.size());
    return reason::Success;
}

int SimWorld::aw_login() {
    if (auto result = Begin("aw_login", [] { return std::string(); })) return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    if (!impl_->created) return reason::NoInstance;
    if (impl_->disconnected) return reason::NoConnection;
    const std::string password = impl_->Text(attr::LoginPrivilegePassword);
    impl_->Sent(4 + password.size() + impl_->Text(attr::ApplicationName).size() +
                impl_->Text(attr::ApplicationVersion).size());
    impl_->bytesIn += 16;
    const SimCitizen* citizen = impl_->FindCitizen(impl_->Int(attr::LoginCitizen));
    if (!citizen) return reason::InvalidCitizen;
    if (citizen->password != password) return reason::InvalidPassword;
    impl_->loggedIn = true;
    impl_->loginCitizen = citizen->number;
    return reason::Success;
}

int SimWorld::aw_enter(const std::string& world) {
    if (auto result = Begin("aw_enter", [&] { return Quoted(world); })) return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    if (!impl_->created) return reason::NoInstance;
    if (impl_->disconnected) return reason::NoConnection;
    if (!impl_->loggedIn) return reason::NotLoggedIn;
    impl_->Sent(world.size());
    impl_->bytesIn += 16;
    SimWorldState* found = impl_->FindWorld(world);
    if (!found) return reason::NoSuchWorld;
    impl_->entered = found;
    impl_->lastEntered = found;
    const auto& held = found->rights[impl_->loginCitizen];
    impl_->SetText(attr::WorldName, found->name);
    impl_->SetInt(attr::WorldSize, found->size);
    impl_->SetInt(attr::WorldCaretakerRight, held.count(57) ? 1 : 0);
    impl_->SetInt(attr::WorldEminentDomainRight, held.count(162) ? 1 : 0);
    impl_->QueueWorldArrival();
    return reason::Success;
}

int SimWorld::aw_wait(int milliseconds) {
    if (auto result = Begin("aw_wait", [&] { return std::to_string(milliseconds); }))
        return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    if (!impl_->created) return reason::NoInstance;
    if (impl_->delivering) return reason::Success;
    ++impl_->waitCount;
    impl_->Deliver();
    impl_->clock.Sleep(milliseconds);
    return reason::Success;
}

int SimWorld::aw_session() {
    if (auto result = Begin("aw_session", [] { return std::string(); })) return *result;
    return impl_->created ? kBotSession : 0;
}

int SimWorld::aw_destroy() {
    if (auto result = Begin("aw_destroy", [] { return std::string(); })) return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    if (!impl_->created) return reason::NoInstance;
    impl_->DestroyInstance();
    return reason::Success;
}

int SimWorld::aw_term() {
    if (auto result = Begin("aw_term", [] { return std::string(); })) return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    impl_->DestroyInstance();
    impl_->initialized = false;
    return reason::Success;
}

int SimWorld::aw_event_set(int event, AwEventHandler handler) {
    if (auto result = Begin("aw_event_set", [&] { return std::to_string(event); })) return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    if (!impl_->created) return reason::NoInstance;
    impl_->eventHandlers[event] = std::move(handler);
    return reason::Success;
}

int SimWorld::aw_callback_set(int callback, AwCallbackHandler handler) {
    if (auto result = Begin("aw_callback_set", [&] { return std::to_string(callback); }))
        return *result;
    if (!impl_->initialized) return reason::NotInitialized;
    if (!impl_->created) return reason::NoInstance;
    impl_->callbackHandlers[callback] = std::move(handler);
    return reason::Success;
}

// ---- Attributes -------------------------------------------------------------------------------

int SimWorld::aw_int(int attribute) {
    if (auto result = Begin("aw_int", [&] { return std::to_string(attribute); })) return *result;
    return impl_->Int(attribute);
}

std::string SimWorld::aw_string(int attribute) {
    if (Begin("aw_string", [&] { return std::to_string(attribute); })) return {};
    return impl_->Text(attribute);
}

bool SimWorld::aw_bool(int attribute) {
    if (Begin("aw_bool", [&] { return std::to_string(attribute); })) return false;
    return impl_->Int(attribute) != 0;
}

int SimWorld::aw_int_set(int attribute, int value) {
    if (auto result = Begin(
            "aw_int_set", [&] { return std::to_string(attribute) + "," + std::to_string(value); }))
        return *result;
    impl_->SetInt(attribute, value);
    return reason::Success;
}

int SimWorld::aw_string_set(int attribute, const std::string& value) {
    if (auto result =
            Begin("aw_string_set", [&] { return std::to_string(attribute) + "," + Quoted(value); }))
        return *result;
    impl_->SetText(attribute, value);
    return reason::Success;
}

int SimWorld::aw_bool_set(int attribute, bool value) {
    if (auto result = Begin("aw_bool_set", [&] {
            return std::to_string(attribute) + "," + (value ? "true" : "false");
        }))
        return *result;
    impl_->SetInt(attribute, value ? 1 : 0);
    return reason::Success;
}

int SimWorld::aw_data_set(int attribute, const char* data, unsigned length) {
    if (auto result = Begin("aw_data_set", [&] {
            return std::to_string(attribute) + "," + std::to_string(length);
        }))
        return *result;
    if (!data && length > 0) return reason::InvalidArgument;
    impl_->SetText(attribute, data ? std::string(data, length) : std::string());
    return reason::Success;
}

}  // namespace tv
