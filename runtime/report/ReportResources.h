#pragma once

#include "runtime/report/ReportDefinition.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace host {

// The program's report definitions, kept by module as the window definitions are
// (docs/report-definitions.md). A text is registered once under its module name,
// normally by a static ReportRegistration that the build generates from the text file.
class ReportResources {
public:
    static ReportResources& program();

    // Reads a definition text and keeps its reports under `module`; a text with an error
    // registers nothing and the result tells the line.
    ReportParseResult add(std::string_view module, std::string_view text);
    // Null when the module has no such report (letter case ignored).
    std::shared_ptr<const ReportDefinition> load(std::string_view report, std::string_view module);
    bool contains(std::string_view report, std::string_view module) const;
    void clear();

private:
    using Key = std::pair<std::string, std::string>;
    static Key keyOf(std::string_view report, std::string_view module);
    std::map<Key, std::shared_ptr<const ReportDefinition>> entries_;
};

// Registers a report-definition text when the program starts; a text with an error ends
// the program with its message, as broken windows do.
struct ReportRegistration {
    ReportRegistration(std::string_view module, std::string_view text);
};

} // namespace host
