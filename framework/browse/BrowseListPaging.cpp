// The browse list's paging: reading a page forward or backward from the first or last
// row, rebuilding the page around the current row, scrolling, and the scroll-bar thumb.
#include "framework/browse/BrowseList.h"

#include "framework/browse/RowLocator.h"
#include "framework/browse/ThumbStep.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Queue.h"
#include "runtime/base/Record.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/Window.h"

#include <algorithm>

namespace framework {

namespace {

// Positions the view on every field of its order that the record buffers hold.
constexpr int AllOrderFields = 1000;

bool goesDown(host::EventKind event) {
    return event == host::EventKind::ScrollDown || event == host::EventKind::PageDown ||
           event == host::EventKind::ScrollBottom;
}

} // namespace

// ---- Rows ------------------------------------------------------------------------------------

std::string BrowseList::RowPosition(std::size_t row) const {
    if (row < 1 || row > RowCount())
        return {};
    LISTQUEUE->get(row);
    return host::clip(VIEWPOSITION.text());
}

std::int32_t BrowseList::FindRow(const std::string& target) const {
    if (target.empty())
        return 1;
    for (std::size_t row = 1; row <= RowCount(); ++row)
        if (RowPosition(row) == target)
            return static_cast<std::int32_t>(row);
    return 0;
}

void BrowseList::FillRow() {
    FIELDS->LeftToRight();
    VIEWPOSITION.assign(host::Value(VIEW->position()));
}

void BrowseList::StartOver() {
    LISTQUEUE->free();
    Reset();
}

// ---- Reading ---------------------------------------------------------------------------------

Severity BrowseList::ReadNext() {
    Severity level = ViewReader::ReadNext();
    if (level == Severity::Notify && SORT.count() > 0 && CurrentBrowseOrder().RESETS)
        CurrentBrowseOrder().RESETS->RightToLeft();
    else if (level == Severity::Fatal)
        Post(host::EventKind::CloseWindow, 0);
    return level;
}

Severity BrowseList::ReadPrevious() {
    Severity level = ViewReader::ReadPrevious();
    if (level == Severity::Notify && SORT.count() > 0 && CurrentBrowseOrder().RESETS)
        CurrentBrowseOrder().RESETS->RightToLeft();
    else if (level == Severity::Fatal)
        Post(host::EventKind::CloseWindow, 0);
    return level;
}

void BrowseList::ReadPage(int direction) {
    bool forward = direction == Forward;
    bool quick = QUICKSCAN && ITEMSTOFILL > 1;
    if (quick)
        PRIMARY->SwitchQuickScan(true);
    // Reading goes on from the row at the end it extends; that row is read again first.
    std::string again;
    if (RowCount() > 0) {
        again = RowPosition(forward ? RowCount() : 1);
        Open();
        VIEW->reset(again);
    }
    bool first = !again.empty();
    while (ITEMSTOFILL > 0) {
        Severity level = forward ? ReadNext() : ReadPrevious();
        if (level == Severity::Notify)
            break;
        if (level != Severity::Benign) {
            if (quick)
                PRIMARY->SwitchQuickScan(false);
            return;
        }
        if (first) {
            first = false;
            if (host::clip(VIEW->position()) == again)
                continue;
        }
        if (RowCount() >= static_cast<std::size_t>(std::max(LASTITEMS, 1))) {
            LISTQUEUE->get(forward ? 1 : RowCount());
            LISTQUEUE->remove();
        }
        FillRow();
        if (forward)
            LISTQUEUE->add();
        else
            LISTQUEUE->add(1);
        --ITEMSTOFILL;
    }
    if (quick)
        PRIMARY->SwitchQuickScan(false);
}

// ---- Rebuilding the page -------------------------------------------------------------------

void BrowseList::Reload(int mode) {
    host::Window* window = ListWindow();
    if (!ACTIVEINVISIBLE && window && !window->isVisible(LISTCONTROL)) {
        LOADPENDING = 1;
        return;
    }
    LOADED = 1;
    LOADPENDING = 0;
    host::setBusyCursor(true);
    if (CURRENTCHOICE == 0)
        CURRENTCHOICE = 1;
    std::string target;
    std::int32_t above = 0;
    std::int32_t was = 0;
    bool fromStart = false;
    if (mode == FromPosition) {
        if (RETAINROW)
            above = CURRENTCHOICE - 1;
    } else if (HasRows()) {
        std::size_t row =
            std::min<std::size_t>(static_cast<std::size_t>(CURRENTCHOICE), RowCount());
        target = RowPosition(row);
        Open();
        VIEW->reset(RowPosition(1));
    } else {
        Reset();
        fromStart = true;
    }
    if (RETAINROW)
        was = CURRENTCHOICE;
    auto locate = [&] {
        CURRENTCHOICE = FindRow(target);
        if (RETAINROW)
            above = was - CURRENTCHOICE;
    };
    std::int32_t page = std::max(LASTITEMS, 1);

    LISTQUEUE->free();
    ITEMSTOFILL = page - above;
    ReadPage(Forward);
    bool shortForward = ITEMSTOFILL != 0;
    if (target.empty() && HasRows())
        target = RowPosition(1);
    locate();
    if (!HasRows())
        Reset();
    ITEMSTOFILL = ALLOWUNFILLED ? 0 : page - static_cast<std::int32_t>(RowCount());
    if (!fromStart && (ITEMSTOFILL > 0 || above > 0)) {
        ITEMSTOFILL = std::max(ITEMSTOFILL, above);
        ReadPage(Backward);
        if (target.empty() && HasRows())
            target = RowPosition(RowCount());
        locate();
    }
    if (RETAINROW &&
        (above < 0 || (static_cast<std::int32_t>(RowCount()) < page && !shortForward))) {
        ITEMSTOFILL = std::max(-above, page - static_cast<std::int32_t>(RowCount()));
        ReadPage(Forward);
        locate();
    }
    while (static_cast<std::int32_t>(RowCount()) > page) {
        if (above < 0) {
            LISTQUEUE->get(1);
            LISTQUEUE->remove();
            ++above;
            --CURRENTCHOICE;
        } else {
            LISTQUEUE->get(RowCount());
            LISTQUEUE->remove();
        }
    }
    if (CURRENTCHOICE <= 0)
        CURRENTCHOICE = 1;
    if (static_cast<std::size_t>(CURRENTCHOICE) > RowCount())
        CURRENTCHOICE = static_cast<std::int32_t>(RowCount());
    RowLocator* locator = SORT.count() > 0 ? CurrentBrowseOrder().LOCATOR : nullptr;
    if (locator)
        locator->ShowHasRows(HasRows());
    if (!HasRows()) {
        CURRENTCHOICE = 0;
        PRIMARY->ME->BUFFER->clear();
    } else {
        CopyRowToFields();
    }
    host::setBusyCursor(false);
}

void BrowseList::ResetToFile() {
    ResetFrom(AllOrderFields);
    Reload(FromPosition);
}

void BrowseList::ResetToBuffer() {
    const host::RecordFile& file = *PRIMARY->ME->FILE;
    int key = SORT.count() > 0 ? CurrentBrowseOrder().MAINKEY : 0;
    int components = key >= 1 && key <= file.keyCount() ? file.key(key).componentCount() : 1;
    ResetFrom(std::max(components, 1));
    Reload(FromPosition);
    RefreshControls();
}

void BrowseList::LocateFromBuffer() {
    ResetFrom(std::max(FixedKeyComponents(), 1));
    Reload(FromPosition);
}

void BrowseList::MeasureThumbRange() {
    if (SORT.count() == 0)
        return;
    BrowseSortOrder& order = CurrentBrowseOrder();
    if (!order.THUMB || !order.THUMB->WantsLimits() || !order.FREEELEMENT)
        return;
    if (!ALLOWUNFILLED && static_cast<std::int32_t>(RowCount()) < LASTITEMS)
        return;
    host::setBusyCursor(true);
    Reset();
    if (ReadPrevious() == Severity::Benign) {
        std::string last = order.FREEELEMENT.text();
        Reset();
        if (ReadNext() == Severity::Benign)
            order.THUMB->FixLimits(order.FREEELEMENT.text(), last);
    }
    // The reads went through the record buffers: they show the current row again.
    CopyRowToFields();
    host::setBusyCursor(false);
}

// ---- Scrolling -------------------------------------------------------------------------------

void BrowseList::OnScroll(host::EventKind event) {
    if (!HasRows())
        return;
    host::Window* window = ListWindow();
    if (event == host::EventKind::None && window)
        event = window->currentEvent();
    switch (event) {
    case host::EventKind::ScrollUp:
    case host::EventKind::ScrollDown:
        ScrollByRow(event);
        break;
    case host::EventKind::PageUp:
    case host::EventKind::PageDown:
        ScrollByPage(event);
        break;
    case host::EventKind::ScrollTop:
    case host::EventKind::ScrollBottom:
        ScrollToEnd(event);
        break;
    default:
        return;
    }
    AfterScroll();
}

void BrowseList::AfterScroll() {
    ShowCurrentRow();
    if (SORT.count() > 0) {
        BrowseSortOrder& order = CurrentBrowseOrder();
        if (order.LOCATOR)
            order.LOCATOR->Clear();
        if (!order.THUMB)
            SetThumbFromRow();
    }
    CopyRowToFields();
}

void BrowseList::ScrollByRow(host::EventKind event) {
    CURRENTEVENT = event;
    bool up = event == host::EventKind::ScrollUp;
    if (up && CURRENTCHOICE > 1) {
        --CURRENTCHOICE;
        return;
    }
    if (!up && CURRENTCHOICE < static_cast<std::int32_t>(RowCount())) {
        ++CURRENTCHOICE;
        return;
    }
    if (FILELOADED)
        return;
    ITEMSTOFILL = 1;
    ReadPage(up ? Backward : Forward);
    // The row read is at the edge the user moved to.
    CURRENTCHOICE = up ? 1 : static_cast<std::int32_t>(RowCount());
}

void BrowseList::ScrollByPage(host::EventKind event) {
    CURRENTEVENT = event;
    bool up = event == host::EventKind::PageUp;
    std::int32_t n = std::max(VisibleItems(), 1);
    if (!FILELOADED) {
        ITEMSTOFILL = n;
        ReadPage(up ? Backward : Forward);
        n = ITEMSTOFILL;
    }
    std::int32_t rows = static_cast<std::int32_t>(RowCount());
    CURRENTCHOICE = up ? std::max(CURRENTCHOICE - n, 1) : std::min(CURRENTCHOICE + n, rows);
}

void BrowseList::ScrollToEnd(host::EventKind event) {
    CURRENTEVENT = event;
    bool top = event == host::EventKind::ScrollTop;
    if (!FILELOADED) {
        StartOver();
        ITEMSTOFILL = std::max(VisibleItems(), 1);
        ReadPage(top ? Forward : Backward);
    }
    CURRENTCHOICE = top ? 1 : static_cast<std::int32_t>(RowCount());
}

void BrowseList::ShowCurrentRow() {
    host::Window* window = ListWindow();
    if (!window)
        return;
    window->setProperty(LISTCONTROL, host::Property::Selected, host::Value(CURRENTCHOICE));
    window->post(host::EventKind::NewSelection, LISTCONTROL);
}

// ---- The scroll-bar thumb ------------------------------------------------------------------

void BrowseList::SetThumb(int position) {
    if (host::Window* window = ListWindow())
        window->setProperty(LISTCONTROL, host::Property::ThumbPosition, host::Value(position));
}

// Without thumb steps the thumb cannot tell where the page is in the file: it rests in the
// middle and goes to an end only when that end of the view has been reached.
void BrowseList::SetThumbFromRow() {
    std::int32_t rows = static_cast<std::int32_t>(RowCount());
    if (FILELOADED) {
        SetThumb(rows > 0 ? CURRENTCHOICE * 100 / rows : 0);
        return;
    }
    bool reachedEnd = ITEMSTOFILL > 0 || CURRENTEVENT == host::EventKind::ScrollTop ||
                      CURRENTEVENT == host::EventKind::ScrollBottom;
    int position = 50;
    if (reachedEnd) {
        if (goesDown(CURRENTEVENT) && CURRENTCHOICE == rows)
            position = 100;
        else if (!goesDown(CURRENTEVENT) && CURRENTCHOICE == 1)
            position = 0;
    }
    SetThumb(position);
}

void BrowseList::UpdateScrollBar() {
    host::Window* window = ListWindow();
    if (!HASTHUMB || !window)
        return;
    if (static_cast<std::int32_t>(RowCount()) >= std::max(VisibleItems(), 1)) {
        window->setProperty(LISTCONTROL, host::Property::VScroll, host::Value(1));
        BrowseSortOrder* order = SORT.count() > 0 ? &CurrentBrowseOrder() : nullptr;
        if (!order || !order->THUMB || !order->FREEELEMENT) {
            SetThumbFromRow();
        } else if (LOADED && !LOADPENDING) {
            CopyRowToFields();
            SetThumb(order->THUMB->ValueToPosition(order->FREEELEMENT.text()));
        }
    } else {
        window->setProperty(LISTCONTROL, host::Property::VScroll, host::Value(0));
    }
}

void BrowseList::OnThumbDrag(int position) {
    if (position <= 1) {
        Post(host::EventKind::ScrollTop, LISTCONTROL);
        return;
    }
    if (position >= 100) {
        Post(host::EventKind::ScrollBottom, LISTCONTROL);
        return;
    }
    BrowseSortOrder* order = SORT.count() > 0 ? &CurrentBrowseOrder() : nullptr;
    if (order && order->THUMB && order->FREEELEMENT) {
        order->FREEELEMENT.assign(host::Value(order->THUMB->PositionToValue(position)));
        ResetToBuffer();
    } else if (FILELOADED) {
        if (!HasRows())
            return;
        CURRENTCHOICE = std::max<std::int32_t>(
            1, static_cast<std::int32_t>(position * static_cast<std::int32_t>(RowCount()) / 100));
        AfterScroll();
    } else if (position < 50) {
        Post(host::EventKind::PageUp, LISTCONTROL);
    } else if (position > 50) {
        Post(host::EventKind::PageDown, LISTCONTROL);
    }
}

} // namespace framework
