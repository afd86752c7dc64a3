#include "framework/data/BuiltInMessages.h"

#include "framework/data/Severity.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace framework {

namespace {

struct Message {
    std::uint16_t id;
    Severity level;
    std::string_view title;
    std::string_view text;
};

// In the order the table stores them.
constexpr Message messages[] = {
    {27, Severity::Notify, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
    {26, Severity::Fatal, "Key was not built", "Error: (%ErrorText) repairing key for %File."},
    {10, Severity::Fatal, "File Creation Error", "Error: (%ErrorText) creating %File."},
    {24, Severity::Notify, "Procedure not defined", "The Procedure %Message has not been defined."},
    {17, Severity::Notify, "Range Error", "The value of %Field must be lower than %Message."},
    {18, Severity::Notify, "Range Error", "The value of %Field must be higher than %Message."},
    {16, Severity::Notify, "Range Error", "The value of %Field must be between %Message."},
    {14, Severity::Notify, "Field contents error",
     "The value of %Field must be found in the %Message file."},
    {31, Severity::Notify, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from "
     "change and have been reset to original values."},
    {30, Severity::Notify, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these "
     "references exist."},
    {4, Severity::Notify, "Record Insert Error",
     "An error was experienced during the creation of a record. Error: %ErrorText."},
    {6, Severity::Notify, "Record Was Not Updated", "This record was changed by another station."},
    {7, Severity::Notify, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+' to recall your changes."},
    {34, Severity::User, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {33, Severity::User, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {20, Severity::Notify, "Invalid Request", "This form cannot be used to insert a record"},
    {38, Severity::Notify, "Invalid Request", "This form cannot be used to update a record"},
    {12, Severity::Notify, "Invalid Request", "This form cannot be used to delete a record"},
    {8, Severity::User, "Changes will be lost!", "Are you sure you want to cancel?"},
    {13, Severity::Notify, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},
    {32, Severity::User, "Auto Increment Error",
     "Attempts to automatically number this record have failed.  Error: %ErrorText. Try Again?"},
    {19, Severity::Notify, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
    {36, Severity::User, "Beginning of File Error",
     "The beginning of the file was encountered. Do you want to start again from the end of the "
     "file?"},
    {37, Severity::User, "End of File Error",
     "The end of the file was encountered. Do you want to start again from the beginning?"},
    {23, Severity::Fatal, "File Access Error",
     "File (%File) could not be opened.  Error: %ErrorText."},
    {25, Severity::Notify, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {11, Severity::Notify, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {9, Severity::User, "Confirm Delete",
     "Are you sure you want to delete the highlighted record?"},
    {35, Severity::User, "Save Record", "Do you want to save the changes to this record?"},
    {21, Severity::Notify, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {1, Severity::Notify, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window."},
    {40, Severity::Notify, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {3, Severity::User, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {28, Severity::Notify, "Record not read",
     "A record held by another station was encountered reading from the %File file."},
    {5, Severity::Notify, "Add New Record?",
     "Record match not found, do you wish to add a new one?"},
    {15, Severity::Notify, "Value Error", "The value of %Field must be in the list : %Message."},
    {22, Severity::Notify, "No Records", "There are no records available to process."},
    {2, Severity::Notify, "Access Denied",
     "Could not get write access to %File so trying read-only."},
    {39, Severity::Program, "File Usage Error", "Attempt to use file (%File) before it was opened"},
    {41, Severity::Notify, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the query."},
};

constexpr std::size_t packedSize() {
    std::size_t size = 2;
    for (const Message& message : messages)
        size += 2 + 1 + 1 + message.title.size() + 1 + message.text.size();
    return size;
}

constexpr bool fitsLengthBytes() {
    for (const Message& message : messages)
        if (message.title.size() > 255 || message.text.size() > 255)
            return false;
    return true;
}
static_assert(fitsLengthBytes(), "titles and messages are at most 255 characters");

constexpr std::array<char, packedSize()> pack() {
    std::array<char, packedSize()> table{};
    std::size_t at = 0;
    auto putByte = [&](unsigned value) { table[at++] = static_cast<char>(value & 0xFF); };
    auto putText = [&](std::string_view text) {
        putByte(static_cast<unsigned>(text.size()));
        for (char c : text)
            table[at++] = c;
    };
    constexpr std::size_t count = std::size(messages);
    putByte(count);
    putByte(count >> 8);
    for (const Message& message : messages) {
        putByte(message.id);
        putByte(message.id >> 8u);
        putByte(levelOf(message.level));
        putText(message.title);
        putText(message.text);
    }
    return table;
}

constexpr std::array<char, packedSize()> packedTable = pack();

} // namespace

std::string_view builtInMessageTable() {
    return {packedTable.data(), packedTable.size()};
}

} // namespace framework
