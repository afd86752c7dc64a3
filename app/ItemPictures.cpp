#include "app/ItemPictures.h"

#include "app/Globals.h"
#include "app/Program.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/Severity.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/Value.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace app {

namespace fs = std::filesystem;

namespace {

struct Message {
    std::uint16_t id;
    framework::Severity level;
    std::string_view title;
    std::string_view text;
};

constexpr Message messages[] = {
    {ItemPictures::ReplacePictureMessage, framework::Severity::User, "Replace Picture?",
     "A different picture named %Message is already in the images folder. Do you want to "
     "replace it with the one chosen?"},
    {ItemPictures::PictureNotCopiedMessage, framework::Severity::Notify, "Picture Not Copied",
     "The picture could not be copied to %File (%Message). The item keeps its picture."},
};

// The messages packed as the error reporter reads its tables.
std::string packedMessages() {
    std::string table;
    auto putByte = [&table](unsigned value) { table.push_back(static_cast<char>(value & 0xFF)); };
    auto putText = [&](std::string_view text) {
        putByte(static_cast<unsigned>(text.size()));
        table.append(text);
    };
    putByte(std::size(messages));
    putByte(std::size(messages) >> 8u);
    for (const Message& message : messages) {
        putByte(message.id);
        putByte(message.id >> 8u);
        putByte(framework::levelOf(message.level));
        putText(message.title);
        putText(message.text);
    }
    return table;
}

// The reporter of the run, with the picture messages in its table.
framework::ErrorReporter& reporter() {
    framework::ErrorReporter& errors = GlobalErrors();
    bool loaded = std::any_of(errors.ERRORS.begin(), errors.ERRORS.end(), [](const auto& entry) {
        return entry.ID == ItemPictures::ReplacePictureMessage;
    });
    if (!loaded)
        errors.LoadMessages(packedMessages());
    return errors;
}

bool sameContents(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::file_size(a, error) != fs::file_size(b, error) || error)
        return false;
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    return first && second &&
           std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(second));
}

bool holdsPicture(const fs::path& file) {
    std::array<char, 8> head{};
    std::ifstream in(file, std::ios::binary);
    if (!in.read(head.data(), head.size()) && in.gcount() < 4)
        return false;
    std::string_view bytes(head.data(), static_cast<std::size_t>(in.gcount()));
    auto startsWith = [bytes](std::string_view prefix) {
        return bytes.substr(0, prefix.size()) == prefix;
    };
    using namespace std::string_view_literals;
    return startsWith("GIF87a") || startsWith("GIF89a") || startsWith("\x89PNG"sv) ||
           startsWith("\xFF\xD8\xFF"sv) || startsWith("BM") || startsWith("\0\0\1\0"sv);
}

} // namespace

std::string ItemPictures::folder() {
    const std::string& programFolder = Program::Folder().folder();
    return (programFolder.empty() ? fs::path(folderName) : fs::path(programFolder) / folderName)
        .string();
}

std::string ItemPictures::bareName(std::string_view path) {
    std::size_t separator = path.find_last_of("/\\");
    std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    return std::string(host::clip(name).substr(0, nameLimit));
}

std::string ItemPictures::shownFile(std::string_view storedName) {
    std::string name = host::clip(storedName);
    if (name.empty())
        return {};
    fs::path file(name);
    if (file.is_relative())
        file = fs::path(folder()) / file;
    std::error_code error;
    if (!fs::is_regular_file(file, error) || !holdsPicture(file))
        return {};
    fs::path absolute = fs::absolute(file, error);
    return (error ? file : absolute).lexically_normal().string();
}

std::optional<std::string> ItemPictures::adopt(std::string_view chosen,
                                               std::string_view dialogFolder) {
    std::string name = bareName(chosen);
    if (name.empty())
        return std::nullopt; // the dialog was cancelled
    fs::path source(host::clip(chosen));
    if (source.is_relative() && !dialogFolder.empty())
        source = fs::path(dialogFolder) / source;
    fs::path images(folder());
    fs::path target = images / name;
    std::error_code error;
    if (fs::exists(target, error)) {
        if (fs::equivalent(source, target, error) || sameContents(source, target))
            return name; // already the picture of that name
        framework::ErrorReporter& errors = reporter();
        errors.MESSAGETEXT = name;
        if (errors.AskUser(ReplacePictureMessage, host::ButtonYes | host::ButtonNo,
                           host::ButtonNo) != host::ButtonYes)
            return std::nullopt;
    }
    fs::create_directories(images, error);
    error.clear();
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, error);
    if (error) {
        framework::ErrorReporter& errors = reporter();
        errors.NoteFile(target.string());
        errors.RaiseWithText(PictureNotCopiedMessage, error.message());
        return std::nullopt;
    }
    return name;
}

} // namespace app
