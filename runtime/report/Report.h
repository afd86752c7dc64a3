#pragma once

#include "runtime/base/TypedRef.h"
#include "runtime/report/PageFile.h"
#include "runtime/report/ReportDefinition.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class Queue;

// A report being printed: the controls of a report definition bound to the program's
// variables, and the pages it makes. The program prints detail bands one after another;
// a band that does not fit in the page's body ends the page (its footer drawn with the
// values held when the page's last band was printed) and starts the next (the page form
// and the header first). Each finished page is written as a page file.
//
// With a preview queue, each page file's name is added to the queue as the page is
// finished, and the pages are printed when the report closes only when the flush flag
// has been set (the user chose to print in the preview). Without one, the pages are
// printed when the report closes. Either way the page files are deleted then.
class Report {
public:
    explicit Report(std::shared_ptr<const ReportDefinition> definition);
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    const ReportDefinition& definition() const { return *definition_; }

    // Binds the variable of every text control that names `name`; false when none does.
    bool bind(std::string_view name, TypedRef variable);
    // Names the text controls use that nothing has bound: they print blank.
    std::vector<std::string> unboundNames() const;

    void open();
    bool isOpen() const { return open_; }
    // Prints detail band `band`; false when the report has no such band or is not open.
    bool print(int band);
    // Ends the current page (nothing when no band has been printed on it).
    void endPage();
    // Closes the report: prints the pages as said above (the result tells how that
    // went), deletes the page files.
    struct CloseResult {
        bool printed = false;
        std::string message; // why printing failed, when it did
    };
    CloseResult close();

    // The fixed text of a string control, or the file of an image control.
    bool setText(int control, std::string text);
    std::string text(int control) const;
    // Makes a control show the number of the page it is printed on.
    bool showPageNumber(int control);

    void setPreviewQueue(Queue* queue);
    Queue* previewQueue() const { return previewQueue_; }
    void setFlush(bool flush) { flush_ = flush; }
    bool flush() const { return flush_; }
    // Marks the report as cancelled: closing prints nothing.
    void discard() { discarded_ = true; }

    int pageCount() const { return static_cast<int>(pages_.size()); }
    const std::vector<std::string>& pageFiles() const { return pages_; }
    // The folder the page files are written in.
    const std::string& folder() const { return folder_; }
    // Problems met while printing (a page file that could not be written), one a line.
    const std::string& problems() const { return problems_; }

private:
    struct Bound {
        const ReportItem* item;
        TypedRef variable;
    };
    void startPage();
    void finishPage(std::vector<PageMark> footer);
    void drawBand(const ReportBand& band, int originX, int originY, std::vector<PageMark>& out);
    std::string itemText(const ReportItem& item) const;
    const Font& bandFont(const ReportBand& band) const;

    std::shared_ptr<const ReportDefinition> definition_;
    std::map<std::string, TypedRef> variables_;
    std::map<int, std::string> texts_;
    std::map<int, bool> pageNumbers_;
    bool open_ = false;
    bool pageOpen_ = false;
    int pageNumber_ = 0;
    int cursorY_ = 0;
    int bandsOnPage_ = 0;
    PageDrawing page_;
    std::vector<PageMark> footer_;
    Queue* previewQueue_ = nullptr;
    bool flush_ = true;
    bool discarded_ = false;
    std::vector<std::string> pages_;
    std::string folder_;
    std::string problems_;
};

} // namespace host
