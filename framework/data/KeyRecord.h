#pragma once

#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <string>
#include <vector>

namespace framework {

// A key of a file as its FileAccess knows it: the host's key with the description shown
// for it, its components and the attributes read from the file definition.
struct KeyRecord {
    // One component, in key order. FIELDNAME is the field's label, or "UPPER(label)" for
    // a text field of a key that ignores case: the form order and filter texts name it by.
    struct Component {
        host::TypedRef FIELD;
        std::string FIELDNAME;
        bool ASCEND = true;
    };

    int KEY = 0; // the host's key number in the file
    std::string DESCRIPTION;
    std::vector<Component> FIELDS;
    // 0 not numbered, 1 the whole key, n the n-th component numbered within equal
    // leading components.
    std::uint8_t AUTOINC = 0;
    bool DUPS = false;
    bool NOCASE = false;
};

} // namespace framework
