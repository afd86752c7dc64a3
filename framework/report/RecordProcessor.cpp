#include "framework/report/RecordProcessor.h"

#include "framework/browse/ThumbStep.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/data/SortOrderList.h"
#include "framework/query/QueryBuilder.h"
#include "runtime/base/Decimal.h"
#include "runtime/base/Record.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/ui/Window.h"

namespace framework {

namespace {

// The value of a key field as the step object reads it: text of at most 64 characters.
std::string stepText(const host::TypedRef& field) {
    std::string text = field.text();
    if (text.size() > 64)
        text.resize(64);
    return text;
}

} // namespace

RecordProcessor::~RecordProcessor() = default;

void RecordProcessor::Teardown() {
    PERCENTILE = {};
    VALUEFIELD = {};
    if (PRIMARY)
        PRIMARY->SwitchQuickScan(false);
    CHILDREN.reset();
    if (STEPMGR)
        STEPMGR->Teardown();
    STEPMGR = nullptr;
    PROGRESSWINDOW = nullptr;
    ViewReader::Teardown();
}

void RecordProcessor::InitCounted(host::RecordView& view, RelationLink& primary,
                                  std::int32_t progressControl, host::TypedRef percentile,
                                  std::int32_t recordsToProcess) {
    PERCENTILE = percentile;
    if (PERCENTILE)
        PERCENTILE.assign(host::Value(0));
    RECORDSTOPROCESS = recordsToProcess;
    PTEXT = progressControl;
    Setup(view, primary);
}

void RecordProcessor::InitStepped(host::RecordView& view, RelationLink& primary,
                                  std::int32_t progressControl, host::TypedRef percentile,
                                  ThumbStep& stepManager, host::TypedRef valueField) {
    InitCounted(view, primary, progressControl, percentile, 0);
    STEPMGR = &stepManager;
    VALUEFIELD = valueField;
}

void RecordProcessor::Reset() {
    EnsureSortOrder();
    RECORDSPROCESSED = 0;
    BYTESREAD = 0;
    if (STEPMGR) {
        SetStepLimits();
    } else if (RECORDSTOPROCESS == 0 && PRIMARY && PRIMARY->ME) {
        FileAccess& file = *PRIMARY->ME;
        file.CheckOpen();
        if (file.FILE) {
            std::int64_t count = file.FILE->recordCount();
            RECORDSTOPROCESS = count > 0 ? static_cast<std::int32_t>(count) : 0;
            if (RECORDSTOPROCESS == 0) {
                std::int64_t bytes = file.FILE->sizeInBytes();
                FILESIZE = bytes > 0 ? static_cast<std::int32_t>(bytes) : 0;
            }
        }
    }
    CHILDREAD = 0;
    ViewReader::Reset();
}

void RecordProcessor::EnsureSortOrder() {
    // Without a sort order of its own the view is read in record order.
    if (ORDER && ORDER->count() == 0)
        DeclareSortOrder(0);
}

void RecordProcessor::SetStepLimits() {
    ViewReader::Reset();
    std::string high = ReadPrevious() == Severity::Benign && VALUEFIELD ? stepText(VALUEFIELD)
                                                                        : std::string(64, '\xff');
    ViewReader::Reset();
    std::string low =
        ReadNextCounted(false) == Severity::Benign && VALUEFIELD ? stepText(VALUEFIELD) : "";
    STEPMGR->FixLimits(low, high);
}

Severity RecordProcessor::ReadNextCounted(bool count) {
    if (RECORDSPROCESSED != 0 && CHILDREN && CHILDREAD < CHILDREN->size()) {
        ++CHILDREAD;
        RecordProcessor* child = (*CHILDREN)[CHILDREAD - 1];
        child->RangeChanged();
        child->Reset();
    }
    Severity level =
        CHILDREAD == 0 ? ViewReader::ReadNext() : (*CHILDREN)[CHILDREAD - 1]->ReadNext();
    while (level != Severity::Benign && CHILDREAD != 0) {
        --CHILDREAD;
        level = CHILDREAD == 0 ? ViewReader::ReadNext() : (*CHILDREN)[CHILDREAD - 1]->ReadNext();
    }
    if (level != Severity::Benign || !count)
        return level;
    if (FILESIZE != 0 && !FILES.empty())
        BYTESREAD += static_cast<std::int32_t>(FILES.front()->buffer().size());
    ++RECORDSPROCESSED;
    if (PERCENTILE && CHILDREAD == 0) {
        std::uint8_t p = percentage();
        if (p != PERCENTILE.integer()) {
            PERCENTILE.assign(host::Value(static_cast<int>(p)));
            ShowProgress();
        }
    }
    return level;
}

std::uint8_t RecordProcessor::percentage() const {
    long long p = 0;
    if (STEPMGR && VALUEFIELD) {
        p = STEPMGR->ValueToPosition(stepText(VALUEFIELD));
    } else if (FILESIZE != 0) {
        p = (host::Decimal(BYTESREAD) * host::Decimal(100) / host::Decimal(FILESIZE)).toInteger();
    } else if (RECORDSTOPROCESS != 0) {
        p = (host::Decimal(RECORDSPROCESSED) / host::Decimal(RECORDSTOPROCESS) * host::Decimal(100))
                .toInteger();
    } else {
        // Neither a count nor a size: the progress cannot be told, and stays where it was.
        p = PERCENTILE.integer();
    }
    if (p > 100)
        p = 100;
    if (p < 0)
        p = 0;
    return static_cast<std::uint8_t>(p);
}

void RecordProcessor::ShowProgress() {
    if (!PROGRESSWINDOW)
        return;
    long long value = PERCENTILE ? PERCENTILE.integer() : 0;
    PROGRESSWINDOW->setProperty(PTEXT, host::Property::Text,
                                host::Value(std::to_string(value) + "% Complete"));
    PROGRESSWINDOW->display();
}

void RecordProcessor::ApplyQuery() {
    if (!QUERY || !QUERY->Ask(true))
        return;
    EnsureSortOrder(); // the query may come before the first record is read
    PutFilter(QUERY->BuildFilter());
    // A view already open takes the new filter now, so that the next Reset reads under it.
    if (OPENED)
        PushFilter();
}

Severity RecordProcessor::HandleRecord() {
    return Severity::Benign;
}

} // namespace framework
