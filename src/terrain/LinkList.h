#pragma once
// A doubly linked list that owns its items (removing a node or clearing the list destroys the
// item): the query queue, the command queue and the pending-request list are built on it. Iteration
// follows the classic Next(node) protocol; Sort is a stable bottom-up merge on the links.

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

namespace tv {

template <typename T>
class TLinkedList final {
public:
    struct Node {
        Node* Next = nullptr;
        Node* Prev = nullptr;
        std::unique_ptr<T> Item;
    };

    TLinkedList() = default;
    ~TLinkedList() { Clear(); }
    TLinkedList(const TLinkedList&) = delete;
    TLinkedList& operator=(const TLinkedList&) = delete;

    int64_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    Node* Head() const { return head_; }
    Node* Tail() const { return tail_; }

    Node* AddFirst(std::unique_ptr<T> item) {
        Node* node = new Node{head_, nullptr, std::move(item)};
        if (head_)
            head_->Prev = node;
        else
            tail_ = node;
        head_ = node;
        ++count_;
        return node;
    }

    Node* AddLast(std::unique_ptr<T> item) {
        Node* node = new Node{nullptr, tail_, std::move(item)};
        if (tail_)
            tail_->Next = node;
        else
            head_ = node;
        tail_ = node;
        ++count_;
        return node;
    }

    void RemoveNode(Node* node) {
        if (node->Prev)
            node->Prev->Next = node->Next;
        else
            head_ = node->Next;
        if (node->Next)
            node->Next->Prev = node->Prev;
        else
            tail_ = node->Prev;
        --count_;
        delete node;
    }

    void RemoveFirst() {
        if (head_) RemoveNode(head_);
    }

    void RemoveItem(const T* item) {
        for (Node* node = head_; node; node = node->Next) {
            if (node->Item.get() == item) {
                RemoveNode(node);
                return;
            }
        }
    }

    void Clear() {
        while (head_) {
            Node* next = head_->Next;
            delete head_;
            head_ = next;
        }
        tail_ = nullptr;
        count_ = 0;
    }

    // The iteration step: a walk starts with node = nullptr. Returns false at the end.
    bool Next(Node*& node) const {
        if (!head_ || node == tail_) return false;
        node = node ? node->Next : head_;
        return true;
    }

    // Stable merge sort on the links: runs of 1, 2, 4 ... merged pairwise until one run
    // remains; on equal items (compare <= 0) the left run wins.
    void Sort(const std::function<int(const T&, const T&)>& compare) {
        if (count_ < 2) return;
        for (int64_t width = 1;; width *= 2) {
            Chain sorted;
            Node* rest = head_;
            int64_t merges = 0;
            while (rest) {
                ++merges;
                Node* left = rest;
                const int64_t leftSize = Skip(rest, width);
                Node* right = rest;
                const int64_t rightSize = Skip(rest, width);
                Merge(sorted, left, leftSize, right, rightSize, compare);
            }
            sorted.tail->Next = nullptr;
            head_ = sorted.head;
            tail_ = sorted.tail;
            if (merges <= 1) return;
        }
    }

private:
    // The nodes merged so far in one pass; Prev links are rebuilt as nodes are appended.
    struct Chain {
        Node* head = nullptr;
        Node* tail = nullptr;
        void Append(Node* node) {
            node->Prev = tail;
            if (tail)
                tail->Next = node;
            else
                head = node;
            tail = node;
        }
    };

    // Moves node up to n links on; returns how many it moved.
    static int64_t Skip(Node*& node, int64_t n) {
        int64_t moved = 0;
        while (node && moved < n) {
            node = node->Next;
            ++moved;
        }
        return moved;
    }

    // Merges two adjacent runs onto the chain. Each node's Next is read before the chain
    // rewrites it.
    static void Merge(Chain& chain, Node* left, int64_t leftSize, Node* right, int64_t rightSize,
                      const std::function<int(const T&, const T&)>& compare) {
        while (leftSize > 0 || rightSize > 0) {
            const bool takeLeft =
                rightSize == 0 || (leftSize > 0 && compare(*left->Item, *right->Item) <= 0);
            Node* take = takeLeft ? left : right;
            if (takeLeft) {
                left = left->Next;
                --leftSize;
            } else {
                right = right->Next;
                --rightSize;
            }
            chain.Append(take);
        }
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    int64_t count_ = 0;
};

}  // namespace tv
