#include "framework/data/ErrorReporter.h"

#include "framework/data/BuiltInMessages.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"

#include <cctype>

namespace framework {

namespace {

// The context texts are zero-terminated 255-byte fields; the work area holds 2000 bytes.
constexpr std::size_t contextLength = 254;
constexpr std::size_t workAreaLength = 1999;

std::string cut(std::string_view text, std::size_t length) {
    return std::string(text.substr(0, length));
}

bool sameLetter(char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) ==
           std::toupper(static_cast<unsigned char>(b));
}

// The text being substituted, with a mark on every character that came from a value,
// so that a placeholder is only ever found in the message's own text.
class WorkArea {
public:
    explicit WorkArea(std::string_view message)
        : text_(cut(message, workAreaLength)), inserted_(text_.size(), false) {}

    bool holds(std::string_view placeholder) const { return find(placeholder, 0) != none; }

    void replace(std::string_view placeholder, std::string_view value) {
        std::size_t from = 0;
        for (std::size_t at; (at = find(placeholder, from)) != none;) {
            text_.replace(at, placeholder.size(), value);
            inserted_.erase(inserted_.begin() + static_cast<std::ptrdiff_t>(at),
                            inserted_.begin() +
                                static_cast<std::ptrdiff_t>(at + placeholder.size()));
            inserted_.insert(inserted_.begin() + static_cast<std::ptrdiff_t>(at), value.size(),
                             true);
            if (text_.size() > workAreaLength) {
                text_.resize(workAreaLength);
                inserted_.resize(workAreaLength);
            }
            from = at + value.size();
        }
    }

    const std::string& text() const { return text_; }

private:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    std::size_t find(std::string_view placeholder, std::size_t from) const {
        for (std::size_t at = from; at + placeholder.size() <= text_.size(); ++at) {
            std::size_t i = 0;
            while (i < placeholder.size() && !inserted_[at + i] &&
                   sameLetter(text_[at + i], placeholder[i]))
                ++i;
            if (i == placeholder.size())
                return at;
        }
        return none;
    }

    std::string text_;
    std::vector<bool> inserted_;
};

} // namespace

ErrorReporter::ErrorReporter() = default;
ErrorReporter::~ErrorReporter() = default;

std::size_t ErrorReporter::LoadMessages(std::string_view table) {
    // The built-in table lives for the whole run; any other table is copied, so that the
    // entries never refer into a caller's buffer that is gone.
    if (table.data() != builtInMessageTable().data()) {
        tables_.emplace_back(table);
        table = tables_.back();
    }
    auto byteAt = [&](std::size_t at) { return static_cast<unsigned char>(table[at]); };
    std::size_t loaded = 0;
    if (table.size() >= 2) {
        std::size_t count = byteAt(0) | (byteAt(1) << 8u);
        std::size_t at = 2;
        for (; loaded < count; ++loaded) {
            ErrorEntry entry;
            if (table.size() - at < 4)
                break;
            entry.ID = static_cast<std::uint16_t>(byteAt(at) | (byteAt(at + 1) << 8u));
            entry.FATALITY = byteAt(at + 2);
            std::size_t titleLength = byteAt(at + 3);
            at += 4;
            if (table.size() - at < titleLength + 1)
                break;
            entry.TITLE = table.substr(at, titleLength);
            at += titleLength;
            std::size_t messageLength = byteAt(at);
            at += 1;
            if (table.size() - at < messageLength)
                break;
            entry.MESSAGE = table.substr(at, messageLength);
            at += messageLength;
            ERRORS.push_back(entry);
        }
    }
    if (loaded == 0 && table.data() != builtInMessageTable().data())
        tables_.pop_back();
    return loaded;
}

Severity ErrorReporter::HandleBenign() {
    return Severity::Benign;
}

Severity ErrorReporter::HandleFatal() {
    // Copied before the box: other threads run while it is open and may report.
    std::string title(CurrentEntry().TITLE);
    std::string text = SubstituteMessage() + "  Press OK to end this application";
    host::showMessage(text, title, host::MessageIcon::Information, host::ButtonOk, host::ButtonOk);
    host::halt(0, title);
}

Severity ErrorReporter::HandleNotify() {
    host::showMessage(SubstituteMessage(), CurrentEntry().TITLE, host::MessageIcon::Information,
                      host::ButtonOk, host::ButtonOk);
    return Severity::Notify;
}

Severity ErrorReporter::HandleOther() {
    return HandleProgram();
}

Severity ErrorReporter::HandleProgram() {
    return HandleFatal();
}

Severity ErrorReporter::HandleUser() {
    unsigned answer =
        host::showMessage(SubstituteMessage(), CurrentEntry().TITLE, host::MessageIcon::Exclamation,
                          host::ButtonYes | host::ButtonNo, host::ButtonYes);
    return answer == host::ButtonYes ? Severity::Benign : Severity::Cancel;
}

void ErrorReporter::Setup() {
    Teardown();
    LoadMessages(builtInMessageTable());
    threadEnded_.subscribe([this](int thread) { DropThread(thread); });
}

void ErrorReporter::Teardown() {
    threadEnded_.cancel();
    ERRORS.clear();
    PROCNAMES.clear();
    tables_.clear();
    current_ = none;
}

void ErrorReporter::NoteFile(std::string_view name) {
    FILENAME = cut(host::clipped(name), contextLength);
}

void ErrorReporter::NoteField(std::string_view name) {
    FIELDNAME = cut(host::clipped(name), contextLength);
}

void ErrorReporter::CaptureRuntimeError() {
    const host::RuntimeError& error = host::lastError();
    SAVEERRORCODE = error.code;
    SAVEERROR = cut(host::clipped(error.text), contextLength);
    SAVEFILEERRORCODE = cut(host::clipped(error.driverCode), contextLength);
    SAVEFILEERROR = cut(host::clipped(error.driverText), contextLength);
}

Severity ErrorReporter::Raise(std::uint16_t id) {
    CaptureRuntimeError();
    return Report(id);
}

Severity ErrorReporter::RaiseWithText(std::uint16_t id, std::string_view text) {
    MESSAGETEXT = cut(text, contextLength);
    return Raise(id);
}

Severity ErrorReporter::Report(std::uint16_t id) {
    makeCurrent(id);
    switch (static_cast<Severity>(CurrentEntry().FATALITY)) {
    case Severity::Benign:
        return HandleBenign();
    case Severity::User:
    case Severity::Cancel:
        return HandleUser();
    case Severity::Program:
        return HandleProgram();
    case Severity::Fatal:
        return HandleFatal();
    case Severity::Notify:
        HandleNotify();
        return Severity::Notify;
    }
    return HandleOther();
}

unsigned ErrorReporter::AskUser(std::uint16_t id, unsigned buttons, unsigned defaultButton) {
    makeCurrent(id);
    return host::showMessage(SubstituteMessage(), CurrentEntry().TITLE,
                             host::MessageIcon::Exclamation, buttons, defaultButton);
}

void ErrorReporter::TrackProcedure(std::string_view name, bool leaving) {
    std::int32_t thread = host::currentThread();
    if (!leaving) {
        PROCNAMES.push_back({thread, host::clip(name)});
        return;
    }
    for (auto it = PROCNAMES.rbegin(); it != PROCNAMES.rend(); ++it)
        if (it->THREAD == thread) {
            PROCNAMES.erase(std::next(it).base());
            return;
        }
}

void ErrorReporter::DropThread(std::int32_t thread) {
    std::erase_if(PROCNAMES, [thread](const ProcedureName& name) { return name.THREAD == thread; });
}

std::string ErrorReporter::CurrentProcedureName() const {
    std::int32_t thread = host::currentThread();
    for (auto it = PROCNAMES.rbegin(); it != PROCNAMES.rend(); ++it)
        if (it->THREAD == thread)
            return it->NAME;
    return {};
}

std::string ErrorReporter::SubstituteMessage() const {
    const ErrorEntry& entry = CurrentEntry();
    WorkArea work(entry.MESSAGE);
    work.replace("%FileErrorCode", SAVEFILEERRORCODE);
    work.replace("%FileError", SAVEFILEERROR);
    work.replace("%File", FILENAME);
    work.replace("%ErrorCode", std::to_string(SAVEERRORCODE));
    work.replace("%ErrorText", SAVEERRORCODE == host::errors::driverError
                                   ? SAVEFILEERROR + " (" + SAVEFILEERRORCODE + ")"
                                   : SAVEERROR + " (" + std::to_string(SAVEERRORCODE) + ")");
    work.replace("%Error", SAVEERROR);
    work.replace("%Message", MESSAGETEXT);
    work.replace("%Field", FIELDNAME);
    work.replace("%Procedure", CurrentProcedureName());
    if (work.holds("%Previous")) {
        std::string_view previous;
        if (current_ != none)
            for (std::size_t i = current_; i-- > 0;)
                if (ERRORS[i].ID == entry.ID) {
                    previous = ERRORS[i].MESSAGE;
                    break;
                }
        work.replace("%Previous", previous);
    }
    return work.text();
}

const ErrorEntry& ErrorReporter::CurrentEntry() const {
    return current_ < ERRORS.size() ? ERRORS[current_] : undefined_;
}

void ErrorReporter::makeCurrent(std::uint16_t id) {
    for (std::size_t i = ERRORS.size(); i-- > 0;)
        if (ERRORS[i].ID == id) {
            current_ = i;
            return;
        }
    current_ = none;
    undefinedText_ = "The error " + std::to_string(id) + " is not defined.";
    undefined_ = {id, undefinedText_, "Undefined Error", levelOf(Severity::Notify)};
}

} // namespace framework
