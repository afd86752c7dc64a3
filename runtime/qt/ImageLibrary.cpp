#include "runtime/qt/ImageLibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>

namespace host::qt {

namespace {

QString cleaned(std::string_view name) {
    QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).trimmed();
    if (text.startsWith('~'))
        text.remove(0, 1);
    return text;
}

QString baseName(const QString& name) {
    qsizetype slash = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
    return slash < 0 ? name : name.mid(slash + 1);
}

QString folderFor(int pixels) {
    return pixels >= 24 ? QStringLiteral(":/images/24/") : QStringLiteral(":/images/16/");
}

// A file on disk by name, ignoring letter case when the exact name is missing.
QString fileOnDisk(const QString& name) {
    if (name.isEmpty())
        return {};
    // Names written on a desktop with backslashes in its paths work here too.
    QString path = QDir::fromNativeSeparators(name);
    path.replace('\\', '/');
    QFileInfo exact(path);
    if (exact.isFile())
        return exact.filePath();
    QDir folder = exact.dir();
    if (!folder.exists())
        return {};
    const QStringList entries = folder.entryList(QDir::Files);
    for (const QString& entry : entries)
        if (entry.compare(exact.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    return {};
}

} // namespace

QStringList ImageLibrary::builtInNames() {
    return QDir(folderFor(16)).entryList(QDir::Files, QDir::Name);
}

bool ImageLibrary::isBuiltIn(std::string_view name) {
    QString wanted = baseName(cleaned(name)).toLower();
    return !wanted.isEmpty() && builtInNames().contains(wanted);
}

QString ImageLibrary::pathOf(std::string_view name, int pixels) {
    QString text = cleaned(name);
    if (text.isEmpty())
        return {};
    QString builtIn = baseName(text).toLower();
    if (QFileInfo::exists(folderFor(pixels) + builtIn))
        return folderFor(pixels) + builtIn;
    if (QString file = fileOnDisk(text); !file.isEmpty())
        return file;
    return {};
}

QPixmap ImageLibrary::pixmap(std::string_view name, int pixels) {
    static QHash<QString, QPixmap> cache;
    QString path = pathOf(name, pixels);
    if (path.isEmpty())
        return {};
    bool builtIn = path.startsWith(QLatin1String(":/"));
    if (builtIn) {
        auto it = cache.constFind(path);
        if (it != cache.constEnd())
            return *it;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QPixmap image = QPixmap::fromImage(reader.read());
    if (builtIn)
        cache.insert(path, image);
    return image;
}

QIcon ImageLibrary::icon(std::string_view name) {
    QIcon icon;
    QString small = pathOf(name, 16);
    if (small.isEmpty())
        return icon;
    icon.addPixmap(pixmap(name, 16));
    QString large = pathOf(name, 24);
    if (large != small)
        icon.addPixmap(pixmap(name, 24));
    return icon;
}

} // namespace host::qt
