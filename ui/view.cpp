#include "ui/view.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qm {

View view;

namespace {

constexpr size_t kStoredBlockMax = 65535;  // bytes one uncompressed deflate block holds

// The byte table of the reflected CRC-32 polynomial 0xEDB88320.
struct CrcTable {
    uint32_t entry[256];
};
constexpr CrcTable makeCrcTable() {
    CrcTable t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t.entry[n] = c;
    }
    return t;
}
constexpr CrcTable crcTable = makeCrcTable();

void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

// Appends a chunk: length, type, data, CRC of type and data.
void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBig32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBig32(out, crc32Of(out.data() + typeAt, data.size() + 4));
}

}  // namespace

uint32_t crc32Of(const uint8_t* data, size_t length, uint32_t crc) {
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) c = crcTable.entry[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32Of(const uint8_t* data, size_t length, uint32_t adler) {
    constexpr uint32_t kBase = 65521;
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (size_t i = 0; i < length; ++i) {
        a = (a + data[i]) % kBase;
        b = (b + a) % kBase;
    }
    return (b << 16) | a;
}

bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height,
              std::string& error) {
    if (width <= 0 || height <= 0) {
        error = "empty picture";
        return false;
    }
    // The raw scanlines: filter byte 0 (none), then the row's pixels.
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        const uint8_t* row = rgb + rowBytes * static_cast<size_t>(y);
        raw.insert(raw.end(), row, row + rowBytes);
    }

    // zlib stream: header (deflate, 32K window, no preset dictionary), stored blocks, Adler-32.
    std::vector<uint8_t> zlib = {0x78, 0x01};
    size_t done = 0;
    do {
        const size_t n = std::min(kStoredBlockMax, raw.size() - done);
        const bool last = done + n == raw.size();
        zlib.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00
        zlib.push_back(static_cast<uint8_t>(n));
        zlib.push_back(static_cast<uint8_t>(n >> 8));
        zlib.push_back(static_cast<uint8_t>(~n));
        zlib.push_back(static_cast<uint8_t>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(done),
                    raw.begin() + static_cast<std::ptrdiff_t>(done + n));
        done += n;
    } while (done < raw.size());
    putBig32(zlib, adler32Of(raw.data(), raw.size()));

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBig32(header, static_cast<uint32_t>(width));
    putBig32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, no interlace
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", zlib);
    putChunk(file, "IEND", {});

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        error = path + ": write failed";
        return false;
    }
    return true;
}

bool writeViewPng(const std::string& path, std::string& error) {
    return writePng(path, view.pixels, kViewWidth, kViewHeight, error);
}

}  // namespace qm
