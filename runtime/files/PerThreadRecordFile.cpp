#include "runtime/files/PerThreadRecordFile.h"

#include "runtime/base/CurrentThread.h"
#include "runtime/base/PerThreadBlocks.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFileDriver.h"

#include <algorithm>

namespace host {

PerThreadRecordFile::PerThreadRecordFile(RecordFileDriver& driver, FileDefinition definition,
                                         Record& buffer)
    : RecordFile(std::move(definition), buffer), driver_(driver),
      block_(PerThreadBlocks::add(buffer)) {
    threadEnded_.subscribe([this](int thread) { dropThread(thread); });
}

PerThreadRecordFile::~PerThreadRecordFile() {
    threadEnded_.cancel();
    files_.clear();
    PerThreadBlocks::remove(block_);
}

RecordFile& PerThreadRecordFile::current() const {
    int thread = currentThread();
    auto found = files_.find(thread);
    if (found != files_.end())
        return *found->second;
    RuntimeError error = lastError();
    std::unique_ptr<RecordFile> file = driver_.makeFile(definition_, buffer_);
    for (const std::string& option : options_)
        file->sendOption(option);
    restoreError(std::move(error)); // making a file is no operation of the caller's
    return *files_.emplace(thread, std::move(file)).first->second;
}

bool PerThreadRecordFile::setNameOnDisk(std::string name) {
    for (const auto& [thread, file] : files_)
        if (file->isOpen()) {
            setError(errors::alreadyOpen);
            return false;
        }
    for (const auto& [thread, file] : files_)
        file->setNameOnDisk(name);
    definition_.setNameOnDisk(std::move(name));
    clearError();
    return true;
}

bool PerThreadRecordFile::sendOption(std::string_view option) {
    RecordFile& mine = current();
    // Setting the search index aside or making it is done once, on the data base, by
    // this thread's file: an action rather than a setting, not kept for later files.
    if (equalIgnoringCase(optionName(option), "SEARCHINDEX"))
        return mine.sendOption(option);
    for (const auto& [thread, file] : files_)
        if (file.get() != &mine)
            file->sendOption(option);
    bool taken = mine.sendOption(option);
    if (taken) {
        // Only the latest value of each option is kept for later files.
        std::erase_if(options_, [&](const std::string& sent) {
            return equalIgnoringCase(optionName(sent), optionName(option));
        });
        options_.emplace_back(option);
    }
    return taken;
}

void PerThreadRecordFile::dropThread(int thread) {
    auto found = files_.find(thread);
    if (found == files_.end())
        return;
    RuntimeError error = lastError();
    found->second->close();
    files_.erase(found);
    restoreError(std::move(error));
}

std::unique_ptr<RecordFile> makeRecordFile(RecordFileDriver& driver, FileDefinition definition,
                                           Record& buffer) {
    if (definition.isPerThread())
        return std::make_unique<PerThreadRecordFile>(driver, std::move(definition), buffer);
    return driver.makeFile(std::move(definition), buffer);
}

} // namespace host
