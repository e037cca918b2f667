#pragma once

// Sparse storage for the string grid: a directory of fixed-size sections that is allocated only
// where something was written, so a grid of a million rows holding a thousand cells costs memory
// for those cells alone. Reading an index that was never written costs one directory look-up.

#include "grid/QxGridErrors.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace corvel {

/// Section size of a sparse array: 16 slots for a small grid, 256 for a large one.
enum class SparseQuantum { Small, Large };

/// Raises EStringSparseListError "List index out of bounds (index)".
[[noreturn]] void raiseSparseIndexError(int index);

/// An owning array of T indexed from 0 in which unwritten slots are empty (null). The directory
/// grows to fit the highest index written; every new section starts empty.
template <class T> class TSparsePointerArray {
public:
    explicit TSparsePointerArray(SparseQuantum quantum)
        : shift_(quantum == SparseQuantum::Large ? 8 : 4) {}

    /// The item at `index`, or null when none was written there. `index` must be >= 0.
    T* Get(int index) const {
        const std::size_t section = static_cast<std::size_t>(index) >> shift_;
        if (section >= directory_.size() || !directory_[section])
            return nullptr;
        return directory_[section][index & mask()].get();
    }

    /// Stores `item` at `index` (>= 0), freeing what was there; a null item empties the slot.
    void Put(int index, std::unique_ptr<T> item) {
        if (item)
            createSlot(index) = std::move(item);
        else
            Take(index);
    }

    /// Removes the item at `index` from the array and hands it to the caller.
    std::unique_ptr<T> Take(int index) {
        const std::size_t section = static_cast<std::size_t>(index) >> shift_;
        if (section >= directory_.size() || !directory_[section])
            return nullptr;
        return std::move(directory_[section][index & mask()]);
    }

    /// The highest index holding an item, -1 when the array is empty.
    int HighBound() const {
        for (std::size_t s = directory_.size(); s-- > 0;) {
            if (!directory_[s])
                continue;
            for (int i = sectionSize(); i-- > 0;)
                if (directory_[s][i])
                    return static_cast<int>((s << shift_) + i);
        }
        return -1;
    }

    /// Calls f(index, item) for every item, in ascending index order.
    template <class F> void ForAll(F&& f) const {
        for (std::size_t s = 0; s < directory_.size(); ++s) {
            if (!directory_[s])
                continue;
            for (int i = 0; i < sectionSize(); ++i)
                if (T* item = directory_[s][i].get())
                    f(static_cast<int>((s << shift_) + i), *item);
        }
    }

    /// Number of sections allocated, for measuring the storage.
    std::size_t SectionCount() const {
        std::size_t n = 0;
        for (const auto& section : directory_)
            n += section != nullptr;
        return n;
    }

    void Clear() { directory_.clear(); }

    int sectionSize() const { return 1 << shift_; }

private:
    using Section = std::unique_ptr<std::unique_ptr<T>[]>;

    int mask() const { return sectionSize() - 1; }

    std::unique_ptr<T>& createSlot(int index) {
        const std::size_t section = static_cast<std::size_t>(index) >> shift_;
        if (section >= directory_.size())
            directory_.resize(section + 1);
        if (!directory_[section])
            directory_[section] = std::make_unique<std::unique_ptr<T>[]>(sectionSize());
        return directory_[section][index & mask()];
    }

    int shift_;
    std::vector<Section> directory_;
};

/// A sparse list of owned items: its count is the highest index holding an item plus one.
/// Deleting and inserting shift the items behind the index.
template <class T> class TSparseList {
public:
    explicit TSparseList(SparseQuantum quantum) : items_(quantum) {}

    int Count() const { return count_; }

    T* Get(int index) const {
        if (index < 0)
            raiseSparseIndexError(index);
        return items_.Get(index);
    }

    void Put(int index, std::unique_ptr<T> item) {
        if (index < 0)
            raiseSparseIndexError(index);
        const bool present = item != nullptr;
        items_.Put(index, std::move(item));
        if (present && index >= count_)
            count_ = index + 1;
        else if (!present && index == count_ - 1)
            count_ = items_.HighBound() + 1;
    }

    std::unique_ptr<T> Take(int index) {
        if (index < 0)
            raiseSparseIndexError(index);
        auto item = items_.Take(index);
        if (index == count_ - 1)
            count_ = items_.HighBound() + 1;
        return item;
    }

    /// Removes the item at `index` and moves every following item down by one.
    void Delete(int index) {
        if (index < 0 || index >= count_)
            raiseSparseIndexError(index);
        items_.Put(index, nullptr);
        for (int i = index + 1; i < count_; ++i)
            if (auto item = items_.Take(i))
                items_.Put(i - 1, std::move(item));
        count_ = items_.HighBound() + 1;
    }

    /// Moves every item from `index` on up by one, leaving `index` empty.
    void Insert(int index) {
        if (index < 0)
            raiseSparseIndexError(index);
        for (int i = count_ - 1; i >= index; --i)
            if (auto item = items_.Take(i))
                items_.Put(i + 1, std::move(item));
        count_ = items_.HighBound() + 1;
    }

    /// Takes the item at `from` out and puts it back at `to`, shifting the items between.
    void Move(int from, int to) {
        if (from < 0)
            raiseSparseIndexError(from);
        if (to < 0)
            raiseSparseIndexError(to);
        if (from == to)
            return;
        auto moving = items_.Take(from);
        if (from < to) {
            for (int i = from + 1; i <= to; ++i)
                if (auto item = items_.Take(i))
                    items_.Put(i - 1, std::move(item));
        } else {
            for (int i = from - 1; i >= to; --i)
                if (auto item = items_.Take(i))
                    items_.Put(i + 1, std::move(item));
        }
        items_.Put(to, std::move(moving));
        count_ = items_.HighBound() + 1;
    }

    void Exchange(int a, int b) {
        if (a < 0)
            raiseSparseIndexError(a);
        if (b < 0)
            raiseSparseIndexError(b);
        auto first = items_.Take(a);
        auto second = items_.Take(b);
        items_.Put(a, std::move(second));
        items_.Put(b, std::move(first));
        count_ = items_.HighBound() + 1;
    }

    void Clear() {
        items_.Clear();
        count_ = 0;
    }

    template <class F> void ForAll(F&& f) const { items_.ForAll(std::forward<F>(f)); }

    std::size_t SectionCount() const { return items_.SectionCount(); }

private:
    TSparsePointerArray<T> items_;
    int count_ = 0;
};

/// An object attached to a cell; the grid does not own it.
using CellObject = void*;

/// A string list over a sparse list: each item a text and an object. Unwritten items read as the
/// empty text with no object; writing the empty text with no object frees the item.
class TStringSparseList {
public:
    explicit TStringSparseList(SparseQuantum quantum) : list_(quantum) {}

    /// Highest index written plus one.
    int Count() const { return list_.Count(); }

    QString Get(int index) const {
        const Item* item = list_.Get(index);
        return item ? item->text : QString();
    }
    void Put(int index, const QString& text);

    CellObject GetObject(int index) const {
        const Item* item = list_.Get(index);
        return item ? item->object : nullptr;
    }
    /// Attaches `object` to an existing item; raises "PutObject to undefined item" when the item
    /// was never written and `object` is not null.
    void PutObject(int index, CellObject object);

    void Delete(int index) { list_.Delete(index); }
    void Insert(int index, const QString& text) {
        list_.Insert(index);
        Put(index, text);
    }
    void Move(int from, int to) { list_.Move(from, to); }
    void Exchange(int a, int b) { list_.Exchange(a, b); }
    void Clear() { list_.Clear(); }

    std::size_t SectionCount() const { return list_.SectionCount(); }

private:
    struct Item {
        QString text;
        CellObject object = nullptr;
    };
    TSparseList<Item> list_;
};

} // namespace corvel
