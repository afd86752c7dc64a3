#pragma once

#include "runtime/ui/Font.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace host::qt {

// Fonts by the names the window definitions use, on a desktop that may not have them.
// A face the machine lacks is replaced by the first installed face of its kind: the
// metric-compatible Liberation fonts for Arial, Times New Roman and Courier New, URW
// Bookman for Bookman Old Style, and the DejaVu faces (always installed) as the last
// resort for sans-serif, serif, monospaced and handwriting faces alike.
class FontResolver {
public:
    // The window font when a definition names none.
    static constexpr const char* DefaultFace = "MS Sans Serif";
    static constexpr int DefaultSize = 8;

    // The family that stands for `face` here (the face itself when installed).
    static QString family(const QString& face);
    // Faces tried for `face`, best first, ending with a DejaVu face.
    static QStringList candidates(const QString& face);
    // A control's font: its own face, size and style over the inherited font (a
    // control's empty face or zero size inherits).
    static QFont resolve(const host::Font& font, const QFont& inherited);
    // The window font of a definition's font (the default face and size when unset).
    static QFont windowFont(const host::Font& font);
};

} // namespace host::qt
