#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// Where the items' pictures live and how a chosen picture file becomes an item's.
//
// An item keeps only the bare name of its picture (ITM:ICONFILE, at most 32 characters),
// so that the item reads the same on every station and after the shop's folder moves.
// Bare names resolve in one images folder, "images" in the program's folder beside the
// data folder "data": it moves with the settings and the data (to the per-user folder too
// when the program's own cannot be written), and the data folder itself keeps only the
// data base, whose files the program checks one by one for write access at start-up.
// A picture chosen from elsewhere is copied into the images folder under the name the
// item keeps; a different picture already there under that name is replaced only when
// the user says so.
class ItemPictures {
public:
    static constexpr const char* folderName = "images";
    // The longest name an item keeps.
    static constexpr std::size_t nameLimit = 32;

    // The images folder of the running program ("images" in the current folder when no
    // program runs, as in tests).
    static std::string folder();
    // The part of a path after its last slash or backslash, cut to nameLimit characters.
    static std::string bareName(std::string_view path);
    // The file a stored name stands for, when it exists and holds a picture (GIF, PNG,
    // JPEG, BMP or icon, told by its first bytes); empty otherwise, so that a missing or
    // damaged picture shows nothing.
    static std::string shownFile(std::string_view storedName);
    // Makes the file chosen in a file dialog an item's picture: the name to store, or
    // nothing when the item keeps the picture it had (the dialog was cancelled, the user
    // declined to replace a picture of that name, or the copy failed, which is reported).
    // A relative `chosen` is taken from `dialogFolder` (the folder the dialog opened in).
    static std::optional<std::string> adopt(std::string_view chosen,
                                            std::string_view dialogFolder = {});

    // The messages of the picture handling, by id in the error reporter's table (loaded
    // into it on first use).
    static constexpr std::uint16_t ReplacePictureMessage = 101;
    static constexpr std::uint16_t PictureNotCopiedMessage = 102;
};

} // namespace app
