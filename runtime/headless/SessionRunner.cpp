#include "runtime/headless/SessionRunner.h"

#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/ScriptedMessageBoxes.h"
#include "runtime/headless/SessionView.h"

#include <exception>
#include <ostream>

namespace host::headless {

SessionRunner::SessionRunner(HeadlessSession& session)
    : session_(session), commands_(SessionCommands::standard()), context_(session) {}

void SessionRunner::write(SessionResult& result, const std::string& line) {
    result.transcript += line;
    result.transcript += '\n';
    if (echo_)
        *echo_ << line << '\n' << std::flush;
}

SessionResult SessionRunner::run(std::string_view text) {
    return run(parse(text));
}

SessionResult SessionRunner::runFile(const std::string& path) {
    return run(SessionScript::load(path, commands_));
}

StepResult SessionRunner::runStep(const SessionStep& step) {
    if (step.kind == CommandKind::Action && context_.hasHalted())
        return StepResult::failed("the program has halted (" +
                                  ScriptArguments::quote(context_.haltText()) + ")");
    try {
        return step.action(context_);
    } catch (const ProgramHalted& halted) {
        // The program ended itself; the step that led there did its part.
        context_.setHalted(halted.exitCode, halted.what());
        return StepResult::passed();
    } catch (const std::exception& error) {
        return StepResult::failed(std::string("the program failed: ") + error.what());
    }
}

SessionResult SessionRunner::run(const SessionScript& script) {
    SessionResult result;
    if (!script.ok()) {
        result.failedLine = script.errors().front().line;
        result.failure = script.errorMessage();
        for (const auto& error : script.errors())
            write(result, "error " + error.text());
        return result;
    }
    for (const SessionStep& step : script.steps()) {
        SessionView before = SessionView::capture(session_);
        bool haltedBefore = context_.hasHalted();
        if (step.kind == CommandKind::Action)
            context_.setMessagesBeforeLastAction(session_.messagesShown().size());
        write(result, step.text);
        StepResult outcome = runStep(step);
        ++result.stepsRun;
        for (const auto& line : context_.takePrinted())
            write(result, "    " + line);
        for (const auto& change : SessionView::capture(session_).changesSince(before, session_))
            write(result, "    " + change);
        if (context_.hasHalted() && !haltedBefore)
            write(result, "    halted " + ScriptArguments::quote(context_.haltText()));
        if (!outcome.ok()) {
            result.failedLine = step.line;
            result.failure = "line " + std::to_string(step.line) + ": " + outcome.failure();
            write(result, "    FAILED " + result.failure);
            return result;
        }
    }
    if (std::size_t left = session_.display().scriptedAnswersLeft())
        write(result, "(" + std::to_string(left) + " answer" + (left == 1 ? "" : "s") +
                          " given for dialogs that never came)");
    result.passed = true;
    return result;
}

} // namespace host::headless
