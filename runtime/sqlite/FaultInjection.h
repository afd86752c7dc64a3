#pragma once

#include <functional>
#include <string_view>

namespace host::sqlite {

// A seam for tests of the driver's failure paths: a hook, set by a test, that makes a
// named step of the driver fail with a SQLite result code, as a data base busy with
// another station's log recovery or a failing disk would. The program never sets it;
// with no hook set a step asks one flag and goes on.
//
// Steps that ask (by name): "tableExists", the catalog look-up that tells whether a data
// file's table is there; "upgradeIndexes", after each key's index is made again in the
// upgrade of a table's earlier indexes.
class FaultInjection {
public:
    // Answers the SQLite result code a step fails with, or 0 (SQLITE_OK) to let it run.
    using Hook = std::function<int(std::string_view step)>;

    // Sets the hook for the whole process; an empty hook removes it.
    static void set(Hook hook);
    static void clear() { set({}); }
    // The result code injected at `step`, 0 when none.
    static int at(std::string_view step);
};

} // namespace host::sqlite
