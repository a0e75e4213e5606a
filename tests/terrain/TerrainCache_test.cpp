#include "terrain/TerrainCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Bot.h"
#include "support/BotTest.h"
#include "terrain/TerrainStruct.h"

namespace tv::test {
namespace {

constexpr int32_t kWorldSize = 10;
constexpr int32_t kDefaultTexture = 3;

class CacheTest : public ::testing::Test {
protected:
    CacheTest() {
        cache.SetWorldSize(kWorldSize);
        cache.SetDefaultTexture(kDefaultTexture);
        cache.OnCountersChanged = [this] { ++shown; };
        cache.CreateRows();
    }

    // Id 41 gives number 297 (0x129) and timestamp 1041.
    static TMarkerRecord Marker(int32_t cx, int32_t cz, int32_t id, int32_t texture = 5) {
        TMarkerRecord m{.X = cx * 1000, .Z = cz * 1000, .CellX = cx, .CellZ = cz, .Id = id};
        m.Owner = 77, m.Height = 250, m.Texture = texture, m.Timestamp = 1000 + id;
        m.Number = static_cast<uint32_t>(id) + 0x100;
        return m;
    }
    // What ReadMarker gives; a found marker leaves Valid as it was.
    std::string Read(int32_t cx, int32_t cz, int index = -1) {
        TMarkerRecord read = Marker(8, 8, 99, 44);
        read.Valid = read.Visible = false;
        read.Hole = true;
        read.Rotation = rotation::Half;
        const int found = cache.ReadMarker(read, cx, cz, index);
        return std::to_string(found) + ": " + MarkerText(read);
    }

    // The fields of an entry on one line.
    static std::string EntryText(const TTerrainCacheX* e) {
        auto n = [](int64_t value) { return std::to_string(value); };
        return std::string(e->HasMarker ? "marker" : "empty") + " id" + n(e->Id) + " n" +
               n(e->Number) + " owner" + n(e->Owner) + " t" + n(e->Timestamp) + " terrain" +
               n(e->Terrain) + " tex" + n(e->Texture) + " y" + n(e->Height) +
               (e->Visible ? "" : " hidden") + (e->KeepTerrain ? " keep" : "") +
               (e->ChangePending ? " pending" : "");
    }

    TTerrainCache cache;
    int shown = 0;
};

// Fills row 0 with the even cells 0, 2, ... 2(n-1) and checks every present and absent key
// against a plain scan, across the switch from scanning to halving at 15 entries.
TEST_F(CacheTest, FindCellAgreesWithALinearReferenceForEveryRowSize) {
    for (int n = 0; n <= 40; ++n) {
        cache.Clear();
        for (int i = n - 1; i >= 0; --i) cache.InsertCell(2 * i, 0);  // reverse: inserts sort
        const TTerrainCacheZ* row = cache.FindRow(0);
        const std::size_t size = row ? row->Entries.size() : 0;
        ASSERT_EQ(size, static_cast<std::size_t>(n));
        for (int32_t x = -3; x <= 2 * n + 2; ++x) {
            int expected = -1;
            for (std::size_t i = 0; i < size; ++i)
                if (row->Entries[i].X == x) expected = static_cast<int>(i);
            EXPECT_EQ(cache.FindCell(x, 0), expected) << "row of " << n << ", x " << x;
        }
    }
}

TEST_F(CacheTest, ClearCellAndStoreMarkerCountMarkersAndKeepTheCellsTerrain) {
    TMarkerRecord marker = Marker(2, 3, 11, 9);
    marker.Rotation = rotation::Quarter;
    marker.Visible = false;
    EXPECT_EQ(cache.StoreMarker(marker, -1), 0);
    cache.Entry(2, 3)->KeepTerrain = cache.Entry(2, 3)->ChangePending = true;
    cache.ClearCell(2, 3);
    EXPECT_EQ(cache.MarkerCount(), 0);
    EXPECT_EQ(EntryText(cache.Entry(2, 3)),
              "empty id0 n0 owner0 t0 terrain16393 tex9 y250 hidden keep");
    // Into the emptied entry the count rises again; a marker replacing a marker keeps it, and a
    // store by -1 finds the same entry; a record without an object id empties the cell.
    cache.Entry(2, 3)->ChangePending = true;
    for (auto [id, index, count] : {std::tuple{22, 0, 1}, {23, -1, 1}, {0, 0, 0}, {24, 0, 1}}) {
        EXPECT_EQ(cache.StoreMarker(Marker(2, 3, id), index), 0);
        EXPECT_EQ(cache.MarkerCount(), count) << id;
    }
    EXPECT_EQ(EntryText(cache.Entry(2, 3)),
              "marker id24 n280 owner77 t1024 terrain5 tex5 y250 keep");
    // A cell never seen becomes known, without a marker; an index that names another cell's
    // entry is not trusted.
    cache.ClearCell(-6, 3);
    EXPECT_EQ(cache.QueriedCells(), 2);
    EXPECT_EQ(cache.StoreMarker(Marker(7, 3, 31), 0), 2);
    EXPECT_EQ(cache.Entry(-6, 3)->Id, 0);
    EXPECT_EQ(cache.Entry(7, 3)->Id, 31);
    EXPECT_EQ(cache.MarkerCount(), 2);
}

TEST_F(CacheTest, ReadMarkerGivesBackWhatWasStored) {
    TMarkerRecord stored = Marker(-4, 6, 41, 300);
    stored.Rotation = rotation::Quarter;
    stored.Visible = false;
    cache.StoreMarker(stored, -1);
    // The world's value keeps 8 bits of the texture, the read (by index too) the whole number.
    EXPECT_EQ(cache.Entry(-4, 6)->Terrain, PackTerrain(false, 300, rotation::Quarter));
    const std::string read = "0: cell -4,6 at -4000,6000 id41 n297 owner77 y250 t1041";
    EXPECT_EQ(Read(-4, 6), read + " tex300 r16384 hidden invalid");
    EXPECT_EQ(Read(-4, 6, 0), read + " tex300 r16384 hidden invalid");
    // A packed value written without the whole number is read as packed.
    cache.Entry(-4, 6)->Terrain = 0x0009;
    EXPECT_EQ(Read(-4, 6), read + " tex9 r0 hidden invalid");

    // A hole reads with the default texture and no rotation.
    TMarkerRecord hole = Marker(0, 0, 51, 12);
    hole.Hole = true;
    hole.Rotation = rotation::Half;
    cache.StoreMarker(hole, -1);
    EXPECT_EQ(Read(0, 0), "0: cell 0,0 at 0,0 id51 n307 owner77 y250 t1051 tex3 r0 hole invalid");

    // Unknown cells, and a cell outside a world of size 10 (it holds an entry but is neither
    // read nor counted), give the empty record.
    cache.StoreMarker(Marker(0, 11, 61), -1);
    EXPECT_NE(cache.Entry(0, 11), nullptr);
    EXPECT_EQ(cache.MarkerCount(), 2);
    EXPECT_EQ(Read(0, 11), "-1: cell 0,11 at 0,11000 id0 n0 owner0 y0 t0 tex3 r0 invalid");
    EXPECT_EQ(Read(3, 3), "-1: cell 3,3 at 3000,3000 id0 n0 owner0 y0 t0 tex3 r0 invalid");
}

TEST_F(CacheTest, InsertCellKeepsRowsSortedUniqueAndOnlyRowsOfTheCacheExist) {
    const int before = shown;
    // A cell that has its entry gives that entry and counts nothing.
    for (auto [x, index] : {std::pair{5, 0}, {-5, 0}, {0, 1}, {9, 3}, {0, 1}})
        EXPECT_EQ(cache.InsertCell(x, 1), index) << x;
    EXPECT_EQ(cache.QueriedCells(), 4);
    EXPECT_EQ(shown - before, 4);
    std::vector<int32_t> xs;
    for (const auto& entry : cache.FindRow(1)->Entries) xs.push_back(entry.X);
    EXPECT_EQ(xs, (std::vector<int32_t>{-5, 0, 5, 9}));
    EXPECT_EQ(EntryText(cache.Entry(5, 1)), "empty id0 n0 owner0 t0 terrain0 tex0 y0 hidden");
    EXPECT_EQ(cache.Entry(6, 1), nullptr);
    EXPECT_EQ(cache.Entry(5, 2), nullptr);
    // Rows beyond the cache are neither found nor created, nothing is counted.
    for (int32_t z : {32768, -32768, 40000}) {
        TMarkerRecord read;
        cache.ClearCell(0, z);
        EXPECT_EQ((std::vector<int>{!!cache.Row(z), !!cache.FindRow(z), cache.FindCell(0, z),
                                    cache.InsertCell(0, z), cache.StoreMarker(Marker(0, z, 5), -1),
                                    !!cache.Entry(0, z), cache.ReadMarker(read, 0, z, -1)}),
                  (std::vector<int>{0, 0, -1, -1, -1, 0, -1}))
            << z;
    }
    EXPECT_EQ(cache.QueriedCells(), 4);
    EXPECT_EQ(cache.MarkerCount(), 0);
    // The last rows that exist work; CreateRows keeps existing rows, Clear destroys them.
    EXPECT_EQ(cache.InsertCell(1, 32767), 0);
    EXPECT_EQ(cache.InsertCell(1, -32767), 0);
    cache.CreateRows();
    EXPECT_EQ(cache.FindCell(1, -32767), 0);
    cache.Clear();
    EXPECT_EQ(cache.FindRow(0), nullptr);
    EXPECT_EQ(cache.FindCell(1, -32767), -1);
}

TEST_F(CacheTest, CountMarkersCountsNonZeroIdsInsideTheWorldOnly) {
    cache.StoreMarker(Marker(-10, -10, 1), -1);
    cache.StoreMarker(Marker(10, 10, 2), -1);
    cache.StoreMarker(Marker(25, 10, 3), -1);  // x outside the world still counts: rows decide
    cache.StoreMarker(Marker(0, -11, 4), -1);
    cache.StoreMarker(Marker(3, 11, 5), -1);
    cache.InsertCell(3, 3);
    cache.CountMarkers();
    EXPECT_EQ(cache.MarkerCount(), 3);
    cache.ResetCounters();
    EXPECT_EQ(cache.MarkerCount(), 0);
    EXPECT_EQ(cache.QueriedCells(), 0);
    // The kept number follows a change of the world's extent (its first and last rows
    // included) and agrees with the full scan.
    cache.SetWorldSize(kWorldSize + 1);
    cache.CountMarkers();
    EXPECT_EQ(cache.MarkerCount(), 5);
    cache.ForgetCell(10, 10);
    EXPECT_EQ(cache.MarkerCount(), 4);
    cache.SetRecountEachTime(true);
    cache.ClearCell(-10, -10);
    EXPECT_EQ(cache.MarkerCount(), 3);
    EXPECT_EQ(cache.RecountMarkers(), 3);
}

// The statistics line needs the Bot and the phrases of the shipped language file.
TEST(CacheStatistics, ExtentsFollowTheMarkers) {
    TestBot t;
    Bot& bot = t.Start();
    bot.cache.SetWorldSize(kWorldSize);
    bot.cache.CreateRows();
    // Without markers the extents span the world backwards: scenarios/commands_rights.scn.
    for (auto [cx, cz] : {std::pair{-3, 2}, {4, -1}, {1, 5}})
        bot.cache.StoreMarker({.CellX = cx, .CellZ = cz, .Id = cx * 100 + cz + 1000}, -1);
    bot.cache.InsertCell(9, 9);   // known, no marker: counted as a cell only
    bot.cache.InsertCell(0, 11);  // outside the world's rows: neither
    std::string expected =
        "Markers: 3, Cells: 4, Extents: 1S 3E to 5N 4W, World queried: 1.133787%";
    std::replace(expected.begin(), expected.end(), '.', UserSeparators().decimal);
    EXPECT_EQ(TerrainCacheStatistics(bot), expected);
}

}  // namespace
}  // namespace tv::test
