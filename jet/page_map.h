// A map keyed by page number, for the pages waiting to be saved: at most a
// few thousand, added in any order (rows appended go to the end of the file,
// index entries all over it), looked up at every page read, and walked in
// page order only when they are saved or put back.
#pragma once

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

#include "jet/page.h"

namespace jet {

// The entries are kept in a vector in the order they were added, with a hash
// index of where each is; the vector is sorted by page when it is walked, so
// that an entry added in the middle costs no moving of the others.
template <typename T>
class PageMap {
  public:
    using Entry = std::pair<PageNumber, T>;

    // The value of `number`, or nullptr.
    T* find(PageNumber number) {
        const auto at = where_.find(number);
        return at != where_.end() ? &entries_[at->second].second : nullptr;
    }
    const T* find(PageNumber number) const { return const_cast<PageMap*>(this)->find(number); }
    bool contains(PageNumber number) const { return where_.contains(number); }

    // Sets the value of `number`, adding it when absent.
    T& assign(PageNumber number, T value) {
        if (T* found = find(number)) {
            *found = std::move(value);
            return *found;
        }
        if (!entries_.empty() && entries_.back().first > number) {
            sorted_ = false;
        }
        where_.emplace(number, entries_.size());
        return entries_.emplace_back(number, std::move(value)).second;
    }
    void erase(PageNumber number) {
        const auto at = where_.find(number);
        if (at == where_.end()) {
            return;
        }
        const std::size_t position = at->second;
        where_.erase(at);
        if (position + 1 != entries_.size()) {
            entries_[position] = std::move(entries_.back());
            where_[entries_[position].first] = position;
            sorted_ = false;
        }
        entries_.pop_back();
    }
    // Removes every page numbered `first` or above.
    void erase_from(PageNumber first) {
        std::erase_if(entries_, [first](const Entry& entry) { return entry.first >= first; });
        reindex();
    }
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    void clear() {
        entries_.clear();
        where_.clear();
        sorted_ = true;
    }

    // In ascending page order.
    auto begin() {
        sort();
        return entries_.begin();
    }
    auto end() { return entries_.end(); }
    auto begin() const {
        sort();
        return entries_.cbegin();
    }
    auto end() const { return entries_.cend(); }

  private:
    // Sorting changes no entry, only where each lies: a walk of a const map
    // sorts it too.
    void sort() const {
        if (sorted_) {
            return;
        }
        std::sort(entries_.begin(), entries_.end(),
                  [](const Entry& a, const Entry& b) { return a.first < b.first; });
        reindex();
        sorted_ = true;
    }
    void reindex() const {
        where_.clear();
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            where_.emplace(entries_[i].first, i);
        }
    }

    mutable std::vector<Entry> entries_;
    mutable std::unordered_map<PageNumber, std::size_t> where_;
    mutable bool sorted_ = true;
};

}  // namespace jet
