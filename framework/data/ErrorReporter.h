#pragma once

#include "framework/data/Severity.h"
#include "runtime/base/ThreadEndSubscription.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

// One message of the reporter's list. The texts refer into the message table the entry
// was loaded from; the reporter keeps that table alive.
struct ErrorEntry {
    std::uint16_t ID = 0;
    std::string_view MESSAGE;
    std::string_view TITLE;
    std::uint8_t FATALITY = 0; // a Severity; other values end the program
};

// One running procedure of one thread.
struct ProcedureName {
    std::int32_t THREAD = 0;
    std::string NAME;
};

// The one error reporter of the run. It holds the message table, fills a message's
// placeholders from the context that the caller noted just before reporting, shows it
// and answers with a severity level: 0 go on, 4 the user declined, 5 reported; fatal and
// program errors end the program. It also keeps each thread's stack of running
// procedure names for "%Procedure" and the file registry.
//
// Placeholders, replaced in this order and without regard to letter case: "%FileErrorCode",
// "%FileError", "%File", "%ErrorCode", "%ErrorText", "%Error", "%Message", "%Field",
// "%Procedure", "%Previous". A value is inserted as it is: placeholders inside an inserted
// value (a file name holding "%Field", say) are never replaced.
class ErrorReporter {
public:
    ErrorReporter();
    virtual ~ErrorReporter();
    ErrorReporter(const ErrorReporter&) = delete;
    ErrorReporter& operator=(const ErrorReporter&) = delete;

    // Virtual operations, in slot order.

    // Appends the entries of a packed message table to ERRORS, in table order. A table
    // that ends early, or whose count promises more entries than it holds, loads the
    // entries that are complete and stops at the first that is not. Returns the number
    // of entries appended. The reporter keeps its own copy of the table.
    virtual std::size_t LoadMessages(std::string_view table);
    virtual Severity HandleBenign();
    // Shows the message with "  Press OK to end this application" and ends the program
    // through the host's halt (exit code 0, the entry's title as the text).
    virtual Severity HandleFatal();
    virtual Severity HandleNotify();
    virtual Severity HandleOther();
    virtual Severity HandleProgram();
    // A Yes/No question: Yes answers 0 (go on), anything else 4 (cancel).
    virtual Severity HandleUser();

    // Creates the message list with the built-in table, and the procedure-name stack.
    void Setup();
    void Teardown();

    // Context for the next report: the texts for "%File" and "%Field" (clipped, at most
    // 254 characters), and the host runtime's last error.
    void NoteFile(std::string_view name);
    void NoteField(std::string_view name);
    void CaptureRuntimeError();

    // Captures the runtime's error, then reports.
    Severity Raise(std::uint16_t id);
    // Notes the text for "%Message" (at most 254 characters), then raises.
    Severity RaiseWithText(std::uint16_t id, std::string_view text);
    // Reports with the context as it stands; the handler follows the entry's level.
    Severity Report(std::uint16_t id);
    // Shows the entry's message as a question with the given buttons, whatever its level;
    // returns the button pressed.
    unsigned AskUser(std::uint16_t id, unsigned buttons, unsigned defaultButton);

    // Entering (leaving false) pushes the name on the current thread's stack; leaving
    // pops the thread's most recent name, whatever name is passed.
    void TrackProcedure(std::string_view name, bool leaving);
    // The current thread's innermost procedure; empty when it has none.
    std::string CurrentProcedureName() const;
    // Forgets an ended thread's procedure names (called when a logical thread ends,
    // between Setup and Teardown).
    void DropThread(std::int32_t thread);

    // The current entry's message with its placeholders filled (at most 1999 characters).
    std::string SubstituteMessage() const;
    // The entry of the last Report, Raise or AskUser. An id missing from the list reports
    // as an "Undefined Error" notice naming the id.
    const ErrorEntry& CurrentEntry() const;

    std::vector<ErrorEntry> ERRORS;
    std::string FIELDNAME;
    std::string FILENAME;
    std::string MESSAGETEXT;
    std::vector<ProcedureName> PROCNAMES;
    std::string SAVEERROR;
    std::int32_t SAVEERRORCODE = 0;
    std::string SAVEFILEERROR;
    std::string SAVEFILEERRORCODE;

private:
    void makeCurrent(std::uint16_t id);

    static constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t current_ = none;
    host::ThreadEndSubscription threadEnded_;
    ErrorEntry undefined_;
    std::string undefinedText_;
    std::deque<std::string> tables_; // loaded tables that ERRORS refers into
};

} // namespace framework
