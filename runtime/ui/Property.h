#pragma once

namespace host {

// Properties of windows and controls that programs read and set by number
// (Window::property / Window::setProperty). Control 0 addresses the window itself. The
// numbers are the runtime's own; use the names. Some properties take an index (a list
// column, an alert position, a status-bar zone).
enum class Property : int {
    // Both windows and controls
    Text = 1, // caption, prompt, button text; the window's title
    Type = 2, // ControlKind number (read only)
    X = 3,
    Y = 4,
    Width = 5,
    Height = 6,
    Disabled = 7,
    Hidden = 8,
    Visible = 9, // read only: not hidden and inside no hidden container
    FontFace = 10,
    FontSize = 11,
    FontBold = 12,
    Icon = 13, // index (lists): the image of that icon number in the list's icon table
    Tip = 14,
    StatusText = 15,
    Colour = 16,     // a line's or box's colour, 0xRRGGBB (-1: the window's ink)
    FillColour = 17, // a box's fill, 0xRRGGBB (-1: none)
    // Controls
    ReadOnly = 20,
    Required = 21,
    Immediate = 22,
    IsDefault = 23, // the button Enter presses
    Checked = 24,
    Picture = 25,
    Image = 26,
    Contents = 27, // the text the user sees in an entry, spin, combo or drop list
    Transparent = 28,
    Skip = 29,
    Upper = 30,
    Parent = 31,   // read only: containing control number
    AlertKey = 32, // index: alert position 1..255; the key code armed there (0 = none)
    // Images
    MouseX = 33,      // where the last click on the image fell, in window units from the
    MouseY = 34,      // image's visible top left corner (read only)
    DrawnWidth = 35,  // the size the picture is drawn at (0: the control's own size); a
    DrawnHeight = 36, // larger picture scrolls inside the control when it has HScroll/VScroll
    ScrollX = 37,     // how far a scrolled picture is moved across and down, 0..255
    ScrollY = 38,
    // Lists and drop lists
    Selected = 40,      // the selected row (1-based, 0 = none) or drop-list item
    Items = 41,         // rows the list shows at a time
    MouseRow = 42,      // row under the mouse at the last click (read only)
    MouseColumn = 43,   // column under the mouse at the last click (read only)
    ThumbPosition = 44, // vertical thumb, 0..100
    VScroll = 45,       // the vertical scroll bar is shown
    HScroll = 46,
    DropCount = 47,        // rows of a dropped list (0: it does not drop down)
    Format = 48,           // the list's format text
    ColumnEditor = 49,     // index: column; the control laid over that column's cell (0 = none)
    ColumnTextColour = 50, // index: column; RGB colour of its text (-1 = normal)
    ColumnPicture = 51,    // index: column; its picture (read only)
    ColumnCount = 52,      // read only
    ColumnTitle = 53,      // index: column; header text (read only)
    Choices = 54,          // drop list/combo: its items, "|" between them
    // Spin boxes and progress bars
    RangeLow = 60,
    RangeHigh = 61,
    Step = 62,
    Progress = 63,
    // Windows
    AcceptAll = 80, // read only: the accept-all validation pass is running
    Timer = 81,     // timer interval in hundredths of a second (0 = none)
    Maximized = 82,
    Iconized = 83,
    Resizable = 84,
    MinWidth = 85,
    MinHeight = 86,
    MaxWidth = 87,
    MaxHeight = 88,
    StatusZoneText = 89,  // index: zone 1..n
    StatusZoneWidth = 90, // index: zone 1..n
    Thread = 91,          // read only: the logical thread that opened the window
    Focus = 92,           // read only: the control with the focus
    // entries: where the caret stands, 1 before the first character (reading gives the
    // text's length + 1 when it stands at the end). Set by the program, it also marks the
    // text after it, so that the next character typed replaces that text.
    Caret = 93,
    // Numbers from here on are free for the program's own properties; they are kept as
    // values and mean nothing to the runtime.
    UserDefined = 10000,
};

} // namespace host
