#include "runtime/qt/FontResolver.h"

#include <QFontDatabase>
#include <QHash>

namespace host::qt {

namespace {

enum class Kind { Sans, Serif, Mono, Script };

struct Substitute {
    const char* face;
    Kind kind;
    QStringList preferred;
};

const QList<Substitute>& substitutes() {
    static const QList<Substitute> table = {
        {"MS Sans Serif", Kind::Sans, {"Liberation Sans", "Arimo"}},
        {"Microsoft Sans Serif", Kind::Sans, {"Liberation Sans", "Arimo"}},
        {"Segoe UI", Kind::Sans, {"Noto Sans", "Liberation Sans"}},
        {"Tahoma", Kind::Sans, {"Liberation Sans", "Arimo"}},
        {"Verdana", Kind::Sans, {"DejaVu Sans"}},
        {"Arial", Kind::Sans, {"Liberation Sans", "Arimo", "Nimbus Sans"}},
        {"Helvetica", Kind::Sans, {"Nimbus Sans", "Liberation Sans"}},
        {"Times New Roman", Kind::Serif, {"Liberation Serif", "Tinos", "Nimbus Roman"}},
        {"Bookman Old Style", Kind::Serif, {"URW Bookman", "URW Bookman L", "TeX Gyre Bonum"}},
        {"Georgia", Kind::Serif, {"Gelasio", "Liberation Serif"}},
        {"Courier New", Kind::Mono, {"Liberation Mono", "Cousine", "Nimbus Mono PS"}},
        {"Courier", Kind::Mono, {"Liberation Mono", "Nimbus Mono PS"}},
        {"Lucida Console", Kind::Mono, {"Liberation Mono"}},
        {"Bradley Hand ITC", Kind::Script, {"URW Chancery L", "Z003", "TeX Gyre Chorus"}},
        {"Comic Sans MS", Kind::Script, {"Comic Neue"}},
    };
    return table;
}

Kind guessKind(const QString& face) {
    QString f = face.toLower();
    if (f.contains("mono") || f.contains("courier") || f.contains("console"))
        return Kind::Mono;
    if (f.contains("hand") || f.contains("script") || f.contains("chancery"))
        return Kind::Script;
    if (f.contains("serif") && !f.contains("sans"))
        return Kind::Serif;
    if (f.contains("times") || f.contains("roman") || f.contains("bookman") ||
        f.contains("garamond") || f.contains("georgia"))
        return Kind::Serif;
    return Kind::Sans;
}

QString lastResort(Kind kind) {
    switch (kind) {
    case Kind::Serif:
    case Kind::Script:
        return QStringLiteral("DejaVu Serif");
    case Kind::Mono:
        return QStringLiteral("DejaVu Sans Mono");
    case Kind::Sans:
        break;
    }
    return QStringLiteral("DejaVu Sans");
}

} // namespace

QStringList FontResolver::candidates(const QString& face) {
    QString wanted = face.trimmed();
    QStringList list;
    if (!wanted.isEmpty())
        list << wanted;
    Kind kind = guessKind(wanted);
    for (const auto& s : substitutes()) {
        if (wanted.compare(QLatin1String(s.face), Qt::CaseInsensitive) == 0) {
            list << s.preferred;
            kind = s.kind;
            break;
        }
    }
    list << lastResort(kind);
    list.removeDuplicates();
    return list;
}

QString FontResolver::family(const QString& face) {
    static QHash<QString, QString> cache;
    QString key = face.trimmed().toLower();
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QStringList families = QFontDatabase::families();
    QString chosen;
    for (const QString& candidate : candidates(face)) {
        for (const QString& installed : families) {
            if (installed.compare(candidate, Qt::CaseInsensitive) == 0) {
                chosen = installed;
                break;
            }
        }
        if (!chosen.isEmpty())
            break;
    }
    if (chosen.isEmpty())
        chosen = candidates(face).constLast(); // let Qt find the closest match
    cache.insert(key, chosen);
    return chosen;
}

QFont FontResolver::resolve(const host::Font& font, const QFont& inherited) {
    QFont result = inherited;
    if (!font.face.empty())
        result.setFamily(family(QString::fromStdString(font.face)));
    if (font.size > 0)
        result.setPointSize(font.size);
    if (font.bold)
        result.setBold(true);
    if (font.italic)
        result.setItalic(true);
    return result;
}

QFont FontResolver::windowFont(const host::Font& font) {
    QFont base(family(QLatin1String(DefaultFace)));
    base.setPointSize(DefaultSize);
    return resolve(font, base);
}

} // namespace host::qt
