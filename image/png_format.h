// What a PNG file begins and ends with, for telling an interrupted save's leftover from a
// whole file. Platform-free.
#pragma once
#include <string>

namespace zarp {

// True when the bytes begin as a PNG file does (its eight-byte signature), or with a part
// of that.
bool BeginsAsPngFile(const std::string& head);
// True when a file that begins with head and ends with tail (its last bytes, at least 12)
// is a whole PNG file: the signature first and the closing IEND chunk last.
bool IsCompletePngFile(const std::string& head, const std::string& tail);

}  // namespace zarp
