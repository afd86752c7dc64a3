#pragma once

#include <string>
#include <vector>

namespace host {

// One component of a key: a field of the file's record (1-based number in its layout)
// and the direction in which the key orders it.
struct KeyComponent {
    int field = 0;
    bool ascending = true;

    friend bool operator==(const KeyComponent&, const KeyComponent&) = default;
};

// A key of a data file: an ordered list of fields with its attributes.
//   duplicates  - several records may hold the same key value; otherwise adding or
//                 writing a record whose value is already in the key fails with 40.
//   ignoreCase  - text components compare and order without regard to letter case.
//   primary     - the key the program uses for record positions.
//   spare       - one more attribute the program may give a key; the driver keeps and
//                 reports it and does nothing else with it.
struct KeyDefinition {
    std::string label; // "CUS:NAMEK"
    std::vector<KeyComponent> components;
    bool duplicates = false;
    bool ignoreCase = false;
    bool primary = false;
    bool spare = false;

    int componentCount() const { return static_cast<int>(components.size()); }
    // 1-based, as key component n counts.
    const KeyComponent& component(int number) const {
        return components.at(static_cast<size_t>(number - 1));
    }
    friend bool operator==(const KeyDefinition&, const KeyDefinition&) = default;
};

} // namespace host
