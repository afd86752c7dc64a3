#include "runtime/report/PrintService.h"

namespace host {

namespace {

struct State {
    PageOutput* output = nullptr;
    std::string pdfDestination;
    bool askPrinter = false;
};

State& state() {
    static State instance;
    return instance;
}

} // namespace

void PrintService::install(PageOutput* output) {
    state().output = output;
}

PageOutput* PrintService::installed() {
    return state().output;
}

void PrintService::setPdfDestination(std::string path) {
    state().pdfDestination = std::move(path);
}

const std::string& PrintService::pdfDestination() {
    return state().pdfDestination;
}

void PrintService::setAskPrinter(bool ask) {
    state().askPrinter = ask;
}

PrintResult PrintService::print(const std::vector<std::string>& pages, std::string_view jobName) {
    if (!state().pdfDestination.empty())
        return savePdf(pages, state().pdfDestination);
    if (!state().output)
        return {false, "No printer is available to print the report.", 0};
    return state().output->print(pages, jobName, state().askPrinter);
}

PrintResult PrintService::savePdf(const std::vector<std::string>& pages, const std::string& path) {
    if (!state().output)
        return {false, "A PDF file cannot be written here: there is no page output.", 0};
    return state().output->savePdf(pages, path);
}

} // namespace host
