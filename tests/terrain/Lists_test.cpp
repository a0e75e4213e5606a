#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(list.Add(5), 0);
    EXPECT_EQ(list.Add(7), 1);
    EXPECT_EQ(list.Add(5), 2);
    EXPECT_EQ(list.Add(-3), 3);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.IndexOf(5), 0);  // the first of duplicates
    EXPECT_EQ(list.IndexOf(99), -1);

    EXPECT_EQ(list.Remove(5), 0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(5), 1);  // the duplicate is still there
    EXPECT_EQ(list.Remove(99), -1);
    EXPECT_EQ(list.Count(), 3);

    list.Delete(list.Count());  // one past the end: ignored
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 3);
    list.Delete(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0), 5);
    EXPECT_EQ(list.Items(1), -3);
    for (int index : {2, -1, 1000})
        EXPECT_EQ(test::ErrorOf<EListError>([&] { list.Items(index); }), "Invalid list index.");
}

// An item that records its destruction, to see what the list owns.
struct Tracked {
    Tracked(int key, int order, std::vector<int>* destroyed)
        : key(key), order(order), destroyed(destroyed) {}
    ~Tracked() {
        if (destroyed) destroyed->push_back(order);
    }
    int key;
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
    return orders;
}

TEST(LinkedList, AddFirstAddLastAndRemovalsDestroyOwnedItems) {
    std::vector<int> destroyed;
    {
        TrackedList list;
        list.AddLast(std::make_unique<Tracked>(0, 2, &destroyed));
        list.AddLast(std::make_unique<Tracked>(0, 3, &destroyed));
        list.AddFirst(std::make_unique<Tracked>(0, 1, &destroyed));
        list.AddLast(std::make_unique<Tracked>(0, 4, &destroyed));
        EXPECT_EQ(list.Count(), 4);
        EXPECT_EQ(Orders(list), (std::vector<int>{1, 2, 3, 4}));

        list.RemoveItem(list.Head()->Next->Next->Item.get());
        EXPECT_EQ(destroyed, (std::vector<int>{3}));
        Tracked stranger(0, 99, nullptr);
        list.RemoveItem(&stranger);  // not in the list: nothing happens
        EXPECT_EQ(list.Count(), 3);

        list.RemoveFirst();
        list.RemoveNode(list.Tail());
        EXPECT_EQ(destroyed, (std::vector<int>{3, 1, 4}));
        EXPECT_EQ(Orders(list), (std::vector<int>{2}));
        EXPECT_EQ(list.Head(), list.Tail());
        EXPECT_EQ(list.Head()->Prev, nullptr);
        EXPECT_EQ(list.Head()->Next, nullptr);

        list.AddFirst(std::make_unique<Tracked>(0, 5, &destroyed));
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(list.Head(), nullptr);
        EXPECT_EQ(list.Tail(), nullptr);
        EXPECT_EQ(destroyed, (std::vector<int>{3, 1, 4, 5, 2}));
        list.RemoveFirst();  // on an empty list: nothing
        list.AddLast(std::make_unique<Tracked>(0, 6, &destroyed));
    }
    EXPECT_EQ(destroyed.back(), 6);  // the list's destruction frees what is left
}

TEST(LinkedList, SortIsStableForEveryLengthAgainstAReference) {
    std::mt19937 random(7);
    for (int length = 0; length <= 40; ++length) {
        TrackedList list;
        std::vector<std::pair<int, int>> reference;  // key, insertion order
        for (int i = 0; i < length; ++i) {
            const int key = static_cast<int>(random() % 5);  // many equal keys
            list.AddLast(std::make_unique<Tracked>(key, i, nullptr));
            reference.emplace_back(key, i);
        }
        list.Sort([](const Tracked& a, const Tracked& b) { return a.key - b.key; });
        std::stable_sort(reference.begin(), reference.end(),
                         [](auto& a, auto& b) { return a.first < b.first; });
        std::vector<int> expected;
        for (auto& entry : reference) expected.push_back(entry.second);
        EXPECT_EQ(Orders(list), expected) << "length " << length;
        EXPECT_EQ(list.Count(), length);
        if (length > 0) {
            EXPECT_EQ(list.Head()->Prev, nullptr);
        }
    }
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
        if (what < 2) {
            auto record = std::make_unique<TTerrainCallback>();
            record->Session = step;
            record->CellX = x;
            record->CellZ = z;
            record->Type = type;
            if (what == 0)
                list.AddFirst(std::move(record));
            else
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
