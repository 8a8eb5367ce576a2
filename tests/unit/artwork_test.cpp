// The committed icons and pictures: the image sets the programs ask the
// system for, well-formed headers and masks, and the right picture in each
// file.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& name) {
  std::ifstream in(std::string(PREFLECT_RESOURCES_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Le(const Bytes& b, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int k = size - 1; k >= 0; --k) v = v << 8 | b.at(at + k);
  return v;
}

std::size_t Stride(std::uint32_t width, std::uint32_t bpp) { return (width * bpp + 31) / 32 * 4; }

struct IconCase {
  const char* file;
  std::vector<std::pair<int, int>> images;  // size in pixels, bits per pixel
};

const IconCase kIcons[] = {
    {"aaa.ico", {{48, 4}, {32, 4}, {16, 4}, {48, 8}, {32, 8}, {16, 8},
                 {64, 32}, {48, 32}, {32, 32}, {16, 32}}},
    {"app.ico", {{16, 4}, {32, 4}, {48, 4}, {16, 24}, {32, 24}, {48, 24},
                 {16, 32}, {32, 32}, {48, 32}, {64, 32}}},
};

TEST(Artwork, IconsHoldExactlyTheExpectedImages) {
  for (const auto& c : kIcons) {
    SCOPED_TRACE(c.file);
    const Bytes ico = ReadFile(c.file);
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(Le(ico, 0, 2), 0u);
    EXPECT_EQ(Le(ico, 2, 2), 1u);  // icon, not cursor
    const std::uint32_t count = Le(ico, 4, 2);
    std::vector<std::pair<int, int>> found;
    for (std::uint32_t i = 0; i < count; ++i) {
      SCOPED_TRACE(i);
      const std::size_t e = 6 + 16 * i;
      const std::uint32_t size = ico.at(e), bpp = Le(ico, e + 6, 2);
      const std::uint32_t bytes = Le(ico, e + 8, 4), offset = Le(ico, e + 12, 4);
      found.emplace_back(size, bpp);
      EXPECT_EQ(ico.at(e + 1), size);
      EXPECT_EQ(ico.at(e + 2), bpp == 4 ? 16u : 0u);  // colour count
      EXPECT_EQ(Le(ico, e + 4, 2), 1u);               // planes
      ASSERT_LE(std::uint64_t{offset} + bytes, ico.size());
      // The image's own header: doubled height for colour bits plus mask.
      EXPECT_EQ(Le(ico, offset, 4), 40u);
      EXPECT_EQ(Le(ico, offset + 4, 4), size);
      EXPECT_EQ(Le(ico, offset + 8, 4), 2 * size);
      EXPECT_EQ(Le(ico, offset + 14, 2), bpp);
      EXPECT_EQ(Le(ico, offset + 16, 4), 0u);  // uncompressed
      const std::size_t palette = bpp <= 8 ? 4u << bpp : 0;
      const std::size_t colour = Stride(size, bpp) * size, mask = Stride(size, 1) * size;
      ASSERT_EQ(bytes, 40 + palette + colour + mask);
      // The mask must cut the picture out: some pixels shown, some not.
      const std::size_t maskAt = offset + 40 + palette + colour;
      int transparent = 0;
      for (std::uint32_t y = 0; y < size; ++y)
        for (std::uint32_t x = 0; x < size; ++x)
          transparent += ico.at(maskAt + y * Stride(size, 1) + x / 8) >> (7 - x % 8) & 1;
      EXPECT_GT(transparent, 0);
      EXPECT_LT(transparent, static_cast<int>(size * size) / 2);
      if (bpp == 32) {
        int partial = 0;
        for (std::size_t p = 0; p < size * size; ++p) {
          const int alpha = ico.at(offset + 40 + 4 * p + 3);
          partial += alpha > 0 && alpha < 255;
        }
        EXPECT_GT(partial, 0) << "32-bit images need smooth alpha edges";
      }
    }
    EXPECT_EQ(found, c.images);
  }
}

struct BitmapCase {
  const char* file;
  std::uint32_t width, height;
  int greenOverRed;  // +1: mostly green, -1: mostly red, 0: either
};

const BitmapCase kBitmaps[] = {
    {"found.bmp", 25, 25, +1},
    {"missing.bmp", 25, 25, -1},
    {"product.bmp", 74, 153, 0},
    // Drawn for 120, 144 and 192 DPI: the boxes' sizes in pixels there.
    {"found_120.bmp", 31, 31, +1},   {"missing_120.bmp", 31, 31, -1},
    {"product_120.bmp", 93, 191, 0}, {"found_144.bmp", 38, 38, +1},
    {"missing_144.bmp", 38, 38, -1}, {"product_144.bmp", 111, 230, 0},
    {"found_192.bmp", 50, 50, +1},   {"missing_192.bmp", 50, 50, -1},
    {"product_192.bmp", 148, 306, 0},
};

TEST(Artwork, BitmapsHaveTheirSizeAndPicture) {
  for (const auto& c : kBitmaps) {
    SCOPED_TRACE(c.file);
    const Bytes bmp = ReadFile(c.file);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le(bmp, 2, 4), bmp.size());
    EXPECT_EQ(Le(bmp, 14, 4), 40u);
    EXPECT_EQ(Le(bmp, 18, 4), c.width);
    EXPECT_EQ(Le(bmp, 22, 4), c.height);  // positive: rows bottom-up
    EXPECT_EQ(Le(bmp, 28, 2), 24u);
    EXPECT_EQ(Le(bmp, 30, 4), 0u);
    const std::uint32_t bits = Le(bmp, 10, 4);
    ASSERT_EQ(bits + Stride(c.width, 24) * c.height, bmp.size());
    // A check mark is green and a cross red: catches swapped pictures.
    long balance = 0;
    for (std::uint32_t y = 0; y < c.height; ++y)
      for (std::uint32_t x = 0; x < c.width; ++x) {
        const std::size_t p = bits + y * Stride(c.width, 24) + 3 * x;
        balance += long{bmp[p + 1]} - long{bmp[p + 2]};
      }
    if (c.greenOverRed != 0) {
      EXPECT_EQ(balance > 0 ? +1 : -1, c.greenOverRed) << balance;
    }
  }
}

}  // namespace
