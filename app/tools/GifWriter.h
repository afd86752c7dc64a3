#pragma once

#include <QByteArray>
#include <QImage>

// Writes small images as GIF files (Qt reads GIF but does not write it): one frame,
// up to 256 colours, fully transparent pixels kept transparent. Pixels at least half
// transparent count as transparent; an image of more colours loses the low bits of
// its colours until it fits.
class GifWriter {
public:
    static QByteArray encode(const QImage& image);
    static bool write(const QImage& image, const QString& path);
};
