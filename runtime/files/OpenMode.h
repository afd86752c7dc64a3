#pragma once

namespace host::openMode {

// The host's access modes for opening a data file: the low four bits hold the access,
// the high four bits the sharing. The program's default, 66, is readWrite | denyNone.
constexpr int readOnly = 0x00;
constexpr int writeOnly = 0x01;
constexpr int readWrite = 0x02;
constexpr int accessMask = 0x0F;

constexpr int compatible = 0x00; // treated as denyNone
constexpr int denyAll = 0x10;    // exclusive: no other station may open the file
constexpr int denyWrite = 0x20;  // others may open it read-only
constexpr int denyRead = 0x30;   // others may open it write-only
constexpr int denyNone = 0x40;   // shared
constexpr int sharingMask = 0xF0;

constexpr int shared = readWrite | denyNone;   // 66
constexpr int exclusive = readWrite | denyAll; // 18

} // namespace host::openMode
