#include "szdd_writer.h"

#include <algorithm>

namespace platform_test {

namespace {
constexpr std::size_t kWindow = 4096;
constexpr std::size_t kShortestMatch = 3;
constexpr std::size_t kLongestMatch = 18;
}  // namespace

std::string szddHeader(std::uint32_t length) {
  std::string header("SZDD\x88\xF0\x27\x33" "A", 9);
  header.push_back('\0');  // last character of the original name: not recorded
  for (int shift = 0; shift < 32; shift += 8) header.push_back(static_cast<char>((length >> shift) & 0xFF));
  return header;
}

std::string compressSzdd(std::string_view data) {
  std::string out = szddHeader(static_cast<std::uint32_t>(data.size()));
  // What the expander's window has seen: the initial blanks, then the data. history[j] sits in
  // window slot (j - 16) mod 4096, since the first data byte goes to slot 4096 - 16.
  std::string history(kWindow, ' ');
  history += data;

  std::size_t i = 0;
  while (i < data.size()) {
    const std::size_t controlAt = out.size();
    out.push_back('\0');
    unsigned control = 0;
    for (int item = 0; item < 8 && i < data.size(); ++item) {
      const std::size_t here = kWindow + i;
      const std::size_t longest = std::min(kLongestMatch, data.size() - i);
      std::size_t bestLength = 0, bestDistance = 0;
      for (std::size_t distance = 1; distance <= kWindow && bestLength < longest; ++distance) {
        std::size_t length = 0;
        while (length < longest && history[here - distance + length] == history[here + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = distance;
        }
      }
      if (bestLength >= kShortestMatch) {
        const std::size_t slot = (here - bestDistance - 16) % kWindow;
        out.push_back(static_cast<char>(slot & 0xFF));
        out.push_back(static_cast<char>(((slot >> 4) & 0xF0) | (bestLength - kShortestMatch)));
        i += bestLength;
      } else {
        control |= 1u << item;
        out.push_back(data[i++]);
      }
    }
    out[controlAt] = static_cast<char>(control);
  }
  return out;
}

}  // namespace platform_test
