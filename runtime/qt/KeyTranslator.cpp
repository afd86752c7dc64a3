#include "runtime/qt/KeyTranslator.h"

#include "runtime/ui/KeyCode.h"

#include <QString>

namespace host::qt {

namespace {

int baseKey(int key) {
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return KeyCode::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Enter;
    case Qt::Key_Escape:
        return KeyCode::Esc;
    case Qt::Key_Backspace:
        return KeyCode::Backspace;
    case Qt::Key_Space:
        return KeyCode::Space;
    case Qt::Key_PageUp:
        return KeyCode::PgUp;
    case Qt::Key_PageDown:
        return KeyCode::PgDn;
    case Qt::Key_End:
        return KeyCode::End;
    case Qt::Key_Home:
        return KeyCode::Home;
    case Qt::Key_Left:
        return KeyCode::Left;
    case Qt::Key_Up:
        return KeyCode::Up;
    case Qt::Key_Right:
        return KeyCode::Right;
    case Qt::Key_Down:
        return KeyCode::Down;
    case Qt::Key_Insert:
        return KeyCode::Ins;
    case Qt::Key_Delete:
        return KeyCode::Del;
    // Punctuation: the unshifted key of the main block for either character on it.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return KeyCode::Semicolon;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return KeyCode::Equals;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return KeyCode::Comma;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return KeyCode::Minus;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return KeyCode::Period;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return KeyCode::Slash;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return KeyCode::Backquote;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return KeyCode::LeftBracket;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return KeyCode::Backslash;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return KeyCode::RightBracket;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return KeyCode::Quote;
    default:
        break;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return KeyCode::F1 + (key - Qt::Key_F1);
    // Shifted digits of a US keyboard.
    static const char shiftedDigits[] = ")!@#$%^&*(";
    for (int digit = 0; digit < 10; ++digit)
        if (key == shiftedDigits[digit])
            return '0' + digit;
    return 0;
}

bool isShiftedCharacter(int key) {
    switch (key) {
    case Qt::Key_Colon:
    case Qt::Key_Plus:
    case Qt::Key_Less:
    case Qt::Key_Underscore:
    case Qt::Key_Greater:
    case Qt::Key_Question:
    case Qt::Key_AsciiTilde:
    case Qt::Key_BraceLeft:
    case Qt::Key_Bar:
    case Qt::Key_BraceRight:
    case Qt::Key_QuoteDbl:
    case Qt::Key_Backtab:
        return true;
    default:
        return QByteArrayView(")!@#$%^&*(").contains(static_cast<char>(key)) && key < 128;
    }
}

} // namespace

int KeyTranslator::keyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
    int code = baseKey(qtKey);
    if (code == 0)
        return 0;
    if (modifiers.testFlag(Qt::ShiftModifier) || isShiftedCharacter(qtKey))
        code |= KeyCode::Shift;
    if (modifiers.testFlag(Qt::ControlModifier))
        code |= KeyCode::Ctrl;
    if (modifiers.testFlag(Qt::AltModifier))
        code |= KeyCode::Alt;
    return code;
}

QKeySequence KeyTranslator::sequence(std::string_view keyName) {
    auto code = KeyCode::parse(keyName);
    if (!code || *code == 0)
        return {};
    return QKeySequence(QString::fromStdString(KeyCode::name(*code)), QKeySequence::PortableText);
}

} // namespace host::qt
