#pragma once

#include "framework/data/Severity.h"
#include "framework/data/ViewReader.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace host {
class Window;
}

namespace framework {

class QueryBuilder;
class ThumbStep;

// Reads every record of a view for a report, one at a time, counting what it has read and
// keeping the percentage of the work done in its owner's progress variable; the window's
// text control PTEXT shows it followed by "% Complete". The percentage follows the
// records read against the file's record count, the bytes read against the file's size
// when the file cannot count, or, with a step object, the position of a key value
// between the view's first and last values.
//
// A report derives from it and overrides HandleRecord to print a band per record.
class RecordProcessor : public ViewReader {
public:
    RecordProcessor() = default;
    ~RecordProcessor() override;

    // Virtual operations, after the view reader's.
    void Teardown() override;
    void Reset() override;
    // 0 a record was read, 5 no more records, 3 a failure. Counted reads move the
    // progress.
    virtual Severity ReadNextCounted(bool count);
    // Asks the user for criteria through QUERY, when there is one, and on OK sets the
    // query's filter on the view as its standard filter: the records read next are those
    // that match from the next Reset on.
    virtual void ApplyQuery();
    // Called once for the current record: 0 go on, 3 stop the report, 5 end the batch
    // without moving on (the same record comes again).
    virtual Severity HandleRecord();

    void InitCounted(host::RecordView& view, RelationLink& primary, std::int32_t progressControl,
                     host::TypedRef percentile, std::int32_t recordsToProcess);
    void InitStepped(host::RecordView& view, RelationLink& primary, std::int32_t progressControl,
                     host::TypedRef percentile, ThumbStep& stepManager, host::TypedRef valueField);
    void ShowProgress();
    void SetStepLimits();

    std::int32_t BYTESREAD = 0;
    std::int32_t FILESIZE = 0;
    std::uint8_t CHILDREAD = 0;
    std::unique_ptr<std::vector<RecordProcessor*>> CHILDREN;
    host::TypedRef PERCENTILE;
    std::int32_t PTEXT = 0;
    QueryBuilder* QUERY = nullptr;
    std::int32_t RECORDSPROCESSED = 0;
    std::int32_t RECORDSTOPROCESS = 0;
    ThumbStep* STEPMGR = nullptr;
    host::TypedRef VALUEFIELD;
    // The window whose PTEXT control shows the progress (the report driver's).
    host::Window* PROGRESSWINDOW = nullptr;

private:
    std::uint8_t percentage() const;
    void EnsureSortOrder();
};

} // namespace framework
