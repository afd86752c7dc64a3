// Window::property and Window::setProperty: properties of a window and its controls
// read and set by number.
#include "runtime/ui/Window.h"

#include "runtime/ui/Desktop.h"
#include "runtime/ui/SpinValue.h"

namespace host {

namespace {
Value flag(bool on) {
    return Value(on ? 1 : 0);
}
bool truth(const Value& v) {
    return !v.isBlankOrZero();
}
int asInt(const Value& v) {
    return static_cast<int>(v.toInteger());
}
// A step or range end as the control keeps it: exact, places and all, for a spin box
// ("0.1"); a whole number for a progress bar.
Decimal rangeEnd(const Control& c, const Value& v) {
    if (c.kind() == ControlKind::Spin)
        return v.toDecimal();
    return Decimal(v.toInteger());
}
} // namespace

Value Window::property(int number, Property p, int index) const {
    if (number == 0) {
        switch (p) {
        case Property::Text:
            return Value(title_);
        case Property::X:
            return Value(rect_.x);
        case Property::Y:
            return Value(rect_.y);
        case Property::Width:
            return Value(rect_.width);
        case Property::Height:
            return Value(rect_.height);
        case Property::Icon:
            return Value(definition_->icon);
        case Property::AcceptAll:
            return flag(acceptAll_);
        case Property::Timer:
            return Value(timerInterval_);
        case Property::Maximized:
            return flag(maximized_);
        case Property::Iconized:
            return flag(iconized_);
        case Property::Hidden:
            return flag(hidden_);
        case Property::Resizable:
            return flag(resizable_);
        case Property::MinWidth:
            return Value(minWidth_);
        case Property::MinHeight:
            return Value(minHeight_);
        case Property::MaxWidth:
            return Value(maxWidth_);
        case Property::MaxHeight:
            return Value(maxHeight_);
        case Property::StatusZoneText:
            return Value(statusText(index));
        case Property::StatusZoneWidth: {
            auto& zones = definition_->statusZones;
            return index >= 1 && index <= static_cast<int>(zones.size())
                       ? Value(zones[static_cast<std::size_t>(index - 1)])
                       : Value(0);
        }
        case Property::Thread:
            return Value(thread_);
        case Property::Focus:
            return Value(focus_);
        case Property::AlertKey: {
            auto it = windowAlerts_.find(index);
            return Value(it == windowAlerts_.end() ? 0 : it->second);
        }
        default:
            break;
        }
    } else {
        const Control* c = control(number);
        if (!c)
            return Value();
        switch (p) {
        case Property::Text:
            return Value(c->text_);
        case Property::Type:
            return Value(static_cast<int>(c->kind_));
        case Property::X:
            return Value(c->rect_.x);
        case Property::Y:
            return Value(c->rect_.y);
        case Property::Width:
            return Value(c->rect_.width);
        case Property::Height:
            return Value(c->rect_.height);
        case Property::Disabled:
            return flag(c->flags_.disabled);
        case Property::Hidden:
            return flag(c->flags_.hidden);
        case Property::Visible:
            return flag(isVisible(number));
        case Property::FontFace:
            return Value(c->font_.face);
        case Property::FontSize:
            return Value(c->font_.size);
        case Property::FontBold:
            return flag(c->font_.bold);
        case Property::Icon:
            if (index > 0) {
                auto icon = c->listIcons_.find(index);
                return Value(icon == c->listIcons_.end() ? std::string() : icon->second);
            }
            return Value(c->icon_);
        case Property::Tip:
            return Value(c->tip_);
        case Property::Colour:
            return Value(c->colour_);
        case Property::FillColour:
            return Value(c->fillColour_);
        case Property::StatusText:
            return Value(c->statusText_);
        case Property::ReadOnly:
            return flag(c->flags_.readOnly);
        case Property::Required:
            return flag(c->flags_.required);
        case Property::Immediate:
            return flag(c->flags_.immediate);
        case Property::IsDefault:
            return flag(c->flags_.isDefault);
        case Property::Checked:
            return flag(c->checked_);
        case Property::Picture:
            return Value(c->picture_);
        case Property::Image:
            return Value(c->image_);
        case Property::Contents:
            return Value(c->contents_);
        case Property::Caret:
            return Value(c->caret());
        case Property::Transparent:
            return flag(c->flags_.transparent);
        case Property::Skip:
            return flag(c->flags_.skip);
        case Property::Upper:
            return flag(c->flags_.upper);
        case Property::Parent:
            return Value(c->parent_);
        case Property::AlertKey:
            return Value(c->alertAt(index));
        case Property::Selected:
            return Value(c->selected_);
        case Property::Items:
            return Value(c->itemsVisible());
        case Property::MouseRow:
            return Value(c->mouseRow_);
        case Property::MouseColumn:
            return Value(c->mouseColumn_);
        case Property::ThumbPosition:
            return Value(c->thumb_);
        case Property::MouseX:
            return Value(c->mouseX_);
        case Property::MouseY:
            return Value(c->mouseY_);
        case Property::DrawnWidth:
            return Value(c->drawnWidth_);
        case Property::DrawnHeight:
            return Value(c->drawnHeight_);
        case Property::ScrollX:
            return Value(c->scrollX_);
        case Property::ScrollY:
            return Value(c->scrollY_);
        case Property::VScroll:
            return flag(c->flags_.vscroll);
        case Property::HScroll:
            return flag(c->flags_.hscroll);
        case Property::DropCount:
            return Value(c->dropCount_);
        case Property::Format:
            return Value(c->formatText_);
        case Property::ColumnEditor:
            return Value(c->columnEditor(index));
        case Property::ColumnTextColour:
            return Value(c->columnTextColour(index));
        case Property::ColumnPicture: {
            const ListFormat* f = c->format();
            return f && index >= 1 && index <= f->columnCount() ? Value(f->column(index).picture)
                                                                : Value("");
        }
        case Property::ColumnCount:
            return Value(c->format() ? c->format()->columnCount() : 0);
        case Property::ColumnTitle: {
            const ListFormat* f = c->format();
            return f && index >= 1 && index <= f->columnCount() ? Value(f->column(index).header)
                                                                : Value("");
        }
        case Property::Choices: {
            std::string all;
            for (std::size_t i = 0; i < c->choices_.size(); ++i)
                all += (i ? "|" : "") + c->choices_[i];
            return Value(all);
        }
        case Property::RangeLow:
            return spinPropertyValue(c->rangeLow_);
        case Property::RangeHigh:
            return spinPropertyValue(c->rangeHigh_);
        case Property::Step:
            return spinPropertyValue(c->step_);
        case Property::Progress:
            return Value(c->progress_);
        default:
            break;
        }
    }
    auto it = userProperties_.find({number, static_cast<int>(p) * 256 + index});
    return it == userProperties_.end() ? Value() : it->second;
}

bool Window::setProperty(int number, Property p, const Value& v, int index) {
    if (number == 0) {
        switch (p) {
        case Property::Text:
            setTitle(v.toText());
            return true;
        case Property::X:
            rect_.x = asInt(v);
            break;
        case Property::Y:
            rect_.y = asInt(v);
            break;
        case Property::Width:
            rect_.width = asInt(v);
            break;
        case Property::Height:
            rect_.height = asInt(v);
            break;
        case Property::Timer:
            setTimer(asInt(v));
            return true;
        case Property::Maximized:
            maximized_ = truth(v);
            break;
        case Property::Iconized:
            iconized_ = truth(v);
            break;
        case Property::Hidden:
            hidden_ = truth(v);
            break;
        case Property::Resizable:
            resizable_ = truth(v);
            break;
        case Property::MinWidth:
            minWidth_ = asInt(v);
            break;
        case Property::MinHeight:
            minHeight_ = asInt(v);
            break;
        case Property::MaxWidth:
            maxWidth_ = asInt(v);
            break;
        case Property::MaxHeight:
            maxHeight_ = asInt(v);
            break;
        case Property::StatusZoneText:
            if (index < 1 || index > statusZoneCount())
                return false;
            setStatusText(index, v.toText());
            return true;
        case Property::AlertKey:
            if (index < 1 || index > 255)
                return false;
            if (asInt(v) == 0)
                windowAlerts_.erase(index);
            else
                windowAlerts_[index] = asInt(v);
            return true;
        case Property::Type:
        case Property::AcceptAll:
        case Property::Thread:
        case Property::Focus:
        case Property::StatusZoneWidth:
            return false;
        default:
            if (static_cast<int>(p) < static_cast<int>(Property::UserDefined))
                return false;
            userProperties_[{0, static_cast<int>(p) * 256 + index}] = v;
            return true;
        }
        touch();
        return true;
    }
    Control* c = control(number);
    if (!c)
        return false;
    switch (p) {
    case Property::Text:
        c->text_ = v.toText();
        break;
    case Property::X:
        c->rect_.x = asInt(v);
        break;
    case Property::Y:
        c->rect_.y = asInt(v);
        break;
    case Property::Width:
        c->rect_.width = asInt(v);
        break;
    case Property::Height:
        c->rect_.height = asInt(v);
        break;
    case Property::Disabled:
        c->flags_.disabled = truth(v);
        break;
    case Property::Hidden:
        c->flags_.hidden = truth(v);
        break;
    case Property::FontFace:
        c->font_.face = v.toText();
        break;
    case Property::FontSize:
        c->font_.size = asInt(v);
        break;
    case Property::FontBold:
        c->font_.bold = truth(v);
        break;
    case Property::Icon:
        if (index > 0)
            c->listIcons_[index] = v.toText();
        else
            c->icon_ = v.toText();
        break;
    case Property::Tip:
        c->tip_ = v.toText();
        break;
    case Property::Colour:
        c->colour_ = asInt(v);
        break;
    case Property::FillColour:
        c->fillColour_ = asInt(v);
        break;
    case Property::StatusText:
        c->statusText_ = v.toText();
        break;
    case Property::ReadOnly:
        c->flags_.readOnly = truth(v);
        break;
    case Property::Required:
        c->flags_.required = truth(v);
        break;
    case Property::Immediate:
        c->flags_.immediate = truth(v);
        break;
    case Property::IsDefault:
        c->flags_.isDefault = truth(v);
        break;
    case Property::Checked:
        c->checked_ = truth(v);
        break;
    case Property::Picture:
        c->picture_ = v.toText();
        displayControl(*c);
        return true;
    case Property::Image:
        c->image_ = v.toText();
        break;
    case Property::Contents:
        c->contents_ = v.toText();
        c->edited_ = true;
        break;
    case Property::Caret:
        c->caret_ = static_cast<int>(v.toInteger());
        ++c->caretMark_;
        break;
    case Property::Transparent:
        c->flags_.transparent = truth(v);
        break;
    case Property::Skip:
        c->flags_.skip = truth(v);
        break;
    case Property::Upper:
        c->flags_.upper = truth(v);
        break;
    case Property::AlertKey:
        if (index < 1 || index > 255)
            return false;
        if (asInt(v) == 0)
            c->alerts_.erase(index);
        else
            c->alerts_[index] = asInt(v);
        break;
    case Property::Selected:
        c->selected_ = std::max(asInt(v), 0);
        break;
    case Property::Items:
        c->items_ = std::max(asInt(v), 0);
        break;
    case Property::ThumbPosition:
        c->thumb_ = std::clamp(asInt(v), 0, 100);
        break;
    case Property::DrawnWidth:
        c->drawnWidth_ = std::max(asInt(v), 0);
        break;
    case Property::DrawnHeight:
        c->drawnHeight_ = std::max(asInt(v), 0);
        break;
    case Property::ScrollX:
        c->scrollX_ = std::clamp(asInt(v), 0, 255);
        break;
    case Property::ScrollY:
        c->scrollY_ = std::clamp(asInt(v), 0, 255);
        break;
    case Property::VScroll:
        c->flags_.vscroll = truth(v);
        break;
    case Property::HScroll:
        c->flags_.hscroll = truth(v);
        break;
    case Property::DropCount:
        c->dropCount_ = std::max(asInt(v), 0);
        break;
    case Property::Format:
        c->formatText_ = v.toText();
        c->format_ = ListFormat::parse(c->formatText_);
        break;
    case Property::ColumnEditor:
        if (index < 1)
            return false;
        if (asInt(v) == 0)
            c->columnEditors_.erase(index);
        else
            c->columnEditors_[index] = asInt(v);
        break;
    case Property::ColumnTextColour:
        if (index < 1)
            return false;
        if (asInt(v) < 0)
            c->columnColours_.erase(index);
        else
            c->columnColours_[index] = asInt(v);
        break;
    case Property::Choices: {
        c->choices_.clear();
        std::string all = v.toText();
        std::size_t start = 0;
        while (!all.empty()) {
            std::size_t bar = all.find('|', start);
            c->choices_.push_back(
                all.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        break;
    }
    case Property::RangeLow:
        c->rangeLow_ = rangeEnd(*c, v);
        break;
    case Property::RangeHigh:
        c->rangeHigh_ = rangeEnd(*c, v);
        break;
    case Property::Step:
        c->step_ = rangeEnd(*c, v);
        if (c->step_ <= Decimal(0))
            c->step_ = 1;
        break;
    case Property::Progress:
        c->progress_ = v.toInteger();
        break;
    case Property::Type:
    case Property::Visible:
    case Property::Parent:
    case Property::MouseRow:
    case Property::MouseColumn:
    case Property::MouseX:
    case Property::MouseY:
    case Property::ColumnPicture:
    case Property::ColumnCount:
    case Property::ColumnTitle:
        return false;
    default:
        if (static_cast<int>(p) < static_cast<int>(Property::UserDefined))
            return false;
        userProperties_[{number, static_cast<int>(p) * 256 + index}] = v;
        return true;
    }
    touch(*c);
    return true;
}

} // namespace host
