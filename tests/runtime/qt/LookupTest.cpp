// Fonts, keys, units and images: the look-ups the display makes for the definitions.
#include "QtTestSession.h"

#include "runtime/qt/FontResolver.h"
#include "runtime/qt/ImageLibrary.h"
#include "runtime/qt/KeyTranslator.h"
#include "runtime/qt/Units.h"
#include "runtime/ui/KeyCode.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using host::KeyCode;
using host::qt::FontResolver;
using host::qt::ImageLibrary;
using host::qt::KeyTranslator;

TEST(KeyTranslator, QtKeysBecomeTheRuntimesKeyCodes) {
    EXPECT_EQ(KeyTranslator::keyCode(Qt::Key_Apostrophe, Qt::ControlModifier), KeyCode::CtrlQuote);
    EXPECT_EQ(KeyTranslator::keyCode(Qt::Key_Backtab, Qt::ShiftModifier), KeyCode::ShiftTab);
    EXPECT_EQ(KeyTranslator::keyCode(Qt::Key_Backtab, Qt::NoModifier), KeyCode::ShiftTab);
    EXPECT_EQ(KeyTranslator::keyCode(Qt::Key_Enter, Qt::KeypadModifier), KeyCode::Enter);
    EXPECT_EQ(KeyTranslator::keyCode(Qt::Key_X, Qt::AltModifier), KeyCode::Alt + 'X');
    // A shifted character is its key with Shift, whether or not Qt reports the Shift.
    EXPECT_EQ(KeyTranslator::keyCode(Qt::Key_QuoteDbl, Qt::NoModifier),
              KeyCode::Shift + KeyCode::Quote);
    EXPECT_EQ(KeyTranslator::keyCode(Qt::Key_Exclam, Qt::ShiftModifier), KeyCode::Shift + '1');
    // Modifier keys alone have no code.
    EXPECT_EQ(KeyTranslator::keyCode(Qt::Key_Shift, Qt::ShiftModifier), 0);

    EXPECT_EQ(KeyTranslator::sequence("Ctrl+P"), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_TRUE(KeyTranslator::sequence("no such key").isEmpty());
}

TEST(FontResolver, MissingFacesFallBackToAnInstalledFaceOfTheirKind) {
    host::qt::test::ensureApplication();
    QStringList installed = QFontDatabase::families();
    auto isInstalled = [&](const QString& family) {
        return installed.contains(family, Qt::CaseInsensitive);
    };
    // Every face the windows and reports name resolves to an installed family.
    for (const char* face : {"Bookman Old Style", "Courier New", "No Such Face"}) {
        QString family = FontResolver::family(face);
        EXPECT_TRUE(isInstalled(family)) << face << " gave " << family.toStdString();
    }
    // The kind is kept: a monospaced face stays monospaced, a serif face serif.
    EXPECT_TRUE(QFontInfo(QFont(FontResolver::family("Courier New"))).fixedPitch());
    // An installed face is used as it is.
    EXPECT_EQ(FontResolver::family("DejaVu Sans"), "DejaVu Sans");

    QFont window = FontResolver::windowFont({"Bookman Old Style", 10, true, false});
    EXPECT_EQ(window.pointSize(), 10);
    EXPECT_TRUE(window.bold());
    // A control's empty face and zero size inherit the window's.
    QFont control = FontResolver::resolve({"", 0, false, true}, window);
    EXPECT_EQ(control.family(), window.family());
    EXPECT_EQ(control.pointSize(), 10);
    EXPECT_TRUE(control.italic());
    EXPECT_EQ(FontResolver::windowFont({}).pointSize(), FontResolver::DefaultSize);
}

TEST(Units, DialogUnitsFollowTheFontAndComeBackRounded) {
    host::qt::test::ensureApplication();
    host::qt::Units small(FontResolver::windowFont({"", 8, false, false}));
    host::qt::Units large(FontResolver::windowFont({"", 16, false, false}));
    EXPECT_GT(small.x(100), 100);
    EXPECT_GT(large.x(100), small.x(100) * 3 / 2);
    EXPECT_GT(large.y(80), small.y(80) * 3 / 2);
    for (int units : {0, 1, 7, 10, 123, 400})
        EXPECT_EQ(small.unitsX(small.x(units)), units);
    QRect r = small.rect({4, 8, 40, 16});
    EXPECT_EQ(r, QRect(small.x(4), small.y(8), small.x(40), small.y(16)));
}

TEST(ImageLibrary, ToolbarImagesAreBuiltInAtBothSizesUnderTheirNames) {
    host::qt::test::ensureApplication();
    const char* names[] = {"WIZFIRST.gif", "WIZPGUP.gif", "WIZUP.gif",     "WIZFIND.gif",
                           "wizdown.gif",  "WIZPGdn.gif", "wizlast.gif",   "WIZMARK.gif",
                           "wizins.gif",   "wizedit.gif", "wizdel.gif",    "wizditto.gif",
                           "wizhelp.gif",  "wizcncl.gif", "wizok.gif",     "WIZPRN.gif",
                           " wizfind.gif", "wizMark.gif", "~CheckOff.ico", "~CheckOn.ICO"};
    for (const char* name : names) {
        EXPECT_TRUE(ImageLibrary::isBuiltIn(name)) << name;
        QPixmap small = ImageLibrary::pixmap(name, 16);
        QPixmap large = ImageLibrary::pixmap(name, 24);
        EXPECT_EQ(small.size(), QSize(16, 16)) << name;
        EXPECT_EQ(large.size(), QSize(24, 24)) << name;
        EXPECT_EQ(ImageLibrary::icon(name).availableSizes().size(), 2) << name;
    }
    EXPECT_FALSE(ImageLibrary::isBuiltIn("nothing.gif"));
    EXPECT_TRUE(ImageLibrary::pixmap("nothing.gif").isNull());
    EXPECT_TRUE(ImageLibrary::pixmap("").isNull());
}

TEST(ImageLibrary, PictureFilesAreFoundIgnoringLetterCaseAndBackslashes) {
    host::qt::test::ensureApplication();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(10, 6, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.filePath("Item42.png"), "PNG"));
    QString upper = dir.filePath("ITEM42.PNG");
    EXPECT_EQ(ImageLibrary::pixmap(upper.toStdString()).size(), QSize(10, 6));
    QString windowsStyle = QDir::toNativeSeparators(dir.filePath("item42.png"));
    windowsStyle.replace('/', '\\');
    EXPECT_EQ(ImageLibrary::pixmap(windowsStyle.toStdString()).size(), QSize(10, 6));
    EXPECT_EQ(ImageLibrary::pathOf((dir.path() + "/missing.png").toStdString()), QString());
}

} // namespace
