#pragma once

#include "runtime/ui/ListFormat.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// Reads a list format text into columns and groups (ListFormat::parse uses it). Every
// step stops at the first fault and records where and why.
class ListFormatReader {
public:
    explicit ListFormatReader(std::string_view text) : text_(text) {}

    bool read(std::vector<ListColumn>& columns, std::vector<ListGroup>& groups,
              std::vector<std::size_t>& picturePositions);
    const ParseError& error() const { return error_; }

private:
    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }
    bool fail(std::size_t position, std::string message) {
        error_ = {position, std::move(message)};
        return false;
    }

    bool readColumn(ListColumn& column, std::size_t& picturePosition);
    bool readNumber(int& number, bool allowSign, const char* what);
    bool readIndent(int& indent);
    // Flags up to the header; `icons` allows I and J (columns, not groups).
    template <typename Target> bool readFlags(Target& target, bool icons);
    // "~text~" and an optional justification with indent; absent when no '~' follows.
    bool readHeader(std::string& header, std::optional<Justification>& justification, int& indent,
                    bool& present);
    bool readPicture(std::string& picture);

    std::string_view text_;
    std::size_t at_ = 0;
    ParseError error_;
};

} // namespace host
