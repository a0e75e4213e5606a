#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/Errors.h"
#include "support/TestBot.h"
#include "terrain/IntList.h"
#include "terrain/TerrainCallback.h"

namespace tv {
namespace {

TEST(IntList, AddIndexOfRemoveDeleteAndItems) {
    TIntList list;
    auto items = [&] {
        std::vector<int32_t> all;
        for (int i = 0; i < list.Count(); ++i) all.push_back(list.Items(i));
        return all;
    };
    int index = 0;
    for (int32_t value : {5, 7, 5, -3}) EXPECT_EQ(list.Add(value), index++);
    EXPECT_EQ(list.IndexOf(5), 0);  // the first of duplicates
    EXPECT_EQ(list.IndexOf(99), -1);
    EXPECT_EQ(list.Remove(5), 0);
    EXPECT_EQ(list.Remove(99), -1);
    EXPECT_EQ(list.IndexOf(5), 1);                    // the duplicate is still there
    for (int index : {3, -1, 0}) list.Delete(index);  // out of range: ignored
    EXPECT_EQ(items(), (std::vector<int32_t>{5, -3}));
    for (int index : {2, -1, 1000})
        EXPECT_EQ(test::ErrorOf<EListError>([&] { list.Items(index); }), "Invalid list index.");
}

// Sort is stable for every length (many equal keys), and the Prev links agree afterwards.
TEST(LinkedList, SortIsStableForEveryLengthAgainstAReference) {
    std::mt19937 random(7);
    for (int length = 0; length <= 40; ++length) {
        TLinkedList<std::pair<int, int>> list;  // key, insertion order
        std::vector<std::pair<int, int>> expected;
        for (int i = 0; i < length; ++i) {
            expected.emplace_back(static_cast<int>(random() % 5), i);
            list.AddLast(std::make_unique<std::pair<int, int>>(expected.back()));
        }
        list.Sort([](const auto& a, const auto& b) { return a.first - b.first; });
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::pair<int, int>> forwards, backwards;
        for (auto* node = list.Head(); node; node = node->Next) forwards.push_back(*node->Item);
        for (auto* node = list.Tail(); node; node = node->Prev)
            backwards.insert(backwards.begin(), *node->Item);
        EXPECT_EQ(forwards, expected) << "length " << length;
        EXPECT_EQ(backwards, expected) << "length " << length;
    }
}

// The pending-request list (the linked list under every queue) against walks: its indexes agree
// with a walk forwards, whatever the order of additions and removals (cells that share an index
// key included), and a walk backwards from the tail meets the same records. What the lists own
// is freed once: the sanitizer runs check that.
TEST(CallbackList, IndexesAgreeWithAWalk) {
    TTerrainCallbackList list;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pick(0, 5);
    for (int step = 0; step < 3000; ++step) {
        // Cells (1, 0) and (0, 2^24) share a key.
        const int32_t x = pick(random) % 2;
        const int32_t z = (pick(random) % 2) << 24;
        const auto type = static_cast<CallbackType>(1 + pick(random) % 5);
        const int what = pick(random);
        auto record = std::make_unique<TTerrainCallback>(
            TTerrainCallback{.Session = step, .CellX = x, .CellZ = z, .Type = type, .Refusal = {}});
        if (what == 0) list.AddFirst(std::move(record));
        if (what == 1) list.AddLast(std::move(record));
        if (what == 2) list.RemoveFirst();  // on an empty list too
        if (what == 3 && list.Find(x, z, type)) list.RemoveItem(list.Find(x, z, type));
        if (what == 4) list.RemoveItem(record.get());  // not listed: nothing happens
        const TTerrainCallback* first = nullptr;
        int ofType = 0;
        std::vector<int32_t> forwards, backwards;
        for (auto* node = list.Head(); node; node = node->Next) {
            const TTerrainCallback& r = *node->Item;
            forwards.push_back(r.Session);
            ofType += r.Type == type;
            if (!first && r.CellX == x && r.CellZ == z && r.Type == type) first = &r;
        }
        for (auto* node = list.Tail(); node; node = node->Prev)
            backwards.insert(backwards.begin(), node->Item->Session);
        ASSERT_EQ(list.Find(x, z, type), first) << "step " << step;
        ASSERT_EQ(list.CountOf(type), ofType) << "step " << step;
        ASSERT_EQ(forwards, backwards) << "step " << step;
        ASSERT_EQ(list.Count(), static_cast<int64_t>(forwards.size()));
    }
    list.Clear();
    EXPECT_EQ(list.Head(), nullptr);
    EXPECT_EQ(list.CountOf(CallbackType::Delete), 0);
    EXPECT_EQ(list.Find(0, 0, CallbackType::Delete), nullptr);
}

}  // namespace
}  // namespace tv
