#pragma once

#include "runtime/base/RecordLayout.h"
#include "runtime/files/KeyDefinition.h"

#include <string>
#include <string_view>
#include <vector>

namespace host {

// The declaration of a data file as the program states it: its label ("CUSTOMER"),
// field prefix ("CUS"), record layout and keys, and the name it has on disk. The name
// on disk is the label unless the program sets another one.
class FileDefinition {
public:
    FileDefinition() = default;
    FileDefinition(std::string label, std::string prefix, SharedLayout layout);

    const std::string& label() const { return label_; }
    const std::string& prefix() const { return prefix_; }
    const SharedLayout& layout() const { return layout_; }
    const std::string& nameOnDisk() const { return nameOnDisk_; }
    void setNameOnDisk(std::string name) { nameOnDisk_ = std::move(name); }

    // A per-thread file has its own record buffer and state on each thread.
    bool isPerThread() const { return perThread_; }
    void setPerThread(bool perThread) { perThread_ = perThread; }

    int fieldCount() const { return layout_ ? layout_->fieldCount() : 0; }
    // The files of this system hold no memo or BLOB fields.
    int memoCount() const { return 0; }
    // The label of field n ("CUS:NAME"); empty text for a number out of range.
    std::string fieldLabel(int number) const;

    // Appends a key; returns its 1-based number (the key number of sort orders).
    int addKey(KeyDefinition key);
    // Convenience: a key over fields named by label, all ascending. Unknown labels are
    // left out.
    int addKey(std::string label, std::initializer_list<std::string_view> fieldLabels,
               bool duplicates = false, bool ignoreCase = false, bool primary = false);
    int keyCount() const { return static_cast<int>(keys_.size()); }
    const KeyDefinition& key(int number) const { return keys_.at(static_cast<size_t>(number - 1)); }
    const std::vector<KeyDefinition>& keys() const { return keys_; }
    // 1-based number of the key with this label (letter case ignored), 0 when none.
    int keyNumber(std::string_view label) const;
    // Number of the key marked primary, 0 when none is.
    int primaryKey() const;

    // Text fields that users search inside ("contains"): a driver may keep an index of
    // their contents so that such a search reads only the records that can match. Unknown
    // labels, fields that are not text, and fields marked before are left out.
    void markSearched(std::string_view fieldLabel);
    // The marked fields' numbers, in the order marked.
    const std::vector<int>& searchedFields() const { return searched_; }

private:
    std::string label_;
    std::string prefix_;
    std::string nameOnDisk_;
    SharedLayout layout_;
    std::vector<KeyDefinition> keys_;
    std::vector<int> searched_;
    bool perThread_ = false;
};

} // namespace host
