#include "runtime/base/CodePage.h"

namespace host {

namespace {

bool isUpperCode(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9F ||
           (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

bool isLowerCode(unsigned char c) {
    return (c >= 'a' && c <= 'z') || c == 0x83 || c == 0x9A || c == 0x9C || c == 0x9E ||
           c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xDF && c != 0xF7);
}

} // namespace

bool isLetter(char c) {
    auto code = static_cast<unsigned char>(c);
    return isUpperCode(code) || isLowerCode(code);
}

bool isUpperLetter(char c) {
    return isUpperCode(static_cast<unsigned char>(c));
}

} // namespace host
