#pragma once

#include "runtime/files/FileDefinition.h"

namespace app::files {

// The declarations of the application's five data files: label, field prefix, record
// layout and keys, in each file's declaration order (the key numbers of sort orders).
// Every file is per-thread: a procedure on one thread (a form) and one on another (a
// browse over the same file) each have their own record buffer, current record, hold
// and auto-numbering placeholder.
//
// Key attributes: every key refuses duplicate values and compares text without regard
// to letter case (an item number is unique whatever its case, and customers are looked
// up by name and number typing either case). The four Id keys are also the files'
// primary keys, which the framework uses for record positions.
//
// Searched fields: the customer's name and contact and the item's description, which
// users search inside ("contains"); the driver keeps an index of their contents.
host::FileDefinition item();
host::FileDefinition config();
host::FileDefinition customer();
host::FileDefinition invDet();
host::FileDefinition invHdr();

} // namespace app::files
