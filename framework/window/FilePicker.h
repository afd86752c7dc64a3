#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace framework {

// The standard file-open dialog with a title, a default folder and file, a list of
// file-type masks, and the option to put the current folder back afterwards. A window
// keeps one as a member and sets it up in its own set-up.
class FilePicker {
public:
    // The most characters each text holds (each field keeps one byte for its end).
    static constexpr std::size_t directoryLimit = 259;
    static constexpr std::size_t fileLimit = 255;
    static constexpr std::size_t maskLimit = 254;
    static constexpr std::size_t titleLimit = 79;

    // Title "Select A File", no flags.
    void Setup();
    // Adds a "description|pattern" pair (or several) to the masks; an empty mask is
    // ignored.
    void AppendMask(std::string_view mask);
    void ReplaceMask(std::string_view mask);
    void ReplaceMask(std::string_view description, std::string_view pattern);
    // Shows the dialog; the chosen file's name, or empty text when the user cancels.
    // With `restorePath` the current folder is the same afterwards as before.
    std::string Choose(bool restorePath);

    void SetDefaultDirectory(std::string_view directory);
    void SetDefaultFile(std::string_view file);
    void SetTitle(std::string_view title);

    std::string DEFAULTDIRECTORY;
    std::string DEFAULTFILE;
    std::uint8_t FLAGS = 0;
    std::string MASKSTRING;
    std::string SAVEPATH;
    std::string PWINDOWTITLE;
};

} // namespace framework
