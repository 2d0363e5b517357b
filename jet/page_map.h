// A map keyed by page number, kept as a vector sorted by page: the pages
// waiting to be saved are at most a few thousand, most of them added at the
// end, and a vector is searched and walked without a node allocated per
// page, and keeps its room from one save to the next.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "jet/page.h"

namespace jet {

template <typename T>
class PageMap {
  public:
    using Entry = std::pair<PageNumber, T>;

    // The value of `number`, or nullptr.
    T* find(PageNumber number) {
        const auto it = position(number);
        return it != entries_.end() && it->first == number ? &it->second : nullptr;
    }
    const T* find(PageNumber number) const { return const_cast<PageMap*>(this)->find(number); }
    bool contains(PageNumber number) const { return find(number) != nullptr; }

    // Sets the value of `number`, adding it when absent.
    T& assign(PageNumber number, T value) {
        const auto it = position(number);
        if (it != entries_.end() && it->first == number) {
            it->second = std::move(value);
            return it->second;
        }
        return entries_.insert(it, Entry{number, std::move(value)})->second;
    }

    void erase(PageNumber number) {
        const auto it = position(number);
        if (it != entries_.end() && it->first == number) {
            entries_.erase(it);
        }
    }
    // Removes every page numbered `first` or above.
    void erase_from(PageNumber first) { entries_.erase(position(first), entries_.end()); }

    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    void clear() { entries_.clear(); }
    // In ascending page order.
    auto begin() { return entries_.begin(); }
    auto end() { return entries_.end(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

  private:
    typename std::vector<Entry>::iterator position(PageNumber number) {
        return std::lower_bound(entries_.begin(), entries_.end(), number,
                                [](const Entry& entry, PageNumber n) { return entry.first < n; });
    }

    std::vector<Entry> entries_;
};

}  // namespace jet
