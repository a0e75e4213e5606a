#include "world/SimWorld.h"

#include <stdexcept>

namespace tv {

struct SimWorld::Impl {};

SimWorld::SimWorld(Clock&) {}
SimWorld::~SimWorld() = default;
void SimWorld::AddWorld(const std::string& name, int32_t size) { throw std::logic_error("not built yet"); }
void SimWorld::SetWorldRight(const std::string& world, int32_t citizen, int right, bool granted) { throw std::logic_error("not built yet"); }
uint32_t SimWorld::PlaceObject(const std::string& world, const SimObjectSpec& spec) { throw std::logic_error("not built yet"); }
int SimWorld::UserMove(int32_t session, int32_t x, int32_t y, int32_t z) { throw std::logic_error("not built yet"); }
int SimWorld::UserLeave(int32_t session) { throw std::logic_error("not built yet"); }
int SimWorld::UserChat(int32_t session, const std::string& text) { throw std::logic_error("not built yet"); }
int SimWorld::UserBuild(int32_t session, const SimObjectSpec& spec) { throw std::logic_error("not built yet"); }
int SimWorld::UserDelete(int32_t session, int32_t x, int32_t z) { throw std::logic_error("not built yet"); }
int SimWorld::UserClick(int32_t session, int32_t x, int32_t z) { throw std::logic_error("not built yet"); }
int SimWorld::UserSelect(int32_t session, int32_t x, int32_t z) { throw std::logic_error("not built yet"); }
void SimWorld::Disconnect() { throw std::logic_error("not built yet"); }
void SimWorld::Reconnect() { throw std::logic_error("not built yet"); }
bool SimWorld::Connected() const { throw std::logic_error("not built yet"); }
void SimWorld::FailNext(const std::string& call, int reason, int count) { throw std::logic_error("not built yet"); }
void SimWorld::MuteNext(const std::string& call, int count) { throw std::logic_error("not built yet"); }
void SimWorld::DelayAnswers(int waits) { throw std::logic_error("not built yet"); }
const std::vector<SimObject>& SimWorld::Objects(const std::string& world) const { throw std::logic_error("not built yet"); }
const SimObject* SimWorld::ObjectAt(const std::string& world, int32_t x, int32_t z) const { throw std::logic_error("not built yet"); }
std::optional<SimWorld::Terrain> SimWorld::TerrainAt(const std::string& world, int32_t cellX, int32_t cellZ) const { throw std::logic_error("not built yet"); }
std::string SimWorld::EnteredWorld() const { throw std::logic_error("not built yet"); }
std::size_t SimWorld::PendingDeliveries() const { throw std::logic_error("not built yet"); }
int SimWorld::aw_init(int build) { throw std::logic_error("not built yet"); }
int SimWorld::aw_create(const std::string& host, int port, void** instance) { throw std::logic_error("not built yet"); }
int SimWorld::aw_login() { throw std::logic_error("not built yet"); }
int SimWorld::aw_enter(const std::string& world) { throw std::logic_error("not built yet"); }
int SimWorld::aw_wait(int milliseconds) { throw std::logic_error("not built yet"); }
int SimWorld::aw_session() { throw std::logic_error("not built yet"); }
int SimWorld::aw_destroy() { throw std::logic_error("not built yet"); }
int SimWorld::aw_term() { throw std::logic_error("not built yet"); }
int SimWorld::aw_event_set(int event, AwEventHandler handler) { throw std::logic_error("not built yet"); }
int SimWorld::aw_callback_set(int callback, AwCallbackHandler handler) { throw std::logic_error("not built yet"); }
int SimWorld::aw_int(int attribute) { throw std::logic_error("not built yet"); }
std::string SimWorld::aw_string(int attribute) { throw std::logic_error("not built yet"); }
bool SimWorld::aw_bool(int attribute) { throw std::logic_error("not built yet"); }
int SimWorld::aw_int_set(int attribute, int value) { throw std::logic_error("not built yet"); }
int SimWorld::aw_string_set(int attribute, const std::string& value) { throw std::logic_error("not built yet"); }
int SimWorld::aw_bool_set(int attribute, bool value) { throw std::logic_error("not built yet"); }
int SimWorld::aw_data_set(int attribute, const char* data, unsigned length) { throw std::logic_error("not built yet"); }
int SimWorld::aw_say(const std::string& text) { throw std::logic_error("not built yet"); }
int SimWorld::aw_whisper(int session, const std::string& text) { throw std::logic_error("not built yet"); }
int SimWorld::aw_console_message(int session) { throw std::logic_error("not built yet"); }
int SimWorld::aw_object_load() { throw std::logic_error("not built yet"); }
int SimWorld::aw_object_change() { throw std::logic_error("not built yet"); }
int SimWorld::aw_object_delete() { throw std::logic_error("not built yet"); }
int SimWorld::aw_cell_next() { throw std::logic_error("not built yet"); }
int SimWorld::aw_terrain_set(int cellX, int cellZ, int count, int value, const int* heights) { throw std::logic_error("not built yet"); }
int SimWorld::aw_has_world_right(int citizen, int right) { throw std::logic_error("not built yet"); }
int SimWorld::aw_citizen_attributes_by_name(const std::string& name) { throw std::logic_error("not built yet"); }
int SimWorld::aw_url_send(int session, const std::string& url, const std::string& target) { throw std::logic_error("not built yet"); }
int SimWorld::aw_world_eject() { throw std::logic_error("not built yet"); }
int SimWorld::aw_traffic_count(unsigned* bytesIn, unsigned* bytesOut) { throw std::logic_error("not built yet"); }

}  // namespace tv
