#include "runtime/report/ReportResources.h"

#include "runtime/base/MessageBox.h"
#include "runtime/base/Value.h"

#include <cctype>

namespace host {

ReportResources& ReportResources::program() {
    static ReportResources resources;
    return resources;
}

ReportResources::Key ReportResources::keyOf(std::string_view report, std::string_view module) {
    return {upper(module), upper(report)};
}

ReportParseResult ReportResources::add(std::string_view module, std::string_view text) {
    ReportParseResult result = ReportDefinitionParser::parse(text, module);
    if (!result.ok())
        return result;
    for (const ReportDefinition& report : result.reports)
        entries_[keyOf(report.name, module)] = std::make_shared<const ReportDefinition>(report);
    return result;
}

std::shared_ptr<const ReportDefinition> ReportResources::load(std::string_view report,
                                                              std::string_view module) {
    auto found = entries_.find(keyOf(report, module));
    return found == entries_.end() ? nullptr : found->second;
}

bool ReportResources::contains(std::string_view report, std::string_view module) const {
    return entries_.count(keyOf(report, module)) != 0;
}

void ReportResources::clear() {
    entries_.clear();
}

ReportRegistration::ReportRegistration(std::string_view module, std::string_view text) {
    ReportParseResult result = ReportResources::program().add(module, text);
    if (!result.ok())
        halt(3, "Report definitions of " + std::string(module) + ", " + result.message());
}

} // namespace host
