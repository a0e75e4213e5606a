// Fuzz target for the texture text reader, which reads every marker description and the texture
// command's word. The first three bytes choose TextureMin, TextureMax and DefaultTexture (within
// their ranges and in rising order); the rest is the text. What must hold: the rotation is one of
// the four quarter turns; a hole is only the word hole; an accepted number lies within the
// range; a refused text gives the default texture or an in-range texture with a bad rotation,
// never a rotation; and the description the bot writes for an accepted text reads back the same.
#include <algorithm>

#include "fuzz/FuzzScene.h"
#include "terrain/MarkerIntake.h"
#include "terrain/TerrainMarker.h"

using tv::fuzz::Check;

namespace {

tv::Bot& ReaderBot() {
    static tv::test::TestBot tb;
    static tv::Bot& bot = []() -> tv::Bot& {
        std::filesystem::create_symlink("/dev/null", tb.dir.Path() / "debug.log");
        return tb.Create();
    }();
    return bot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || size > 4096) return 0;
    tv::Bot& bot = ReaderBot();
    tv::Options& options = bot.options;
    options.TextureMin = data[0] % 64;
    options.TextureMax = std::min(options.TextureMin + data[1] * 64, tv::kTextureLimit);
    options.DefaultTexture =
        options.TextureMin + data[2] % (options.TextureMax - options.TextureMin + 1);
    const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);

    tv::TMarkerRecord read;
    tv::TerrainMarkerInit(read);
    const bool valid =
        tv::TerrainCacheExtractTexture(bot, text, read.Texture, read.Rotation, read.Hole);
    const bool inRange = read.Texture >= options.TextureMin && read.Texture <= options.TextureMax;
    Check(read.Rotation == tv::rotation::None || read.Rotation == tv::rotation::Quarter ||
          read.Rotation == tv::rotation::Half || read.Rotation == tv::rotation::ThreeQuarters);
    Check(!read.Hole || (valid && tv::SameText(text, "hole") && read.Texture == 0));
    if (text.empty()) Check(valid && read.Texture == 0 && read.Rotation == 0);
    if (valid && !read.Hole && !text.empty()) Check(inRange);
    if (!valid) Check(read.Rotation == 0 && (read.Texture == options.DefaultTexture || inRange));
    if (!valid) return 0;
    tv::TMarkerRecord again;
    tv::TerrainMarkerInit(again);
    Check(tv::TerrainCacheExtractTexture(bot, tv::TerrainMarkerDescription(bot, read),
                                         again.Texture, again.Rotation, again.Hole));
    Check(again.Texture == read.Texture && again.Rotation == read.Rotation &&
          again.Hole == read.Hole);
    return 0;
}
