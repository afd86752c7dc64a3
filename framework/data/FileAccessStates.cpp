#include "framework/data/FileAccess.h"

#include "runtime/base/Record.h"
#include "runtime/files/RecordFile.h"

#include <algorithm>

namespace framework {

// ---- Record images -------------------------------------------------------------------------
//
// An image is the whole record, then one entry per memo or BLOB field under the next ids.
// The files of this system hold no memo fields (the host reports none), so an image takes
// one id.

std::int32_t FileAccess::StoreImage() {
    std::int32_t id = BUFFERS.empty() ? 1 : BUFFERS.back().ID + 1;
    BUFFERS.push_back({id, BUFFER->image()});
    return id;
}

void FileAccess::RecallImage(std::int32_t& id, bool restore, host::Record* target) {
    if (id == 0 && !restore)
        return;
    std::int32_t last = id + (FILE ? FILE->memoCount() : 0);
    auto first = std::lower_bound(
        BUFFERS.begin(), BUFFERS.end(), id,
        [](const RecordImage& image, std::int32_t wanted) { return image.ID < wanted; });
    auto end = first;
    while (end != BUFFERS.end() && end->ID <= last)
        ++end;
    if (restore && first != end && first->ID == id)
        (target ? target : BUFFER)->setImage(first->BUFFER);
    BUFFERS.erase(first, end);
    id = 0;
}

bool FileAccess::ImageUnchanged(std::int32_t imageId) {
    if (CheckOpen(2) != Severity::Benign)
        return false;
    auto found = std::find_if(BUFFERS.begin(), BUFFERS.end(),
                              [&](const RecordImage& image) { return image.ID == imageId; });
    return found != BUFFERS.end() && found->BUFFER == BUFFER->image();
}

// ---- File states ---------------------------------------------------------------------------

std::uint16_t FileAccess::StoreState() {
    ThreadFileInfo& info = SelectInfo();
    SavedFileState state;
    state.ID = static_cast<std::uint16_t>(SAVED.empty() ? 1 : SAVED.back().ID + 1);
    state.BUFFER = static_cast<std::uint16_t>(StoreImage());
    if (FILE->isOpen()) {
        state.KEY = static_cast<std::uint8_t>(FILE->currentOrder());
        state.POS = FILE->position(state.KEY);
        state.RECORD = state.KEY == 0 ? state.POS : FILE->position(0);
        state.WHELD = FILE->isHeld();
        state.WWATCH = FILE->isWatched();
    }
    state.AUTOINCDONE = info.AUTOINCDONE;
    state.AUTOINCPOS = info.AUTOINCPOS;
    SAVED.push_back(std::move(state));
    return SAVED.back().ID;
}

void FileAccess::RecallState(std::uint16_t& id, bool restore) {
    auto found = std::find_if(SAVED.begin(), SAVED.end(),
                              [&](const SavedFileState& state) { return state.ID == id; });
    if (found == SAVED.end()) {
        id = 0;
        return;
    }
    SavedFileState state = std::move(*found);
    SAVED.erase(found);
    id = 0;
    std::int32_t image = state.BUFFER;
    if (!restore) {
        RecallImage(image, false);
        return;
    }
    ThreadFileInfo& info = SelectInfo();
    // When the file is no longer open there is no position to go back to; the record
    // image and the placeholder mark still come back, and the state is gone either way.
    bool backOnRecord = true;
    if (info.USED && FILE->isOpen()) {
        if (state.POS.empty()) {
            FILE->set(state.KEY);
        } else {
            FILE->reset(state.KEY, state.POS);
            if (state.WHELD)
                FILE->hold();
            if (state.WWATCH)
                FILE->watch();
            // The saved image goes back only over the record it was taken from: when that
            // record went meanwhile, the file stands on the one that followed it, and the
            // buffer must show that record, or a later write would put the old record's
            // contents over it.
            bool read = FILE->next();
            backOnRecord = read && FILE->position(0) == state.RECORD;
            // Standing on the follower, the next read must still give the follower, as
            // it would have from the record that went.
            if (read && !backOnRecord)
                FILE->reset(state.KEY, FILE->position(state.KEY));
        }
    }
    RecallImage(image, backOnRecord);
    info.AUTOINCDONE = state.AUTOINCDONE;
    info.AUTOINCPOS = state.AUTOINCPOS;
}

// ---- Positions -----------------------------------------------------------------------------

std::string FileAccess::recordPosition() {
    int key = PRIMARYKEY != 0 ? KEYS[PRIMARYKEY - 1].KEY : 0;
    return FILE->position(key);
}

std::string FileAccess::CurrentPosition() {
    if (CheckOpen(2) != Severity::Benign)
        return {};
    return recordPosition();
}

Severity FileAccess::Reget(std::string_view position) {
    if (CheckOpen(2) != Severity::Benign)
        return Severity::Fatal;
    return FILE->getAt(position) ? Severity::Benign : Severity::Notify;
}

} // namespace framework
