// A row of song_shaped_table() made from a number, for tests that insert
// many songs and tell them apart by ID.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "jet/value.h"

namespace jet_test {

// The row with songID `id`: the title and artist follow from `n`, the three
// paths from the ID; ID (the autonumber) is left for the table to give.
inline std::vector<std::optional<jet::Value>> numbered_song(const std::string& id, int n) {
    return {std::nullopt,
            jet::Value{jet::Text{id}},
            jet::Value{jet::Text{"Song " + std::to_string(n * 7919 % 1000)}},
            jet::Value{jet::Text{"Artist " + std::to_string(n % 13)}},
            jet::Value{jet::Text{"D:\\MIDI\\" + id + ".mid"}},
            jet::Value{jet::Text{"D:\\CUR\\" + id + ".cur"}},
            jet::Value{jet::Text{"D:\\LYR\\" + id + ".lyr"}}};
}

}  // namespace jet_test
