#include "runtime/files/RecordFile.h"

#include "runtime/base/RuntimeErrors.h"

namespace host {

RecordFile::RecordFile(FileDefinition definition, Record& buffer)
    : definition_(std::move(definition)), buffer_(buffer) {}

RecordFile::~RecordFile() = default;

bool RecordFile::addAll(const std::vector<std::string>& images) {
    for (const std::string& image : images) {
        buffer().setImage(image);
        if (!add())
            return false;
    }
    return true;
}

bool RecordFile::setNameOnDisk(std::string name) {
    if (isOpen()) {
        setError(errors::alreadyOpen);
        return false;
    }
    definition_.setNameOnDisk(std::move(name));
    clearError();
    return true;
}

} // namespace host
