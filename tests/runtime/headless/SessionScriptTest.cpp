#include "runtime/headless/SessionScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using host::headless::CommandKind;
using host::headless::ParsedCommand;
using host::headless::ScriptArguments;
using host::headless::ScriptToken;
using host::headless::SessionCommands;
using host::headless::SessionContext;
using host::headless::SessionScript;
using host::headless::StepAction;
using host::headless::StepResult;

std::vector<ScriptToken> split(std::string_view line) {
    std::string error;
    auto tokens = SessionScript::split(line, error);
    EXPECT_TRUE(tokens) << error;
    return tokens.value_or(std::vector<ScriptToken>{});
}

std::string splitError(std::string_view line) {
    std::string error;
    EXPECT_FALSE(SessionScript::split(line, error));
    return error;
}

TEST(SessionScript, LinesSplitIntoBareWordsAndQuotedTexts) {
    EXPECT_EQ(split(R"(type "Say ""hi"" # not a comment" into "&Name:")"),
              (std::vector<ScriptToken>{{"type", false},
                                        {"Say \"hi\" # not a comment", true},
                                        {"into", false},
                                        {"&Name:", true}}));
    // Key names keep their punctuation; a comment starts with a word beginning in #.
    EXPECT_EQ(split("key Ctrl+' Shift+3 # Tab"),
              (std::vector<ScriptToken>{{"key", false}, {"Ctrl+'", false}, {"Shift+3", false}}));
    EXPECT_EQ(split("\tpress  \"\"  \r"), (std::vector<ScriptToken>{{"press", false}, {"", true}}));
    EXPECT_TRUE(split("   # only a comment").empty());
    // A quoted text right after `=` goes on the bare word (a field and its value).
    EXPECT_EQ(split(R"(record 1 CUS:NAME="JOHN ""J"" SMITH" X=a"b)"),
              (std::vector<ScriptToken>{{"record", false},
                                        {"1", false},
                                        {"CUS:NAME=JOHN \"J\" SMITH", false},
                                        {"X=a\"b", false}}));
    EXPECT_EQ(splitError(R"(record NAME="JOHN)"), "the quoted text is not closed");
    EXPECT_EQ(splitError(R"(record NAME="JOHN"S)"),
              "a blank must follow the quoted text \"NAME=JOHN\"");
}

TEST(SessionScript, StepsKeepTheirLineTextAndCommand) {
    auto script = SessionScript::parse("# Opening\n"
                                       "\n"
                                       "  PRESS \"&Insert\"   # the first button\r\n"
                                       "set clock 23:59:59\n"
                                       "expect \"&Name:\" shows \"SMITH\" in window \"Form\"\n"
                                       "expect active \"Form\"\n"
                                       "expect \"active\" disabled\n"
                                       "wait");
    ASSERT_TRUE(script.ok()) << script.errorMessage();
    const auto& steps = script.steps();
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[0].text, "PRESS \"&Insert\"");
    EXPECT_EQ(steps[0].command, "press");
    EXPECT_EQ(steps[0].kind, CommandKind::Action);
    EXPECT_EQ(steps[0].arguments, (std::vector<ScriptToken>{{"&Insert", true}}));
    // The longest command name wins; "set clock" is one command.
    EXPECT_EQ(steps[1].command, "set clock");
    EXPECT_EQ(steps[2].command, "expect");
    EXPECT_EQ(steps[2].kind, CommandKind::Check);
    EXPECT_EQ(steps[3].command, "expect active");
    // A quoted word is never a command word: this expects a control captioned "active".
    EXPECT_EQ(steps[4].command, "expect");
    EXPECT_EQ(steps[5].line, 8);
    EXPECT_EQ(steps[5].command, "wait");
}

TEST(SessionScript, EveryMistakeIsReportedWithItsLine) {
    auto script = SessionScript::parse("press \"&OK\"\n"
                                       "pres \"&OK\"\n"
                                       "press\n"
                                       "press \"&OK\" now\n"
                                       "advance 1x\n"
                                       "set date 2026-02-30\n"
                                       "key Ctrl+Nothing\n"
                                       "expect \"&Name:\" \"SMITH\"\n"
                                       "\"press\" OK\n"
                                       "type \"unclosed\n");
    EXPECT_FALSE(script.ok());
    EXPECT_TRUE(script.steps().empty()); // nothing of a script with mistakes runs
    std::vector<std::string> errors;
    for (const auto& error : script.errors())
        errors.push_back(error.text());
    EXPECT_EQ(
        errors,
        (std::vector<std::string>{
            "line 2: unknown command pres",
            "line 3: press: name the control (press CONTROL [in window TITLE])",
            "line 4: press: unexpected now (press CONTROL [in window TITLE])",
            "line 5: advance: not a duration: 1x (such as 1s, 1.5s, 250ms, 2m, 1h; at most 31 "
            "days) (advance DURATION)",
            "line 6: set date: give a calendar date as 2026-12-07 (set date YYYY-MM-DD)",
            "line 7: key: unknown key Ctrl+Nothing (key NAME... [in window TITLE])",
            "line 8: expect: say what to expect of \"&Name:\": shows, rows, row, selected, or "
            "states such as enabled or checked (expect CONTROL shows TEXT | STATE... | rows N | "
            "row N [column N] CELL... | selected N [in window TITLE])",
            "line 9: unknown command \"press\"",
            "line 10: the quoted text is not closed",
        }));
}

TEST(SessionScript, ClockAndDurationFormsThatAreUnderstood) {
    for (const char* line : {"advance 1h 30min", "advance 0.01s", "advance 31h",
                             "set clock 23:59:59.50", "set date 2024-02-29"})
        EXPECT_TRUE(SessionScript::parse(line).ok()) << line;
    for (const char* line : {"advance 0s", "advance 1.001s", "advance 745h", "set clock 12:60",
                             "set date 2023-02-29", "advance 99999999999999999999h"})
        EXPECT_FALSE(SessionScript::parse(line).ok()) << line;
}

TEST(SessionScript, ProgramsAddCommandsWithTheirOwnArguments) {
    SessionCommands commands = SessionCommands::standard();
    std::vector<std::string> dumped;
    commands.add(
        "dump file", CommandKind::Check,
        [&](ScriptArguments& arguments) -> ParsedCommand {
            auto file = arguments.takeText();
            if (!file)
                return ParsedCommand::invalid("name the file");
            bool keys = arguments.take("keys");
            return StepAction([&dumped, file, keys](SessionContext&) {
                dumped.push_back(*file + (keys ? " keys" : ""));
                return StepResult::passed();
            });
        },
        "dump file NAME [keys]");
    commands.add("start program", CommandKind::Action,
                 StepAction([](SessionContext&) { return StepResult::passed(); }));
    // A program may also replace a standard command.
    commands.add("wait", CommandKind::Action,
                 StepAction([](SessionContext&) { return StepResult::failed("replaced"); }));

    auto script = SessionScript::parse("Start Program\n"
                                       "dump file Customer keys\n"
                                       "dump file \"Inv Hdr\"\n",
                                       commands);
    ASSERT_TRUE(script.ok()) << script.errorMessage();
    ASSERT_EQ(script.steps().size(), 3u);
    EXPECT_EQ(script.steps()[0].command, "start program");
    EXPECT_EQ(script.steps()[2].arguments, (std::vector<ScriptToken>{{"Inv Hdr", true}}));
    EXPECT_EQ(commands.find("wait")->usage, "wait");

    // Mistakes in a program's command name it with its usage (more in SessionRunnerTest).
    auto wrong = SessionScript::parse("start program now\n", commands);
    ASSERT_EQ(wrong.errors().size(), 1u);
    EXPECT_EQ(wrong.errors()[0].text(), "line 1: start program: unexpected now (start program)");
    // The standard commands stay as they were.
    EXPECT_EQ(SessionCommands::standard().find("dump file"), nullptr);
    EXPECT_FALSE(SessionScript::parse("start program").ok());
}

TEST(SessionScript, TrailingWindowNamesAndNumbers) {
    ScriptArguments arguments(
        {{"1", false}, {"row", false}, {"in", false}, {"window", false}, {"Browse", true}});
    EXPECT_EQ(arguments.takeWindowSuffix(), "Browse");
    EXPECT_EQ(arguments.remaining(), 2u);
    EXPECT_FALSE(arguments.takeWindowSuffix());
    EXPECT_EQ(arguments.takeNumber(), 1);
    EXPECT_FALSE(arguments.takeNumber()); // "row" is no number and stays
    EXPECT_TRUE(arguments.take("ROW"));
    EXPECT_TRUE(arguments.atEnd());
    EXPECT_FALSE(ScriptArguments::number({"12", true}));
    EXPECT_FALSE(ScriptArguments::number({"1e3", false}));
    EXPECT_EQ(ScriptArguments::number({"-4", false}), -4);
    EXPECT_EQ(ScriptArguments::quote("a \"b\""), "\"a \"\"b\"\"\"");

    auto missing = SessionScript::load("/nonexistent/session.txt");
    ASSERT_EQ(missing.errors().size(), 1u);
    EXPECT_EQ(missing.errors()[0].text(), "line 0: cannot read \"/nonexistent/session.txt\"");
}

} // namespace
