#include "GifWriter.h"

#include <QFile>
#include <QHash>

#include <array>
#include <vector>

namespace {

// Bits packed least significant first into data sub-blocks of at most 255 bytes.
class CodeStream {
public:
    void write(int code, int size) {
        bits_ |= static_cast<quint32>(code) << count_;
        count_ += size;
        while (count_ >= 8) {
            put(static_cast<char>(bits_ & 0xFF));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    QByteArray finish() {
        if (count_ > 0)
            put(static_cast<char>(bits_ & 0xFF));
        flushBlock();
        out_.append('\0'); // block terminator
        return out_;
    }

private:
    void put(char byte) {
        block_.append(byte);
        if (block_.size() == 255)
            flushBlock();
    }
    void flushBlock() {
        if (block_.isEmpty())
            return;
        out_.append(static_cast<char>(block_.size()));
        out_.append(block_);
        block_.clear();
    }
    quint32 bits_ = 0;
    int count_ = 0;
    QByteArray block_;
    QByteArray out_;
};

QByteArray compress(const std::vector<quint8>& indexes, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    CodeStream stream;
    // The code table as a tree: per code, the code that follows it with each index.
    std::vector<std::array<quint16, 256>> next(4096);
    auto reset = [&] {
        for (auto& entry : next)
            entry.fill(0);
    };
    reset();
    int codeSize = minCodeSize + 1;
    int lastCode = clear + 1;
    stream.write(clear, codeSize);
    int current = -1;
    for (quint8 value : indexes) {
        if (current < 0) {
            current = value;
            continue;
        }
        if (quint16 code = next[static_cast<std::size_t>(current)][value]) {
            current = code;
            continue;
        }
        stream.write(current, codeSize);
        next[static_cast<std::size_t>(current)][value] = static_cast<quint16>(++lastCode);
        if (lastCode >= (1 << codeSize))
            ++codeSize;
        if (lastCode == 4095) {
            stream.write(clear, codeSize);
            reset();
            codeSize = minCodeSize + 1;
            lastCode = clear + 1;
        }
        current = value;
    }
    if (current >= 0)
        stream.write(current, codeSize);
    stream.write(clear, codeSize);
    stream.write(clear + 1, minCodeSize + 1);
    return stream.finish();
}

void putShort(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

} // namespace

QByteArray GifWriter::encode(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    // Colours in order of appearance; index 0 is the transparent colour.
    quint32 mask = 0xFFFFFF;
    QHash<quint32, int> colours;
    std::vector<quint8> indexes;
    for (int attempt = 0; attempt < 8; ++attempt) {
        colours.clear();
        indexes.assign(static_cast<std::size_t>(width * height), 0);
        colours.insert(0x1000000, 0);
        bool fits = true;
        for (int y = 0; y < height && fits; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                if (qAlpha(line[x]) < 128)
                    continue;
                quint32 rgb = line[x] & mask;
                auto it = colours.constFind(rgb);
                int index;
                if (it == colours.constEnd()) {
                    if (colours.size() == 256) {
                        fits = false;
                        break;
                    }
                    index = static_cast<int>(colours.size());
                    colours.insert(rgb, index);
                } else {
                    index = *it;
                }
                indexes[static_cast<std::size_t>(y * width + x)] = static_cast<quint8>(index);
            }
        }
        if (fits)
            break;
        // Drop one more low bit of every channel.
        quint32 channel = (0xFFu << (attempt + 1)) & 0xFFu;
        mask = (channel << 16) | (channel << 8) | channel;
    }
    int tableBits = 1;
    while ((1 << tableBits) < colours.size())
        ++tableBits;
    std::vector<quint32> palette(static_cast<std::size_t>(1 << tableBits), 0);
    for (auto it = colours.constBegin(); it != colours.constEnd(); ++it)
        if (it.key() <= 0xFFFFFF)
            palette[static_cast<std::size_t>(it.value())] = it.key();

    QByteArray out("GIF89a");
    putShort(out, width);
    putShort(out, height);
    out.append(static_cast<char>(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    out.append('\0'); // background colour index
    out.append('\0'); // square pixels
    for (quint32 rgb : palette) {
        out.append(static_cast<char>((rgb >> 16) & 0xFF));
        out.append(static_cast<char>((rgb >> 8) & 0xFF));
        out.append(static_cast<char>(rgb & 0xFF));
    }
    // Graphic control extension: index 0 is transparent.
    out.append("\x21\xF9\x04\x01", 4);
    putShort(out, 0);
    out.append('\0');
    out.append('\0');
    // Image descriptor and data.
    out.append(',');
    putShort(out, 0);
    putShort(out, 0);
    putShort(out, width);
    putShort(out, height);
    out.append('\0');
    int minCodeSize = std::max(tableBits, 2);
    out.append(static_cast<char>(minCodeSize));
    out.append(compress(indexes, minCodeSize));
    out.append(';');
    return out;
}

bool GifWriter::write(const QImage& image, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(encode(image)) >= 0;
}
