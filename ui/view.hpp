#pragma once
// The off-screen view: a 768 x 480 RGB picture of 32 x 20 tiles that the board view draws into
// and the window copies to its client area; and a PNG writer for it.
#include <cstdint>
#include <string>

namespace qm {

constexpr int32_t kTileSize = 24;                          // tiles are square
constexpr int32_t kViewColumns = 32, kViewRows = 20;       // tiles of the view
constexpr int32_t kViewWidth = kViewColumns * kTileSize;   // 768 pixels
constexpr int32_t kViewHeight = kViewRows * kTileSize;     // 480 pixels
constexpr int32_t kViewLeft = 12, kViewTop = 88;           // place in the main window's client area

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
};

struct View {
    uint8_t pixels[kViewWidth * kViewHeight * 3];  // rows top to bottom, 3 bytes R G B per pixel
};
extern View view;

// Writes an 8-bit RGB picture (rows top to bottom, no padding) as a PNG file. The image data is
// stored in uncompressed deflate blocks. On failure returns false and says why in error.
bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height,
              std::string& error);
// Writes the view as a PNG file.
bool writeViewPng(const std::string& path, std::string& error);

// CRC-32 (the PNG chunk checksum) and Adler-32 (the zlib stream checksum) of a byte run.
uint32_t crc32Of(const uint8_t* data, size_t length, uint32_t crc = 0);
uint32_t adler32Of(const uint8_t* data, size_t length, uint32_t adler = 1);

}  // namespace qm
