#pragma once

#include "runtime/ui/Font.h"

#include <string>
#include <string_view>
#include <vector>

namespace host {

// What a report control draws.
enum class ReportItemKind {
    String, // a fixed text (the program may change it through the report's Text property)
    Text,   // a bound variable shown through its picture
    Image,  // a picture file, named by the control's text
    Line,   // a line from (x, y) to (x + w, y + h)
    Box,    // a rectangle, filled when it has a fill colour
};

// One control of a band. Places are in thousandths of an inch from the band's top left.
struct ReportItem {
    ReportItemKind kind = ReportItemKind::String;
    int number = 0;      // control number (0: none; the control cannot be addressed)
    std::string text;    // a string's text, an image's file
    std::string use;     // a text control's bound variable ("ITM:DESCRIPTION")
    std::string picture; // its picture ("@n-10.2")
    int x = 0, y = 0, w = 0, h = 0;
    Font font;               // empty face: the band's font
    char align = 'L';        // L, C or R within the control's width
    bool pageNumber = false; // shows the number of the page it is printed on
    int lineWidth = 10;      // lines and box borders, thousandths of an inch
    int fill = -1;           // a box's fill colour (0xRRGGBB), -1 none
    int line = 0;            // the definition line (messages)
};

enum class BandKind { Form, Header, Detail, Footer };

// A band: the page form (drawn on every page), the header (top of every page), a detail
// band (printed by the program, one under the other in the page's body) or the footer
// (foot of every page, with the values its variables hold when the page ends).
struct ReportBand {
    BandKind kind = BandKind::Detail;
    int number = 0; // detail bands: the number the program prints them by
    int x = 0, y = 0, w = 0, h = 0;
    Font font; // empty face: the report's font
    std::vector<ReportItem> items;
};

// A report as its definition text describes it (docs/report-definitions.md).
struct ReportDefinition {
    std::string name;   // "P83$REPORT"
    std::string module; // "mirto$mirto001"
    std::string title;
    int pageWidth = 8500; // thousandths of an inch (US letter)
    int pageHeight = 11000;
    // The body: where detail bands are printed, one under another.
    int bodyX = 500, bodyY = 1500, bodyW = 7500, bodyH = 8500;
    Font font;
    std::vector<ReportBand> bands;

    const ReportBand* band(BandKind kind, int number = 0) const;
    // Every name bound by a text control, in definition order, once each.
    std::vector<std::string> boundNames() const;
};

// The outcome of reading a report-definition text: its reports, or the first error with
// its line.
struct ReportParseResult {
    std::vector<ReportDefinition> reports;
    int errorLine = 0;
    std::string error;

    bool ok() const { return errorLine == 0 && error.empty(); }
    std::string message() const;
};

// Reads the declarative report-definition text: the window definitions' statement rules
// (one statement a line, `#` comments, `\` continues a line, blocks closed by `end`).
// Never throws; a mistake is reported with its line.
class ReportDefinitionParser {
public:
    static ReportParseResult parse(std::string_view text, std::string_view module = {});
};

} // namespace host
