// A small PNG writer for the simulator's pictures: 24-bit colour, uncompressed deflate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

// rgb holds height rows of width pixels, 3 bytes each (red, green, blue), top row first.
bool WritePng(const std::wstring& path, int width, int height,
              const std::vector<std::uint8_t>& rgb);

}  // namespace hostsim
