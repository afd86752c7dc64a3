#include "framework/data/ErrorReporter.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/headless/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

using namespace framework;
using host::headless::ProgramHalted;

namespace {

struct Message {
    std::uint16_t id;
    std::uint8_t level;
    std::string title;
    std::string text;
};

std::string packed(const std::vector<Message>& messages) {
    std::string table;
    table += static_cast<char>(messages.size() & 0xFF);
    table += static_cast<char>(messages.size() >> 8);
    for (const Message& m : messages) {
        table += static_cast<char>(m.id & 0xFF);
        table += static_cast<char>(m.id >> 8);
        table += static_cast<char>(m.level);
        table += static_cast<char>(m.title.size());
        table += m.title;
        table += static_cast<char>(m.text.size());
        table += m.text;
    }
    return table;
}

class ErrorReporterTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::headless::haltByException();
        host::setCurrentThread(1);
        host::clearError();
        reporter.Setup();
    }
    void TearDown() override {
        reporter.Teardown();
        host::setHaltHandler({});
        host::setCurrentThread(1);
        host::clearError();
    }
    // Loads one message under a test id and reports it.
    std::string shownFor(const std::string& message) {
        reporter.LoadMessages(packed({{900, 5, "T", message}}));
        boxes.forget();
        reporter.Report(900);
        return boxes.shown().empty() ? "<nothing shown>" : boxes.shown().back().text;
    }

    host::headless::ScriptedMessageBoxes boxes;
    ErrorReporter reporter;
};

TEST_F(ErrorReporterTest, ErrorTextShowsTheDriversOrTheRuntimesError) {
    reporter.NoteFile("Customer   ");
    host::setError(host::errors::noRecord);
    EXPECT_EQ(reporter.Raise(1), Severity::Notify);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Record Retrieval Error");
    EXPECT_EQ(boxes.shown()[0].text,
              "Error: (Record Not Available (33)) attempting to access a "
              "record from the Customer file.  Returning to previous window.");
    EXPECT_EQ(boxes.shown()[0].icon, host::MessageIcon::Information);
    EXPECT_EQ(boxes.shown()[0].buttons, host::ButtonOk);

    host::setDriverError("SQLITE_BUSY  ", "database is locked");
    reporter.Raise(4);
    EXPECT_EQ(boxes.shown()[1].text, "An error was experienced during the creation of a record. "
                                     "Error: database is locked (SQLITE_BUSY).");

    // Report alone does not capture: the earlier capture stands.
    host::setError(host::errors::accessDenied);
    reporter.Report(4);
    EXPECT_EQ(boxes.shown()[2].text, boxes.shown()[1].text);
}

TEST_F(ErrorReporterTest, PlaceholdersMatchLongestFirstAndInAnyCase) {
    reporter.NoteFile("Item");
    reporter.NoteField("ITM:PRICE");
    reporter.MESSAGETEXT = "0 and 10";
    host::setDriverError("E17", "disk full");
    reporter.CaptureRuntimeError();
    reporter.TrackProcedure("UpdateItems", false);
    EXPECT_EQ(shownFor("%FileErrorCode|%fileerror|%FILE|%ErrorCode|%Error|%message|%Field|%"
                       "Procedure"),
              "E17|disk full|Item|90|File System Error|0 and 10|ITM:PRICE|UpdateItems");
}

TEST_F(ErrorReporterTest, InsertedValuesAreNeverSubstitutedAgain) {
    reporter.NoteFile("x%Filey");
    reporter.NoteField("%Message");
    reporter.MESSAGETEXT = "%Procedure";
    EXPECT_EQ(shownFor("%File, %File, %Field"), "x%Filey, x%Filey, %Message");
    // A value's end and the message's text do not make a placeholder together.
    reporter.NoteFile("50%");
    EXPECT_EQ(shownFor("%FileField"), "50%Field");
}

TEST_F(ErrorReporterTest, WorkAreaHoldsAtMost1999Characters) {
    reporter.RaiseWithText(24, std::string(300, 'm') + "tail");
    EXPECT_EQ(reporter.MESSAGETEXT, std::string(254, 'm'));
    std::string many;
    for (int i = 0; i < 10; ++i)
        many += "%Message";
    EXPECT_EQ(shownFor(many), std::string(1999, 'm'));

    reporter.NoteFile(std::string(300, 'f'));
    EXPECT_EQ(reporter.FILENAME.size(), 254u);
}

TEST_F(ErrorReporterTest, QuestionsAnswerGoOnOrCancel) {
    boxes.answer(host::ButtonYes);
    EXPECT_EQ(reporter.Report(37), Severity::Benign);
    boxes.answer(host::ButtonNo);
    EXPECT_EQ(reporter.Report(37), Severity::Cancel);
    EXPECT_EQ(boxes.shown().back().buttons, host::ButtonYes | host::ButtonNo);

    // Level 4 asks as well; level 0 shows nothing.
    reporter.LoadMessages(packed({{901, 4, "Q", "Sure?"}, {902, 0, "B", "quiet"}}));
    boxes.answer(host::ButtonYes);
    EXPECT_EQ(reporter.Report(901), Severity::Benign);
    std::size_t shown = boxes.shown().size();
    EXPECT_EQ(reporter.Report(902), Severity::Benign);
    EXPECT_EQ(boxes.shown().size(), shown);
}

TEST_F(ErrorReporterTest, ProgramAndUnknownLevelsEndTheRun) {
    EXPECT_THROW(reporter.Report(39), ProgramHalted);
    reporter.LoadMessages(packed({{903, 9, "Odd", "odd level"}}));
    EXPECT_THROW(reporter.Report(903), ProgramHalted);
    EXPECT_EQ(boxes.shown().back().text, "odd level  Press OK to end this application");
}

TEST_F(ErrorReporterTest, ALaterEntryReplacesAnIdAndCanShowThePreviousText) {
    reporter.LoadMessages(packed({{22, 5, "Nothing To Do", "%Previous (%Previous)"}}));
    reporter.Report(22);
    EXPECT_EQ(boxes.shown().back().title, "Nothing To Do");
    EXPECT_EQ(boxes.shown().back().text, "There are no records available to process. (There are "
                                         "no records available to process.)");
    // A %Previous without an earlier entry of the id is empty.
    EXPECT_EQ(shownFor("[%previous]"), "[]");
}

TEST_F(ErrorReporterTest, AnUndefinedIdIsANotice) {
    EXPECT_EQ(reporter.Report(29), Severity::Notify);
    EXPECT_EQ(boxes.shown().back().title, "Undefined Error");
    EXPECT_EQ(boxes.shown().back().text, "The error 29 is not defined.");
    reporter.Teardown();
    EXPECT_EQ(reporter.Report(1), Severity::Notify);
}

TEST_F(ErrorReporterTest, TablesThatEndEarlyLoadTheirWholeEntries) {
    std::string table = packed({{910, 5, "One", "first"}, {911, 5, "Two", "second"}});
    std::size_t before = reporter.ERRORS.size();
    for (std::size_t length = 0; length < table.size(); ++length) {
        std::string part = table.substr(0, length);
        std::size_t whole = length >= 2 + 4 + 3 + 1 + 5 ? 1 : 0;
        EXPECT_EQ(reporter.LoadMessages(part), whole) << length;
    }
    reporter.ERRORS.resize(before);
    // A count that promises more than the table holds.
    std::string lying = table;
    lying[0] = '\x05';
    EXPECT_EQ(reporter.LoadMessages(lying), 2u);
    lying.assign(lying.size(), '#'); // the reporter kept its own copy
    EXPECT_EQ(shownFor("x"), "x");
    reporter.Report(911);
    EXPECT_EQ(boxes.shown().back().title, "Two");
    EXPECT_EQ(boxes.shown().back().text, "second");
}

TEST_F(ErrorReporterTest, ProcedureNamesArePerThread) {
    reporter.TrackProcedure("Main  ", false);
    host::setCurrentThread(2);
    reporter.TrackProcedure("BrowseCustomers", false);
    reporter.TrackProcedure("EditCustomers", false);
    EXPECT_EQ(reporter.CurrentProcedureName(), "EditCustomers");
    host::setCurrentThread(3);
    EXPECT_EQ(reporter.CurrentProcedureName(), "");
    reporter.TrackProcedure("", true); // nothing to leave on this thread
    host::setCurrentThread(1);
    EXPECT_EQ(reporter.CurrentProcedureName(), "Main");
    host::setCurrentThread(2);
    reporter.TrackProcedure("not compared", true);
    EXPECT_EQ(reporter.CurrentProcedureName(), "BrowseCustomers");
    EXPECT_EQ(shownFor("in %Procedure"), "in BrowseCustomers");
    reporter.TrackProcedure("", true);
    EXPECT_EQ(reporter.CurrentProcedureName(), "");
    host::setCurrentThread(1);
    EXPECT_EQ(reporter.CurrentProcedureName(), "Main");
    EXPECT_EQ(reporter.PROCNAMES.size(), 1u);
}

} // namespace
