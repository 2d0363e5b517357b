// The model of a label: its caption and its place, which the hidden label
// strip changes once at start-up.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "window/design_table.h"
#include "window/list_index.h"

namespace window {

// A text at a position in its container; positions and sizes in twips.
class Label {
  public:
    explicit Label(const ControlDesign& design);

    const std::string& Caption() const { return caption_; }
    void set_Caption(std::string caption) {
        caption_ = std::move(caption);
        ++revision_;
    }

    float Left() const { return left_; }
    void set_Left(float left) {
        left_ = left;
        ++revision_;
    }
    float Top() const { return top_; }
    void set_Top(float top) {
        top_ = top;
        ++revision_;
    }
    float Width() const { return width_; }
    float Height() const { return height_; }

    // Counts the writes of caption and position, so that a view can tell
    // whether the label still shows what it last showed without comparing.
    std::uint64_t revision() const { return revision_; }

    const ControlDesign& design() const { return design_; }

  private:
    const ControlDesign& design_;
    std::string caption_;
    float left_;
    float top_;
    float width_;
    float height_;
    std::uint64_t revision_ = 0;
};

// The label array Label2: members reached by index, 0 to 21.
class LabelArray {
  public:
    static constexpr ListIndex kMembers = 22;

    explicit LabelArray(std::string_view name);

    // Member i; an index outside 0 to 21 throws std::out_of_range.
    Label& operator[](ListIndex i);
    const Label& operator[](ListIndex i) const;

  private:
    std::array<Label, kMembers> members_;
};

}  // namespace window
