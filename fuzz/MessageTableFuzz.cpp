// Loads arbitrary bytes as a message table, then reports every entry it loaded with
// context texts taken from the same bytes. A table that ends early or lies about its
// count must load only whole entries and never read outside the bytes given.
#include "framework/data/ErrorReporter.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/headless/ScriptedMessageBoxes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool halts = (host::headless::haltByException(), true);
    (void)halts;
    host::headless::ScriptedMessageBoxes boxes;

    // The table is copied into a buffer of its exact size, so that reading past it is
    // caught, and the buffer is gone before the entries are used.
    framework::ErrorReporter reporter;
    reporter.Setup();
    std::size_t builtIn = reporter.ERRORS.size();
    std::size_t loaded;
    {
        std::string table(reinterpret_cast<const char*>(data), size);
        loaded = reporter.LoadMessages(table);
    }
    check(reporter.ERRORS.size() == builtIn + loaded);
    if (size >= 2)
        check(loaded <= std::size_t{data[0]} + 256u * data[1]);
    else
        check(loaded == 0);

    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    reporter.NoteFile(bytes.substr(0, 300));
    reporter.NoteField(bytes.substr(size / 2));
    reporter.MESSAGETEXT = std::string(bytes.substr(size / 3, 254));
    host::setDriverError(std::string(bytes.substr(0, 20)), std::string(bytes.substr(size / 4)));
    reporter.CaptureRuntimeError();
    reporter.TrackProcedure(bytes.substr(0, 40), false);

    for (std::size_t i = builtIn; i < reporter.ERRORS.size(); ++i) {
        boxes.answer(host::ButtonNo);
        try {
            framework::Severity level = reporter.Report(reporter.ERRORS[i].ID);
            check(level == framework::Severity::Benign || level == framework::Severity::Cancel ||
                  level == framework::Severity::Notify);
        } catch (const host::headless::ProgramHalted&) {
        }
        check(reporter.SubstituteMessage().size() <= 1999);
    }
    reporter.Teardown();
    host::clearError();
    return 0;
}
