#include "runtime/ui/Event.h"

#include <array>
#include <string>
#include <unordered_map>

namespace host {

std::string_view eventName(EventKind kind) {
    static const std::unordered_map<int, std::string_view> names = {
        {0, "None"},         {1, "Accepted"},     {2, "Selected"},      {3, "NewSelection"},
        {4, "Rejected"},     {5, "AlertKey"},     {6, "ScrollUp"},      {7, "ScrollDown"},
        {8, "PageUp"},       {9, "PageDown"},     {10, "ScrollTop"},    {11, "ScrollBottom"},
        {12, "ScrollDrag"},  {13, "Locate"},      {14, "DroppingDown"}, {15, "DroppedDown"},
        {16, "ClosedUp"},    {100, "OpenWindow"}, {101, "CloseWindow"}, {102, "CloseDown"},
        {103, "Completed"},  {104, "Sizing"},     {105, "Sized"},       {106, "Moved"},
        {107, "Maximizing"}, {108, "Maximized"},  {109, "Iconizing"},   {110, "Iconized"},
        {111, "Restoring"},  {112, "Restored"},   {113, "Timer"},       {114, "GainFocus"},
        {115, "LoseFocus"},
    };
    auto it = names.find(static_cast<int>(kind));
    if (it != names.end())
        return it->second;
    if (isUserEvent(kind)) {
        // A small cache keeps the returned views alive.
        static std::unordered_map<int, std::string> users;
        int n = static_cast<int>(kind) - static_cast<int>(EventKind::User);
        auto& text = users[n];
        if (text.empty())
            text = "User+" + std::to_string(n);
        return text;
    }
    return "Unknown";
}

} // namespace host
