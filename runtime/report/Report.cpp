#include "runtime/report/Report.h"

#include "runtime/base/Queue.h"
#include "runtime/base/Value.h"
#include "runtime/pictures/Picture.h"
#include "runtime/report/PrintService.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace host {

namespace {

// A folder of its own for each report's pages, under the system's temporary folder.
std::string makePageFolder() {
    static std::atomic<int> counter{0};
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path folder = base / ("eip-report-" + std::to_string(::getpid()) + "-" +
                                               std::to_string(counter.fetch_add(1)));
        if (std::filesystem::create_directory(folder, error))
            return folder.string();
    }
    return base.string();
}

} // namespace

Report::Report(std::shared_ptr<const ReportDefinition> definition)
    : definition_(std::move(definition)) {}

Report::~Report() {
    if (open_) {
        discard();
        close();
    }
}

bool Report::bind(std::string_view name, TypedRef variable) {
    std::string key = upper(name);
    for (const std::string& used : definition_->boundNames()) {
        if (used == key) {
            variables_[key] = variable;
            return true;
        }
    }
    return false;
}

std::vector<std::string> Report::unboundNames() const {
    std::vector<std::string> missing;
    for (const std::string& name : definition_->boundNames()) {
        if (!variables_.count(name))
            missing.push_back(name);
    }
    return missing;
}

void Report::open() {
    if (open_)
        return;
    open_ = true;
    pageOpen_ = false;
    pageNumber_ = 0;
    pages_.clear();
    problems_.clear();
    discarded_ = false;
    folder_ = makePageFolder();
}

void Report::setPreviewQueue(Queue* queue) {
    previewQueue_ = queue;
    // A previewed report prints only when the user says so.
    flush_ = queue == nullptr;
}

bool Report::setText(int control, std::string text) {
    for (const ReportBand& band : definition_->bands) {
        for (const ReportItem& item : band.items) {
            if (item.number == control && control != 0) {
                texts_[control] = std::move(text);
                return true;
            }
        }
    }
    return false;
}

std::string Report::text(int control) const {
    auto found = texts_.find(control);
    if (found != texts_.end())
        return found->second;
    for (const ReportBand& band : definition_->bands) {
        for (const ReportItem& item : band.items)
            if (item.number == control && control != 0)
                return itemText(item);
    }
    return {};
}

bool Report::showPageNumber(int control) {
    for (const ReportBand& band : definition_->bands) {
        for (const ReportItem& item : band.items) {
            if (item.number == control && control != 0) {
                pageNumbers_[control] = true;
                return true;
            }
        }
    }
    return false;
}

const Font& Report::bandFont(const ReportBand& band) const {
    return band.font.face.empty() ? definition_->font : band.font;
}

std::string Report::itemText(const ReportItem& item) const {
    if (item.pageNumber || (item.number != 0 && pageNumbers_.count(item.number)))
        return std::to_string(pageNumber_);
    if (item.number != 0) {
        auto found = texts_.find(item.number);
        if (found != texts_.end())
            return found->second;
    }
    if (item.kind != ReportItemKind::Text)
        return item.text;
    auto bound = variables_.find(item.use);
    if (bound == variables_.end())
        return {};
    if (item.picture.empty())
        return clip(bound->second.text());
    return clip(formatPicture(bound->second.value(), item.picture));
}

void Report::drawBand(const ReportBand& band, int originX, int originY,
                      std::vector<PageMark>& out) {
    const Font& font = bandFont(band);
    for (const ReportItem& item : band.items) {
        PageMark mark;
        mark.x = originX + item.x;
        mark.y = originY + item.y;
        mark.w = item.w;
        mark.h = item.h;
        switch (item.kind) {
        case ReportItemKind::String:
        case ReportItemKind::Text:
            mark.kind = PageMark::Text;
            mark.font = item.font.face.empty() ? font : item.font;
            if (item.font.face.empty() && item.font.size != 0)
                mark.font.size = item.font.size;
            mark.align = item.align;
            mark.text = itemText(item);
            // A control aligned right or centred places the text itself: the blanks a
            // picture puts in front of a number go.
            if (item.align != 'L')
                mark.text.erase(0, mark.text.find_first_not_of(' ') == std::string::npos
                                       ? mark.text.size()
                                       : mark.text.find_first_not_of(' '));
            if (mark.text.empty())
                continue;
            break;
        case ReportItemKind::Image:
            mark.kind = PageMark::Image;
            mark.text = itemText(item);
            if (mark.text.empty())
                continue;
            break;
        case ReportItemKind::Line:
            mark.kind = PageMark::Line;
            mark.lineWidth = item.lineWidth;
            break;
        case ReportItemKind::Box:
            mark.kind = PageMark::Box;
            mark.lineWidth = item.lineWidth;
            mark.fill = item.fill;
            break;
        }
        out.push_back(std::move(mark));
    }
}

void Report::startPage() {
    ++pageNumber_;
    pageOpen_ = true;
    bandsOnPage_ = 0;
    page_ = PageDrawing{};
    page_.width = definition_->pageWidth;
    page_.height = definition_->pageHeight;
    if (const ReportBand* form = definition_->band(BandKind::Form))
        drawBand(*form, form->x, form->y, page_.marks);
    if (const ReportBand* header = definition_->band(BandKind::Header))
        drawBand(*header, header->x, header->y, page_.marks);
    cursorY_ = definition_->bodyY;
    footer_.clear();
}

void Report::finishPage(std::vector<PageMark> footer) {
    for (PageMark& mark : footer)
        page_.marks.push_back(std::move(mark));
    char name[32];
    std::snprintf(name, sizeof name, "page%05d", pageNumber_);
    std::string path = folder_ + "/" + name + std::string(PageFile::Extension);
    std::string error;
    if (PageFile::write(path, page_, &error)) {
        pages_.push_back(path);
        if (previewQueue_) {
            previewQueue_->buffer().field(1).assign(Value(path));
            previewQueue_->add();
        }
    } else {
        problems_ += error + "\n";
    }
    pageOpen_ = false;
    page_.marks.clear();
}

bool Report::print(int bandNumber) {
    if (!open_)
        return false;
    const ReportBand* band = definition_->band(BandKind::Detail, bandNumber);
    if (!band)
        return false;
    if (!pageOpen_)
        startPage();
    int bodyEnd = definition_->bodyY + definition_->bodyH;
    if (bandsOnPage_ > 0 && cursorY_ + band->h > bodyEnd) {
        finishPage(std::move(footer_));
        startPage();
    }
    drawBand(*band, definition_->bodyX + band->x, cursorY_, page_.marks);
    cursorY_ += band->h;
    ++bandsOnPage_;
    // The footer as it would print if the page ended here.
    footer_.clear();
    if (const ReportBand* footer = definition_->band(BandKind::Footer))
        drawBand(*footer, footer->x, footer->y, footer_);
    return true;
}

void Report::endPage() {
    if (!open_ || !pageOpen_)
        return;
    std::vector<PageMark> footer;
    if (const ReportBand* band = definition_->band(BandKind::Footer))
        drawBand(*band, band->x, band->y, footer);
    finishPage(std::move(footer));
}

Report::CloseResult Report::close() {
    CloseResult result;
    if (!open_)
        return result;
    if (!discarded_ && !previewQueue_)
        endPage();
    pageOpen_ = false;
    if (!discarded_ && flush_) {
        // Pages the user left out in the preview have been deleted; print the rest.
        std::vector<std::string> remaining;
        for (const std::string& page : pages_) {
            std::error_code error;
            if (std::filesystem::exists(page, error))
                remaining.push_back(page);
        }
        if (!remaining.empty()) {
            PrintResult printed = PrintService::print(remaining, definition_->title);
            result.printed = printed.ok;
            result.message = printed.message;
        }
    }
    std::error_code error;
    for (const std::string& page : pages_)
        std::filesystem::remove(page, error);
    if (!folder_.empty() && folder_.find("eip-report-") != std::string::npos)
        std::filesystem::remove(folder_, error);
    open_ = false;
    return result;
}

} // namespace host
