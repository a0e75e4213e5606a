#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/Errors.h"
#include "support/TestBot.h"
#include "terrain/IntList.h"
#include "terrain/LinkList.h"
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

// An item that records its destruction, to see what the list owns.
struct Tracked {
    Tracked(int order, std::vector<int>* destroyed) : order(order), destroyed(destroyed) {}
    ~Tracked() {
        if (destroyed) destroyed->push_back(order);
    }
    int order;
    std::vector<int>* destroyed;
};

using TrackedList = TLinkedList<Tracked>;

// The orders walking forward with Next, checked against a walk backwards from the tail so that
// broken Prev links show.
std::vector<int> Orders(const TrackedList& list) {
    std::vector<int> orders, backwards;
    TrackedList::Node* node = nullptr;
    while (list.Next(node)) orders.push_back(node->Item->order);
    for (TrackedList::Node* back = list.Tail(); back; back = back->Prev)
        backwards.insert(backwards.begin(), back->Item->order);
    EXPECT_EQ(orders, backwards);
    EXPECT_EQ(list.Count(), static_cast<int>(orders.size()));
    return orders;
}

TEST(LinkedList, AddFirstAddLastAndRemovalsDestroyOwnedItems) {
    std::vector<int> destroyed;
    {
        TrackedList list;
        for (int order : {2, 3, 4}) list.AddLast(std::make_unique<Tracked>(order, &destroyed));
        list.AddFirst(std::make_unique<Tracked>(1, &destroyed));
        EXPECT_EQ(Orders(list), (std::vector<int>{1, 2, 3, 4}));
        list.RemoveItem(list.Head()->Next->Next->Item.get());
        Tracked stranger(99, nullptr);
        list.RemoveItem(&stranger);  // not in the list: nothing happens
        list.RemoveFirst();
        list.RemoveNode(list.Tail());
        EXPECT_EQ(destroyed, (std::vector<int>{3, 1, 4}));
        EXPECT_EQ(Orders(list), (std::vector<int>{2}));
        EXPECT_EQ(list.Head()->Prev, nullptr);
        list.AddFirst(std::make_unique<Tracked>(5, &destroyed));
        list.Clear();
        EXPECT_EQ(Orders(list), (std::vector<int>{}));
        EXPECT_EQ(list.Head(), nullptr);
        list.RemoveFirst();  // on an empty list: nothing
        list.AddLast(std::make_unique<Tracked>(6, &destroyed));
    }
    // The list's destruction frees what is left.
    EXPECT_EQ(destroyed, (std::vector<int>{3, 1, 4, 5, 2, 6}));
}

// The pending-request list's indexes agree with a walk of the list, whatever the order of
// additions and removals (cells that share an index key included).
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
        if (what == 0) {
            list.AddFirst(std::move(record));
        } else if (what == 1) {
            list.AddLast(std::move(record));
        } else if (what == 2 && list.Head()) {
            list.RemoveFirst();
        } else if (what == 3) {
            if (TTerrainCallback* found = list.Find(x, z, type)) list.RemoveItem(found);
        }
        const TTerrainCallback* first = nullptr;
        int ofType = 0;
        for (auto* node = list.Head(); node; node = node->Next) {
            const TTerrainCallback& r = *node->Item;
            ofType += r.Type == type;
            if (!first && r.CellX == x && r.CellZ == z && r.Type == type) first = &r;
        }
        ASSERT_EQ(list.Find(x, z, type), first) << "step " << step;
        ASSERT_EQ(list.CountOf(type), ofType) << "step " << step;
    }
    list.Clear();
    EXPECT_EQ(list.CountOf(CallbackType::Delete), 0);
    EXPECT_EQ(list.Find(0, 0, CallbackType::Delete), nullptr);
}

}  // namespace
}  // namespace tv
