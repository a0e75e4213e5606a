// The world map's frame: painting a cache of 1,000,000 cells (a world of 1000 x 1000 cells, two
// thirds of them with markers of many textures, some hidden, some busy) into a 1024 x 768 picture
// with 20 working users' names, at several zooms; 8 pixels a cell is the window's own zoom.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <filesystem>
#include <memory>

#include "BenchRig.h"
#include "app/Bot.h"
#include "ui/MapPainter.h"
#include "world/SimWorld.h"

namespace tv {
namespace {

using bench::QuietFrontEnd;

struct MapRig {
    static constexpr int32_t kHalf = 500;
    VirtualClock clock;
    SimWorld world{clock};
    QuietFrontEnd frontEnd;
    Bot bot{world, clock, frontEnd, std::filesystem::temp_directory_path()};

    MapRig() {
        bot.cache.SetWorldSize(kHalf);
        for (int32_t z = -kHalf; z < kHalf; ++z) {
            TTerrainCacheXList& entries = bot.cache.Row(z)->Entries;
            entries.reserve(2 * kHalf);
            for (int32_t x = -kHalf; x < kHalf; ++x) {
                TTerrainCacheX entry;
                entry.X = x;
                entry.HasMarker = (x + z) % 3 != 0;
                entry.Id = entry.HasMarker ? 1 : 0;
                entry.Texture = (x * 7 + z * 13) & 63;
                entry.Terrain = entry.Texture;
                entry.Visible = (x ^ z) % 5 != 0;
                entries.push_back(entry);
            }
        }
        for (int i = 0; i < 200; ++i) {
            auto command = std::make_unique<TTerrainCommand>();
            command->CellX = i % 40 - 20;
            command->CellZ = i / 10 - 10;
            command->State = CommandState::TEXTURE;
            bot.world.commands.AddLast(std::move(command));
        }
        for (int i = 0; i < 20; ++i) {
            TTerrainSession& session = bot.sessions.Append(i + 1);
            session.name = "user" + std::to_string(i);
            session.enabled = true;
            session.x = (i * 3 - 30) * 1000;
            session.z = (i * 2 - 20) * 1000;
        }
    }
};

MapRig& Rig() {
    static MapRig rig;
    return rig;
}

void BM_PaintMap(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "map_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    MapRig& rig = Rig();
    QImage image(1024, 768, QImage::Format_RGB32);
    MapViewport view;
    view.size = image.size();
    view.cellPixels = static_cast<int>(state.range(0));
    for (auto _ : state) {
        PaintMap(image, view, rig.bot);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel("cells in view: " +
                   std::to_string((1024 / view.cellPixels + 1) * (768 / view.cellPixels + 1)));
}
BENCHMARK(BM_PaintMap)->Arg(1)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tv
