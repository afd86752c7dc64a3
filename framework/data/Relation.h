#pragma once

#include "framework/data/BufferedPairList.h"

#include <cstdint>
#include <memory>

namespace framework {

class RelationLink;

// What happens to the other file's matching records when this file's record changes its
// linking fields or goes.
enum RelationAction : std::uint8_t {
    ActionNone = 0,
    ActionClear = 1,    // blank their linking fields
    ActionRestrict = 2, // refuse while matching records exist
    ActionCascade = 3,  // carry the change to them, or delete them
};

// One relation of a file to another: the other file's link, the linking field pairs
// (left this file's field, right the other file's, each with this file's remembered
// value), the other file's key that finds the matching records, and the actions.
struct Relation {
    RelationLink* FILE = nullptr;
    std::unique_ptr<BufferedPairList> FIELDS; // none for a relation without fields
    int HISKEY = 0;                           // the other file's key number, 0 none
    std::uint8_t UPDATEMODE = ActionNone;
    std::uint8_t DELETEMODE = ActionNone;

    // Whether an action leads to any work.
    static bool acts(std::uint8_t action) {
        return action >= ActionClear && action <= ActionCascade;
    }
};

} // namespace framework
