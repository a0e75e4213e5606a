// Fuzz target for the whole chat path of a logged-in bot. The input is up to eight chat lines
// (split at line feeds) typed by a user with an enabled terrain session; the first byte picks the
// user (bit 0: the one with the caretaker's privileges), whether the "t:" prefix is added
// (bit 1: typed as is), whether the session is switched off first (bit 2) and whether the user
// stands at the world's corner, half beyond its edge (bit 3). Each line goes
// through the chat event, the rights gate, the flood check, the dispatcher and a handler; then
// heartbeats send the replies and carry out the queued terrain work. Nothing may escape the
// heartbeat, and once the world is quiet every cached marker must still agree with the world.
// One scene serves many inputs (a fresh one costs milliseconds): each input starts with both
// users enabled in their first state and rights for everyone; the markers are as earlier inputs
// left them, always within the scene's small world. A fresh scene every 2000 inputs bounds that
// drift and the world's console log.

#include "events/SessionTable.h"
#include "fuzz/FuzzScene.h"

using tv::fuzz::FuzzScene;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 20000) return 0;
    FuzzScene* scene = &FuzzScene::Next();
    tv::Bot& bot = scene->bot();
    const int32_t speaker = data[0] & 1 ? FuzzScene::kCaretaker : FuzzScene::kUser;
    if (data[0] & 4) tv::SetSessionEnabled(bot, *bot.sessions.FindSession(speaker), false, false);
    if (data[0] & 8) {
        scene->tb.world.UserMove(speaker, 10400, 0, -10600);
        scene->tb.Tick();
    }
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t start = 0;
    for (int line = 0; line < 8 && start <= text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string typed = text.substr(start, end - start);
        scene->tb.world.UserChat(speaker, data[0] & 2 ? typed : "t:" + typed);
        scene->tb.Tick();
        start = end + 1;
    }
    if (scene->Settle(240))
        scene->CheckCacheMatchesWorld();
    else
        FuzzScene::Discard();
    return 0;
}
