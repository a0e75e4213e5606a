#include "support/BotTest.h"

#include "app/MessageQueue.h"

namespace tv::test {

std::string MarkerText(const TMarkerRecord& m) {
    return "cell " + std::to_string(m.CellX) + "," + std::to_string(m.CellZ) + " at " +
           std::to_string(m.X) + "," + std::to_string(m.Z) + " id" + std::to_string(m.Id) + " n" +
           std::to_string(m.Number) + " owner" + std::to_string(m.Owner) + " y" +
           std::to_string(m.Height) + " t" + std::to_string(m.Timestamp) + " tex" +
           std::to_string(m.Texture) + " r" + std::to_string(m.Rotation) + (m.Hole ? " hole" : "") +
           (m.Visible ? "" : " hidden") + (m.Valid ? "" : " invalid");
}

void BotTest::UseWorld(const std::string& name, int size) {
    world = name;
    tb.world.AddWorld(name, size);
    tb.world.SetWorldRight(name, TestBot::kBotCitizen, 57, true);
    tb.world.SetWorldRight(name, TestBot::kBotCitizen, 162, true);
}

Bot& BotTest::Login() {
    tb.WriteConfig(world, options);
    tb.dir.Write("english.xml", KeyLanguageFile(languageOverrides));
    return tb.Login();
}

TTerrainSession& BotTest::Arrive(const Avatar& a) {
    const std::string name = a.name.empty() ? "user" + std::to_string(a.citizen) : a.name;
    const int32_t privilege = a.privilege ? a.privilege : a.citizen;
    tb.world.AddCitizen(a.citizen, name);
    for (int right : a.rights) tb.world.SetWorldRight(world, privilege, right, true);
    const std::optional<int32_t> as = a.privilege ? std::optional(a.privilege) : std::nullopt;
    if (tb.world.UserEnter(a.session, a.citizen, a.x, 0, a.z, as, name) != 0)
        throw std::runtime_error("the world refused the avatar");
    tb.Tick();
    TTerrainSession& record = SessionOf(a.session);
    if (a.enable) {
        SetSessionEnabled(bot(), record, true, false);
        Settle();
    }
    Replies(a.session);
    return record;
}

TTerrainSession& BotTest::SessionOf(int32_t session) {
    TTerrainSession* record = bot().sessions.FindSession(session);
    if (!record) throw std::runtime_error("no session " + std::to_string(session));
    return *record;
}

void BotTest::Say(int32_t session, const std::string& text) {
    ASSERT_EQ(tb.world.UserChat(session, text), 0);
    tb.Tick();
}

Texts BotTest::Command(int32_t session, const std::string& text) {
    Say(session, text);
    return Replies(session);
}

Texts BotTest::Replies(int32_t session) {
    for (int i = 0; i < 100 && PumpMessages(bot()) != 0; ++i) {
    }
    const Texts all = tb.ConsoleTo(session);
    std::size_t& seen = repliesSeen_[session];
    Texts fresh(all.begin() + static_cast<std::ptrdiff_t>(seen), all.end());
    seen = all.size();
    return fresh;
}

Texts BotTest::Outgoing(int32_t session) const {
    Texts texts;
    const std::string prefix = kReplyPrefix;
    for (const TAwMessage& message : tb.bot->messages.InSendOrder()) {
        if (message.session != session) continue;
        std::string text = message.text;
        if (text.rfind(prefix, 0) == 0) text.erase(0, prefix.size());
        texts.push_back(text);
    }
    return texts;
}

void BotTest::SettleUntil(const std::function<bool()>& quiet) {
    for (int i = 0; i < 400; ++i) {
        if (quiet()) return;
        tb.Tick();
    }
    ADD_FAILURE() << "the world did not settle";
}

void BotTest::Settle() {
    SettleUntil([this] {
        return bot().world.queries.Empty() && bot().world.callbacks.Empty() &&
               (bot().world.commands.Empty() || bot().options.MaxCommands <= 0) &&
               tb.world.PendingDeliveries() == 0 && bot().messages.Empty();
    });
}

void BotTest::SettleQueries() {
    SettleUntil([this] {
        return bot().world.queries.Empty() && CallbackCount(bot(), CallbackType::CellQuery) == 0;
    });
}

SimObject BotTest::Place(int32_t cellX, int32_t cellZ, const std::string& description,
                         int32_t owner, int32_t height) {
    SimObjectSpec shape = Shape(cellX * 1000, cellZ * 1000, description, height);
    shape.owner = owner;
    const uint32_t number = tb.world.PlaceObject(world, shape);
    for (const SimObject& object : tb.world.Objects(world))
        if (object.number == number) return object;
    throw std::runtime_error("the placed object is missing");
}

void BotTest::Learn(int32_t cellX, int32_t cellZ) {
    if (bot().cache.FindCell(cellX, cellZ) != -1)
        ADD_FAILURE() << "cell " << cellX << "," << cellZ << " is known already";
    TerrainQueueAddCell(bot(), cellX, cellZ, true);
    Settle();
}

void BotTest::CacheMarker(int32_t cellX, int32_t cellZ, int32_t owner) {
    TMarkerRecord marker;
    TerrainMarkerInit(marker);
    marker.CellX = cellX;
    marker.CellZ = cellZ;
    marker.X = cellX * 1000;
    marker.Z = cellZ * 1000;
    marker.Id = nextId_;
    marker.Number = static_cast<uint32_t>(nextId_++);
    marker.Owner = owner;
    bot().cache.StoreMarker(marker, bot().cache.FindCell(cellX, cellZ));
}

TMarkerRecord BotTest::Cached(int32_t cellX, int32_t cellZ) {
    TMarkerRecord marker;
    TerrainMarkerInit(marker);
    bot().cache.ReadMarker(marker, cellX, cellZ, -1);
    return marker;
}

std::vector<SimObject> BotTest::MarkersAt(int32_t x, int32_t z) const {
    std::vector<SimObject> found;
    for (const SimObject& object : tb.world.Objects(world))
        if (object.x == x && object.z == z && object.model == "terrain.rwx")
            found.push_back(object);
    return found;
}

int BotTest::Calls(const std::string& name) const {
    int count = 0;
    for (const std::string& call : tb.world.CallLog())
        if (call.rfind(name + "(", 0) == 0) ++count;
    return count;
}

Cells BotTest::QueuedCells() const {
    Cells cells;
    for (auto* node = tb.bot->world.queries.Head(); node; node = node->Next)
        cells.emplace_back(node->Item->CellX, node->Item->CellZ);
    return cells;
}

Cells BotTest::RecordCells(CallbackType type) const {
    Cells cells;
    for (auto* node = tb.bot->world.callbacks.Head(); node; node = node->Next)
        if (node->Item->Type == type) cells.emplace_back(node->Item->CellX, node->Item->CellZ);
    return cells;
}

Texts BotTest::QueuedCommands() const {
    Texts texts;
    for (auto* node = tb.bot->world.commands.Head(); node; node = node->Next) {
        const TTerrainCommand& c = *node->Item;
        std::string text = std::to_string(c.CellX) + "," + std::to_string(c.CellZ) + " " +
                           CommandStateName(c.State) + " s" + std::to_string(c.AvatarSession);
        if (c.Hole) text += " hole";
        if (c.Texture || c.Rotation)
            text += " t" + std::to_string(c.Texture) + " r" + std::to_string(c.Rotation);
        texts.push_back(text);
    }
    return texts;
}

std::string BotTest::LastActivity() const {
    return tb.ActivityMessages().back();
}

}  // namespace tv::test
