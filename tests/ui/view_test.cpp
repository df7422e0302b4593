#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_support.hpp"
#include "ui/view.hpp"

namespace {

uint32_t big32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// A reader for what the writer produces: checks the signature, every chunk's CRC, the zlib
// header and Adler-32, and unpacks the stored blocks and filter-0 rows into RGB pixels.
struct DecodedPng {
    bool ok = false;
    std::string why;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

DecodedPng decodePng(const std::vector<uint8_t>& file) {
    DecodedPng out;
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0) {
        out.why = "signature";
        return out;
    }
    std::vector<uint8_t> idat;
    bool sawEnd = false;
    for (size_t at = 8; at + 12 <= file.size() && !sawEnd;) {
        const uint32_t length = big32(file, at);
        if (at + 12 + length > file.size()) {
            out.why = "chunk length";
            return out;
        }
        const std::string type(file.begin() + static_cast<long>(at + 4), file.begin() + static_cast<long>(at + 8));
        if (qm::crc32Of(file.data() + at + 4, length + 4) != big32(file, at + 8 + length)) {
            out.why = "crc of " + type;
            return out;
        }
        const uint8_t* data = file.data() + at + 8;
        if (type == "IHDR") {
            out.width = big32(file, at + 8);
            out.height = big32(file, at + 12);
            if (data[8] != 8 || data[9] != 2 || data[12] != 0) {
                out.why = "format";
                return out;
            }
        } else if (type == "IDAT") {
            idat.insert(idat.end(), data, data + length);
        } else if (type == "IEND") {
            sawEnd = true;
        }
        at += 12 + length;
    }
    if (!sawEnd || idat.size() < 6 || ((idat[0] << 8) | idat[1]) % 31 != 0 || (idat[0] & 0x0F) != 8) {
        out.why = "zlib header or IEND";
        return out;
    }
    std::vector<uint8_t> raw;
    size_t at = 2;
    for (bool last = false; !last;) {
        if (at + 5 > idat.size() || (idat[at] & 0x06) != 0) {
            out.why = "block header";
            return out;
        }
        last = (idat[at] & 1) != 0;
        const uint32_t len = idat[at + 1] | (idat[at + 2] << 8);
        const uint32_t nlen = idat[at + 3] | (idat[at + 4] << 8);
        if ((len ^ 0xFFFF) != nlen || at + 5 + len > idat.size()) {
            out.why = "block length";
            return out;
        }
        raw.insert(raw.end(), idat.begin() + static_cast<long>(at + 5), idat.begin() + static_cast<long>(at + 5 + len));
        at += 5 + len;
    }
    if (at + 4 != idat.size() || qm::adler32Of(raw.data(), raw.size()) != big32(idat, at)) {
        out.why = "adler";
        return out;
    }
    const size_t rowBytes = size_t{out.width} * 3;
    if (raw.size() != (rowBytes + 1) * out.height) {
        out.why = "image size";
        return out;
    }
    for (uint32_t y = 0; y < out.height; ++y) {
        if (raw[y * (rowBytes + 1)] != 0) {
            out.why = "filter";
            return out;
        }
        const auto row = raw.begin() + static_cast<long>(y * (rowBytes + 1) + 1);
        out.rgb.insert(out.rgb.end(), row, row + static_cast<long>(rowBytes));
    }
    out.ok = true;
    return out;
}

std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Checksums, MatchKnownValues) {
    const char* digits = "123456789";
    EXPECT_EQ(qm::crc32Of(reinterpret_cast<const uint8_t*>(digits), 9), 0xCBF43926u);
    const char* word = "Wikipedia";
    EXPECT_EQ(qm::adler32Of(reinterpret_cast<const uint8_t*>(word), 9), 0x11E60398u);
    // Running sums continue across pieces.
    const uint32_t first = qm::crc32Of(reinterpret_cast<const uint8_t*>(digits), 4);
    EXPECT_EQ(qm::crc32Of(reinterpret_cast<const uint8_t*>(digits) + 4, 5, first), 0xCBF43926u);
}

TEST(Png, SmallPictureReadsBackExactly) {
    const auto folder = qmtest::freshFolder("png");
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 5 * 3; ++i) rgb.insert(rgb.end(), {uint8_t(i * 17), uint8_t(255 - i), uint8_t(i)});
    std::string error;
    ASSERT_TRUE(qm::writePng((folder / "a.png").string(), rgb.data(), 5, 3, error)) << error;
    const DecodedPng png = decodePng(readBytes(folder / "a.png"));
    ASSERT_TRUE(png.ok) << png.why;
    EXPECT_EQ(png.width, 5u);
    EXPECT_EQ(png.height, 3u);
    EXPECT_EQ(png.rgb, rgb);
    std::filesystem::remove_all(folder);
}

TEST(Png, WholeViewSpansManyStoredBlocks) {
    const auto folder = qmtest::freshFolder("png");
    for (int32_t i = 0; i < qm::kViewWidth * qm::kViewHeight * 3; ++i)
        qm::view.pixels[i] = static_cast<uint8_t>(i * 7 + i / 4099);
    std::string error;
    ASSERT_TRUE(qm::writeViewPng((folder / "view.png").string(), error)) << error;
    const DecodedPng png = decodePng(readBytes(folder / "view.png"));
    ASSERT_TRUE(png.ok) << png.why;
    EXPECT_EQ(png.width, uint32_t(qm::kViewWidth));
    EXPECT_EQ(png.height, uint32_t(qm::kViewHeight));
    EXPECT_TRUE(std::memcmp(png.rgb.data(), qm::view.pixels, png.rgb.size()) == 0);
    std::filesystem::remove_all(folder);
}

TEST(Png, UnwritablePathFailsWithReason) {
    const auto folder = qmtest::freshFolder("png");
    uint8_t pixel[3] = {1, 2, 3};
    std::string error;
    EXPECT_FALSE(qm::writePng((folder / "missing" / "a.png").string(), pixel, 1, 1, error));
    EXPECT_NE(error.find("a.png"), std::string::npos);
    std::filesystem::remove_all(folder);
}

}  // namespace
