#pragma once
// The world platform's client SDK as a C++ interface. The bot talks to the world only through
// this class; the embedded world (world/SimWorld) is one implementation. Every call that acts
// returns an int reason code, 0 for success. Getters (aw_int, aw_string, aw_bool, aw_session)
// return the value itself. Data moves through one global store of numbered attributes, set
// before a call and read after it or inside a handler; handlers run only inside aw_wait.

#include <cstdint>
#include <functional>
#include <string>

namespace tv {

using AwEventHandler = std::function<void()>;
using AwCallbackHandler = std::function<void(int reason)>;

// Attribute numbers.
namespace attr {
inline constexpr int ApplicationName = 0;
inline constexpr int LoginCitizen = 2;
inline constexpr int LoginPrivilegePassword = 3;
inline constexpr int ApplicationVersion = 6;
inline constexpr int FoundCitizenNumber = 29;  // citizen number of a name looked up
inline constexpr int WorldName = 44;
inline constexpr int WorldCaretakerRight = 57;
inline constexpr int WorldSize = 95;
inline constexpr int WorldEminentDomainRight = 162;
inline constexpr int AvatarSession = 206;
inline constexpr int AvatarName = 207;
inline constexpr int AvatarX = 208;
inline constexpr int AvatarY = 209;
inline constexpr int AvatarZ = 210;
inline constexpr int AvatarCitizen = 218;
inline constexpr int AvatarPrivilege = 219;
inline constexpr int ChatSession = 222;
inline constexpr int ChatText = 223;
inline constexpr int CellX = 224;
inline constexpr int CellZ = 225;
inline constexpr int CellIterator = 228;
inline constexpr int CellCombine = 229;
inline constexpr int ObjectNumber = 230;
inline constexpr int ObjectId = 231;
inline constexpr int ObjectX = 232;
inline constexpr int ObjectY = 233;
inline constexpr int ObjectZ = 234;
inline constexpr int ObjectYaw = 235;
inline constexpr int ObjectTilt = 236;
inline constexpr int ObjectRoll = 237;
inline constexpr int ObjectModel = 238;
inline constexpr int ObjectDescription = 239;
inline constexpr int ObjectAction = 240;
inline constexpr int ObjectOldNumber = 241;
inline constexpr int ObjectOldX = 242;
inline constexpr int ObjectOldZ = 243;
inline constexpr int ObjectOwner = 244;
inline constexpr int ObjectSession = 245;  // the session that caused an object event
inline constexpr int ObjectTimestamp = 246;
inline constexpr int ObjectSync = 247;
inline constexpr int ObjectType = 248;
inline constexpr int ObjectData = 249;
inline constexpr int EjectSession = 271;
inline constexpr int EjectDuration = 272;
inline constexpr int TerrainSetMode = 327;
inline constexpr int EnterGlobal = 328;
inline constexpr int ConsoleRed = 329;
inline constexpr int ConsoleGreen = 330;
inline constexpr int ConsoleBlue = 331;
inline constexpr int ConsoleFlag0 = 332;
inline constexpr int ConsoleFlag1 = 333;
inline constexpr int ConsoleMessage = 334;
}  // namespace attr

// Event numbers.
namespace event {
inline constexpr int AvatarAdd = 0;
inline constexpr int AvatarChange = 1;
inline constexpr int AvatarDelete = 2;
inline constexpr int CellBegin = 3;
inline constexpr int CellObject = 4;
inline constexpr int CellEnd = 5;
inline constexpr int Chat = 6;
inline constexpr int ObjectAdd = 7;
inline constexpr int ObjectDelete = 8;
inline constexpr int WorldAttributes = 11;
inline constexpr int WorldDisconnect = 13;
inline constexpr int ObjectClick = 18;
inline constexpr int ObjectSelect = 19;
}  // namespace event

// Callback numbers.
namespace callback {
inline constexpr int ObjectResult = 3;
inline constexpr int CellResult = 23;
inline constexpr int TerrainSetResult = 29;
}  // namespace callback

// World rights asked with aw_has_world_right.
namespace right {
inline constexpr int Terrain = 50;
inline constexpr int EminentDomain = 51;
inline constexpr int ListSessions = 68;
}  // namespace right

inline constexpr int kSdkBuild = 66;

class AwSdk {
public:
    virtual ~AwSdk() = default;

    virtual int aw_init(int build) = 0;
    virtual int aw_create(const std::string& host, int port, void** instance) = 0;
    virtual int aw_login() = 0;
    virtual int aw_enter(const std::string& world) = 0;
    virtual int aw_wait(int milliseconds) = 0;
    virtual int aw_session() = 0;
    virtual int aw_destroy() = 0;
    virtual int aw_term() = 0;

    virtual int aw_event_set(int event, AwEventHandler handler) = 0;
    virtual int aw_callback_set(int callback, AwCallbackHandler handler) = 0;

    virtual int aw_int(int attribute) = 0;
    virtual std::string aw_string(int attribute) = 0;
    virtual bool aw_bool(int attribute) = 0;
    virtual int aw_int_set(int attribute, int value) = 0;
    virtual int aw_string_set(int attribute, const std::string& value) = 0;
    virtual int aw_bool_set(int attribute, bool value) = 0;
    virtual int aw_data_set(int attribute, const char* data, unsigned length) = 0;

    virtual int aw_say(const std::string& text) = 0;
    virtual int aw_whisper(int session, const std::string& text) = 0;
    virtual int aw_console_message(int session) = 0;

    virtual int aw_object_load() = 0;
    virtual int aw_object_change() = 0;
    virtual int aw_object_delete() = 0;
    virtual int aw_cell_next() = 0;
    // Sets `count` cells of one row starting at (cellX, cellZ) to `value`, heights from `heights`.
    virtual int aw_terrain_set(int cellX, int cellZ, int count, int value, const int* heights) = 0;

    virtual int aw_has_world_right(int citizen, int right) = 0;
    virtual int aw_citizen_attributes_by_name(const std::string& name) = 0;
    virtual int aw_url_send(int session, const std::string& url, const std::string& target) = 0;
    virtual int aw_world_eject() = 0;
    // Bytes received and sent since the previous call.
    virtual int aw_traffic_count(unsigned* bytesIn, unsigned* bytesOut) = 0;
};

}  // namespace tv
