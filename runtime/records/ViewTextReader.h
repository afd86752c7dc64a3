#pragma once

#include "runtime/records/TextError.h"

#include "runtime/base/Value.h"

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace host::records {

// A small reader over an order or join text that knows its 1-based position for
// messages.
class ViewTextReader {
public:
    explicit ViewTextReader(std::string_view text) : text_(text) {}

    void skipBlanks() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }
    bool atEnd() {
        skipBlanks();
        return at_ >= text_.size();
    }
    bool take(char c) {
        skipBlanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    // A label: letters, digits, '_' and ':' (a file prefix), starting with a letter.
    std::string label() {
        skipBlanks();
        size_t start = at_;
        if (at_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[at_])))
            while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) ||
                                          text_[at_] == '_' || text_[at_] == ':'))
                ++at_;
        return std::string(text_.substr(start, at_ - start));
    }
    // Takes a word (letter case ignored) when it stands next, followed by a non-label
    // character.
    bool takeWord(std::string_view word) {
        skipBlanks();
        if (text_.size() - at_ < word.size() ||
            !equalIgnoringCase(text_.substr(at_, word.size()), word))
            return false;
        size_t after = at_ + word.size();
        if (after < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[after])) ||
                                     text_[after] == '_' || text_[after] == ':'))
            return false;
        at_ = after;
        return true;
    }
    // Position for messages: the next non-blank character.
    std::size_t position() {
        skipBlanks();
        return at_ + 1;
    }
    bool fail(TextError& error, std::string message) {
        error.position = position();
        error.message = std::move(message);
        return false;
    }

private:
    std::string_view text_;
    size_t at_ = 0;
};

} // namespace host::records
