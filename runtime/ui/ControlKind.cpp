#include "runtime/ui/ControlKind.h"

#include <array>
#include <utility>

namespace host {

namespace {
constexpr std::array<std::pair<ControlKind, std::string_view>, 25> kindNames{{
    {ControlKind::Label, "label"},       {ControlKind::Display, "display"},
    {ControlKind::Image, "image"},       {ControlKind::Region, "region"},
    {ControlKind::Line, "line"},         {ControlKind::Box, "box"},
    {ControlKind::Ellipse, "ellipse"},   {ControlKind::Entry, "entry"},
    {ControlKind::Button, "button"},     {ControlKind::Prompt, "prompt"},
    {ControlKind::Option, "option"},     {ControlKind::Check, "check"},
    {ControlKind::Group, "group"},       {ControlKind::List, "list"},
    {ControlKind::Combo, "combo"},       {ControlKind::Spin, "spin"},
    {ControlKind::Text, "text"},         {ControlKind::Menu, "menu"},
    {ControlKind::Item, "item"},         {ControlKind::Radio, "radio"},
    {ControlKind::Toolbar, "toolbar"},   {ControlKind::Progress, "progress"},
    {ControlKind::DropList, "droplist"}, {ControlKind::Sheet, "sheet"},
    {ControlKind::Tab, "tab"},
}};
} // namespace

std::string_view controlKindName(ControlKind kind) {
    if (kind == ControlKind::Panel)
        return "panel";
    for (auto& [k, name] : kindNames)
        if (k == kind)
            return name;
    return "control";
}

std::optional<ControlKind> controlKindNamed(std::string_view word) {
    if (word == "panel")
        return ControlKind::Panel;
    for (auto& [k, name] : kindNames)
        if (name == word)
            return k;
    return std::nullopt;
}

bool isEntryKind(ControlKind kind) {
    switch (kind) {
    case ControlKind::Entry:
    case ControlKind::Text:
    case ControlKind::Spin:
    case ControlKind::Combo:
    case ControlKind::DropList:
    case ControlKind::Check:
    case ControlKind::Option:
        return true;
    default:
        return false;
    }
}

bool isContainerKind(ControlKind kind) {
    switch (kind) {
    case ControlKind::Menu:
    case ControlKind::Toolbar:
    case ControlKind::Sheet:
    case ControlKind::Tab:
    case ControlKind::Group:
    case ControlKind::Option:
        return true;
    default:
        return false;
    }
}

} // namespace host
