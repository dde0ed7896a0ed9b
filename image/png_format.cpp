#include "png_format.h"

namespace zarp {
namespace {
const std::string kSignature("\x89PNG\r\n\x1a\n", 8);
// An empty IEND chunk: length 0, type, and its CRC.
const std::string kEnd("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
}  // namespace

bool BeginsAsPngFile(const std::string& head) {
    const size_t n = head.size() < kSignature.size() ? head.size() : kSignature.size();
    return head.compare(0, n, kSignature, 0, n) == 0;
}

bool IsCompletePngFile(const std::string& head, const std::string& tail) {
    return head.compare(0, kSignature.size(), kSignature) == 0 && tail.size() >= kEnd.size() &&
           tail.compare(tail.size() - kEnd.size(), kEnd.size(), kEnd) == 0;
}

}  // namespace zarp
