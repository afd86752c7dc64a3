#pragma once

namespace host {

// Character classes of the runtime's single-byte text, code page 1252 ("ANSI"): besides
// A to Z and a to z, the code page's accented and other national letters count as letters
// (Š Œ Ž Ÿ, À to Þ but ×, and their small forms, ß, ƒ, ª, µ, º).
bool isLetter(char c);
// A capital letter: A to Z, Š Œ Ž Ÿ and À to Þ but ×.
bool isUpperLetter(char c);

} // namespace host
