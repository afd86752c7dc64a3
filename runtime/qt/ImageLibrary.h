#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <string_view>

namespace host::qt {

// Images by the names the windows use. A name is first looked up among the images
// built into the program (toolbar and button pictures drawn in 16 and 24 pixels, and
// the list icons), ignoring letter case, blanks around it, a leading '~' (the mark of a
// built-in resource) and any folder; otherwise it names a picture file (GIF, PNG, JPEG
// or ICO), found relative to the current folder, with letter case ignored when the
// exact name does not exist.
class ImageLibrary {
public:
    // The built-in images' names (lower case, with extension), as stored.
    static QStringList builtInNames();
    // True when the name stands for a built-in image.
    static bool isBuiltIn(std::string_view name);
    // The path of the file a name stands for (a ":/" resource path for built-in
    // images); empty when there is none.
    static QString pathOf(std::string_view name, int pixels = 16);
    // The image at its natural size; a null pixmap when there is none.
    static QPixmap pixmap(std::string_view name, int pixels = 16);
    // An icon holding the 16 and 24 pixel images of a built-in name, or the file.
    static QIcon icon(std::string_view name);
};

} // namespace host::qt
