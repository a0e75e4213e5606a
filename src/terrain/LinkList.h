#pragma once
// A doubly linked list that owns its items: the query queue, the command queue and the
// pending-request list are built on it. Iteration follows the classic Next(node) protocol;
// Sort is a stable bottom-up merge on the links.

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
        if (head_) head_->Prev = node; else tail_ = node;
        head_ = node;
        ++count_;
        return node;
    }

    Node* AddLast(std::unique_ptr<T> item) {
        Node* node = new Node{nullptr, tail_, std::move(item)};
        if (tail_) tail_->Next = node; else head_ = node;
        tail_ = node;
        ++count_;
        return node;
    }

    void RemoveNode(Node* node) {
        if (node->Prev) node->Prev->Next = node->Next; else head_ = node->Next;
        if (node->Next) node->Next->Prev = node->Prev; else tail_ = node->Prev;
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

    // Stable merge sort: runs of 1, 2, 4 ... merged until one run remains; on equal items
    // (compare <= 0) the left run wins.
    void Sort(const std::function<int(const T&, const T&)>& compare) {
        if (count_ < 2) return;
        Node* list = head_;
        for (int64_t width = 1;; width *= 2) {
            Node* result = nullptr;
            Node* resultTail = nullptr;
            Node* rest = list;
            int merges = 0;
            while (rest) {
                ++merges;
                Node* left = rest;
                int64_t leftSize = 0;
                while (rest && leftSize < width) { rest = rest->Next; ++leftSize; }
                Node* right = rest;
                int64_t rightSize = 0;
                while (rest && rightSize < width) { rest = rest->Next; ++rightSize; }
                while (leftSize > 0 || rightSize > 0) {
                    Node* take;
                    if (leftSize == 0) { take = right; right = right->Next; --rightSize; }
                    else if (rightSize == 0) { take = left; left = left->Next; --leftSize; }
                    else if (compare(*left->Item, *right->Item) <= 0) {
                        take = left; left = left->Next; --leftSize;
                    } else { take = right; right = right->Next; --rightSize; }
                    take->Prev = resultTail;
                    if (resultTail) resultTail->Next = take; else result = take;
                    resultTail = take;
                }
            }
            resultTail->Next = nullptr;
            list = result;
            head_ = result;
            tail_ = resultTail;
            if (merges <= 1) return;
        }
    }

private:
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    int64_t count_ = 0;
};

}  // namespace tv
