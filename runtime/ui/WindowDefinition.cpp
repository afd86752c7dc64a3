#include "runtime/ui/WindowDefinition.h"

#include "runtime/base/Value.h"

#include <algorithm>

namespace host {

const ControlDefinition* WindowDefinition::control(int number) const {
    for (const auto& c : controls)
        if (c.number == number)
            return &c;
    return nullptr;
}

const ControlDefinition* WindowDefinition::controlNamed(std::string_view name) const {
    for (const auto& c : controls)
        if (!c.name.empty() && equalIgnoringCase(c.name, name))
            return &c;
    return nullptr;
}

int WindowDefinition::highestNumber() const {
    int highest = 0;
    for (const auto& c : controls)
        highest = std::max(highest, c.number);
    return highest;
}

} // namespace host
