#include "platform/lz.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

constexpr unsigned char kMagic[] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kWindowSize = 4096;
constexpr std::size_t kWindowMask = kWindowSize - 1;
constexpr std::size_t kLongestMatch = 18;

Status damaged(std::string_view reason) {
  return Status::failure("archivo comprimido dañado: " + std::string(reason));
}

}  // namespace

bool looksLikeSzdd(std::string_view data) {
  return data.size() >= sizeof kMagic && std::memcmp(data.data(), kMagic, sizeof kMagic) == 0;
}

Result<std::string> expandSzdd(std::string_view data) {
  if (!looksLikeSzdd(data)) return damaged("no tiene la cabecera SZDD");
  if (data.size() < kHeaderSize) return damaged("la cabecera está incompleta");
  if (data[8] != 'A') return damaged("modo de compresión desconocido");
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
  const std::uint32_t length = byte(10) | byte(11) << 8 | byte(12) << 16 |
                               static_cast<std::uint32_t>(byte(13)) << 24;
  const Status truncated = damaged("los datos terminan antes de tiempo");

  // Eight items of at most two bytes follow each control byte and yield at most 8 * 18 bytes,
  // so a length beyond that bound cannot be reached (and is not worth reserving memory for).
  const std::size_t body = data.size() - kHeaderSize;
  if (length > (body + 16) / 17 * 8 * kLongestMatch) return truncated;

  std::array<unsigned char, kWindowSize> window;
  window.fill(' ');
  std::size_t position = kWindowSize - 16;
  const auto emit = [&](std::string& out, unsigned char c) {
    out.push_back(static_cast<char>(c));
    window[position] = c;
    position = (position + 1) & kWindowMask;
  };

  std::string out;
  out.reserve(length);
  std::size_t in = kHeaderSize;
  while (out.size() < length) {
    if (in >= data.size()) return truncated;
    unsigned control = byte(in++);
    for (int item = 0; item < 8 && out.size() < length; ++item, control >>= 1) {
      if (control & 1) {
        if (in >= data.size()) return truncated;
        emit(out, byte(in++));
        continue;
      }
      if (in + 1 >= data.size()) return truncated;
      const std::size_t from = byte(in) | (byte(in + 1) & 0xF0) << 4;
      const std::size_t count = (byte(in + 1) & 0x0F) + 3;
      in += 2;
      for (std::size_t k = 0; k < count && out.size() < length; ++k)
        emit(out, window[(from + k) & kWindowMask]);
    }
  }
  return out;
}

}  // namespace platform
