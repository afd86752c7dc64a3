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

namespace {

std::string_view withoutBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string_view optionName(std::string_view option) {
    return withoutBlanks(option.substr(0, option.find('=')));
}

std::string_view optionValue(std::string_view option) {
    std::size_t equals = option.find('=');
    return equals == std::string_view::npos ? std::string_view()
                                            : withoutBlanks(option.substr(equals + 1));
}

} // namespace host
