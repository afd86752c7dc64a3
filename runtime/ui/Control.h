#pragma once

#include "runtime/base/Decimal.h"
#include "runtime/base/TypedRef.h"
#include "runtime/ui/ControlDefinition.h"
#include "runtime/ui/ListFormat.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host {

class Queue;

// One control of an open window: its definition's attributes as they are now, its
// binding to a variable (or a queue), and what the user sees in it. The window owns its
// controls; programs reach them through Window (by number) and read or change them
// here. Every change bumps the control's revision, which display backends compare to
// know what to redraw.
class Control {
public:
    Control(const ControlDefinition& definition, unsigned revision);

    int number() const { return number_; }
    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    int parent() const { return parent_; }
    unsigned revision() const { return revision_; }

    // Appearance
    const std::string& text() const { return text_; }
    const Rect& rect() const { return rect_; }
    const Font& font() const { return font_; }
    const std::string& picture() const { return picture_; }
    const std::string& statusText() const { return statusText_; }
    const std::string& tip() const { return tip_; }
    // A line's or box's colour and a box's fill (0xRRGGBB; -1: the default).
    int colour() const { return colour_; }
    int fillColour() const { return fillColour_; }
    const std::string& icon() const { return icon_; }
    // A list's icon table: icon numbers (as the icon fields of its rows hold them) to
    // image names, set by the Icon property with an index.
    const std::map<int, std::string>& listIcons() const { return listIcons_; }
    const std::string& image() const { return image_; }
    const std::string& keyName() const { return key_; }
    const std::string& standardAction() const { return standard_; }
    const ControlFlags& flags() const { return flags_; }
    bool isDisabled() const { return flags_.disabled; }
    bool isHidden() const { return flags_.hidden; }
    bool isReadOnly() const { return flags_.readOnly; }
    bool isRequired() const { return flags_.required; }
    bool isSeparator() const { return flags_.separator; }

    // Binding: the variable an entry, check, spin, option, drop list or display shows;
    // the queue a list or drop list shows (and its format).
    const TypedRef& use() const { return use_; }
    const std::string& useName() const { return useName_; }
    Queue* queue() const { return queue_; }
    const std::string& queueName() const { return queueName_; }
    // The list's format, parsed once (null when the list has none or it did not parse).
    const ListFormat* format() const { return format_ ? &*format_ : nullptr; }
    const std::string& formatText() const { return formatText_; }
    // A drop list's or combo's fixed choices (from "A|B|C"); empty when it shows a queue.
    const std::vector<std::string>& choices() const { return choices_; }
    const std::string& checkedValue() const { return value_; }
    const std::string& uncheckedValue() const { return falseValue_; }

    // What the user sees: the text in an entry, spin, combo, text, display or drop list.
    const std::string& contents() const { return contents_; }
    // The user typed into the control since it was last displayed or accepted.
    bool isEdited() const { return edited_; }
    // The caret in an entry: 1 before the first character, contents().size() + 1 at the
    // end. caretMark() changes each time the program places the caret, so that a display
    // knows to move its own.
    int caret() const;
    unsigned caretMark() const { return caretMark_; }
    bool isChecked() const { return checked_; }

    // Lists and drop lists
    int selectedRow() const { return selected_; }
    // The rows the list shows at a time: the Items property when the program set it,
    // else the whole rows of ten units that fit under the header (one line, two when
    // columns are grouped) in the list's height, at least one.
    int itemsVisible() const;
    int mouseRow() const { return mouseRow_; }
    int mouseColumn() const { return mouseColumn_; }
    int thumbPosition() const { return thumb_; }
    bool hasVScroll() const { return flags_.vscroll; }
    bool hasHScroll() const { return flags_.hscroll; }

    // Images: the point of the last click, the size the picture is drawn at (0 for the
    // control's size) and, for a picture larger than the control, the scroll position
    // (0..255 across and down).
    int mouseX() const { return mouseX_; }
    int mouseY() const { return mouseY_; }
    int drawnWidth() const { return drawnWidth_; }
    int drawnHeight() const { return drawnHeight_; }
    int scrollX() const { return scrollX_; }
    int scrollY() const { return scrollY_; }
    int dropCount() const { return dropCount_; }
    int columnEditor(int column) const;
    int columnTextColour(int column) const;
    // The rows the list shows: every queue entry (or choice) as cell texts through the
    // format. A list without a format shows the first field.
    std::vector<std::vector<ListCell>> formattedRows() const;
    std::vector<ListCell> formattedRow(std::size_t row) const;
    std::size_t rowCount() const;

    // Spin boxes, progress bars. A spin box's step and range may have places (a step of
    // 0.1 over 0 to 99999.99; see SpinValue.h); a progress bar counts in whole numbers.
    const Decimal& rangeLow() const { return rangeLow_; }
    const Decimal& rangeHigh() const { return rangeHigh_; }
    const Decimal& step() const { return step_; }
    long long progress() const { return progress_; }

    // Alert keys: positions 1..255 of the control's alert table.
    int alertAt(int position) const;
    bool isAlerted(int keyCode) const;
    const std::map<int, int>& alerts() const { return alerts_; }

private:
    friend class Window;
    friend class UserInput;
    void touch(unsigned revision) { revision_ = revision; }

    int number_;
    ControlKind kind_;
    std::string name_;
    int parent_;
    unsigned revision_;
    std::string text_;
    Rect rect_;
    Font font_;
    std::string picture_;
    std::string statusText_;
    std::string tip_;
    int colour_ = -1;
    int fillColour_ = -1;
    std::string icon_;
    std::map<int, std::string> listIcons_;
    std::string image_;
    std::string key_;
    std::string standard_;
    ControlFlags flags_;
    TypedRef use_;
    std::string useName_;
    Queue* queue_ = nullptr;
    std::string queueName_;
    std::optional<ListFormat> format_;
    std::string formatText_;
    std::vector<std::string> choices_;
    std::string value_;
    std::string falseValue_;
    std::string contents_;
    int caret_ = 0; // 0: at the end
    unsigned caretMark_ = 0;
    bool edited_ = false;
    bool checked_ = false;
    int selected_ = 0;
    int items_ = 0;
    int mouseRow_ = 0;
    int mouseColumn_ = 0;
    int thumb_ = 0;
    int mouseX_ = 0;
    int mouseY_ = 0;
    int drawnWidth_ = 0;
    int drawnHeight_ = 0;
    int scrollX_ = 0;
    int scrollY_ = 0;
    int dropCount_ = 0;
    std::map<int, int> columnEditors_;
    std::map<int, int> columnColours_;
    Decimal rangeLow_ = 0;
    Decimal rangeHigh_ = 0;
    Decimal step_ = 1;
    long long progress_ = 0;
    std::map<int, int> alerts_; // position -> key code
};

} // namespace host
