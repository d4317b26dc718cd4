#include "display/image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "display/draw.h"
#include "display/screen.h"
#include "tests/display/bare_screen.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

constexpr Color565 kSentinel = test::kBareScreenFill;

struct Bgr {
    uint8_t blue, green, red;
};

// value in little-endian order, in `bytes` bytes.
void put(std::string& out, uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A BMP file as a writer would make it: rows bottom first, each padded to 4 bytes.
std::string bmpFile(int32_t width, int32_t height, uint16_t bits, const std::vector<Bgr>& palette,
                    const std::vector<uint8_t>& pixelBytes, uint32_t infoBytes = 40) {
    const uint32_t rowBytes = static_cast<uint32_t>(width) * bits / 8;
    const uint32_t stride = (rowBytes + 3) / 4 * 4;
    std::string data;
    for (int32_t row = 0; row < height; ++row) {
        data.append(pixelBytes.begin() + row * rowBytes, pixelBytes.begin() + (row + 1) * rowBytes);
        data.append(stride - rowBytes, '\0');
    }
    const uint32_t offset = 14 + infoBytes + 4 * static_cast<uint32_t>(palette.size());
    std::string file = "BM";
    put(file, offset + static_cast<uint32_t>(data.size()));
    put(file, 0);
    put(file, offset);
    put(file, infoBytes);
    put(file, static_cast<uint32_t>(width));
    put(file, static_cast<uint32_t>(height));
    put(file, 1, 2);
    put(file, bits, 2);
    put(file, 0);
    put(file, static_cast<uint32_t>(data.size()));
    put(file, 2835);
    put(file, 2835);
    put(file, static_cast<uint32_t>(palette.size()));
    put(file, 0);
    file.append(infoBytes - 40, '\x7F');  // later header versions' fields
    for (const Bgr& entry : palette) {
        put(file, entry.blue | entry.green << 8 | entry.red << 16);
    }
    return file + data;
}

std::optional<Image> decode(const std::string& file) {
    return decodeBmp(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

std::string sourceFile(const std::string& name) {
    std::ifstream in(std::string(KELVARO_SOURCE_DIR) + "/tests/data/bmp/" + name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST(LoadBmp, TwentyFourBitOddWidthSkipsTheRowPadding) {
    // Width 3: rows of 9 bytes and 3 bytes of padding. Bottom row first.
    const std::vector<uint8_t> bytes = {
        0,   0,   255, 0, 255, 0, 255, 0, 0,  // red, green, blue
        255, 255, 255, 8, 4,   8, 7,   3, 7,  // white, the lowest step of each, just below
    };
    const std::optional<Image> image = decode(bmpFile(3, 2, 24, {}, bytes));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    const std::vector<Color565> expected = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0821, 0x0000};
    EXPECT_EQ(image->pixels, expected);
}

TEST(LoadBmp, EightBitLooksUpThePalette) {
    const std::vector<Bgr> palette = {{0, 0, 0}, {255, 0, 0}, {16, 132, 200}, {0, 255, 0}};
    // Width 5: 3 bytes of padding per row.
    const std::vector<uint8_t> bytes = {0, 1, 2, 3, 2, 3, 3, 1, 0, 0};
    const std::optional<Image> image = decode(bmpFile(5, 2, 8, palette, bytes));
    ASSERT_TRUE(image.has_value());
    // (200, 132, 16) is (25 << 11) | (33 << 5) | 2.
    const Color565 orange = 0xCC22;
    const std::vector<Color565> expected = {0x0000, 0x001F, orange, 0x07E0, orange,
                                            0x07E0, 0x07E0, 0x001F, 0x0000, 0x0000};
    EXPECT_EQ(image->pixels, expected);
}

TEST(LoadBmp, PaletteFollowsALongerInformationHeader) {
    const std::vector<Bgr> palette = {{0, 0, 255}, {255, 255, 255}};
    const std::optional<Image> image = decode(bmpFile(2, 1, 8, palette, {1, 0}, 124));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixels, (std::vector<Color565>{0xFFFF, 0xF800}));
}

TEST(LoadBmp, MalformedFilesLoadSafely) {
    test::TempRoot root;
    const auto load = [&root](const std::string& file) {
        const std::string content = sourceFile(file);
        EXPECT_TRUE(!content.empty() || file == "empty.bmp") << file << " is missing";
        root.write("/pictures/" + file, content);
        return loadBmp("/pictures/" + file);
    };
    for (const char* file :
         {"empty.bmp", "wrong_magic.bmp", "truncated_file_header.bmp", "truncated_info_header.bmp",
          "truncated_palette.bmp", "zero_width.bmp", "zero_height.bmp", "top_down.bmp",
          "huge_width.bmp", "huge_height.bmp", "huge_area.bmp", "huge_offset.bmp",
          "huge_info_size.bmp", "offset_inside_headers.bmp", "compressed.bmp", "bits_32.bmp",
          "bits_1.bmp", "short_info_size.bmp"}) {
        EXPECT_FALSE(load(file).has_value()) << file;
    }
    // A wrong or missing image size or the last row's padding left out still loads.
    const struct Row {
        const char* file;
        int32_t width, height;
    } loaded[] = {
        {"missing_last_padding.bmp", 3, 2},
        {"huge_image_size.bmp", 2, 2},
        {"zero_image_size.bmp", 3, 2},
        {"short_image_size.bmp", 4, 4},
    };
    for (const Row& row : loaded) {
        SCOPED_TRACE(row.file);
        const std::optional<Image> image = load(row.file);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->width, row.width);
        EXPECT_EQ(image->height, row.height);
        EXPECT_EQ(image->pixels.size(), static_cast<size_t>(row.width * row.height));
    }
}

// A picture cut short is refused whole, so the dashboard draws its plain colours and its
// buttons instead of the rows it holds moved up the screen.
TEST(LoadBmp, TruncatedFileIsNoPicture) {
    const std::string truncated = sourceFile("truncated_pixels.bmp");
    ASSERT_FALSE(truncated.empty());
    EXPECT_FALSE(decode(truncated).has_value());
    // 5 x 4 pixels of 24 bits: three rows of 16 bytes and the top row's 15 after the
    // 54 header bytes; the file holds 93.
    const std::optional<Image> whole = decode(truncated + std::string(117 - 93, '\0'));
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->height, 4);
    EXPECT_FALSE(decode(truncated + std::string(116 - 93, '\0')).has_value())
        << "one pixel byte missing";
}

TEST(LoadBmp, PaletteIndexBeyondTheFilesPaletteIsBlack) {
    const std::optional<Image> image = decode(sourceFile("palette_index_beyond.bmp"));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixels, (std::vector<Color565>{0x001F, 0x0000}));
}

TEST(LoadBmp, WhatIsNoPictureFileGivesNoImage) {
    test::TempRoot root;
    EXPECT_FALSE(loadBmp("/mnt/sdcard/kelvaro/images/none.bmp").has_value());
    test::makeFolders(root.path("/folder.bmp"));
    EXPECT_FALSE(loadBmp("/folder.bmp").has_value());
    // A FIFO would block a reader that waited for a writer.
    ASSERT_EQ(mkfifo(root.path("/fifo.bmp").c_str(), 0600), 0);
    EXPECT_FALSE(loadBmp("/fifo.bmp").has_value());
}

// An image whose every pixel tells where it came from: stored row r, column c.
Image numberedImage(int32_t width, int32_t height) {
    Image image;
    image.width = width;
    image.height = height;
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            image.pixels.push_back(static_cast<Color565>(0x8000 | (r << 7) | c));
        }
    }
    return image;
}

class DrawImage : public ::testing::Test {
  protected:
    void SetUp() override { std::fill(pixels(), pixels() + test::BareScreen::size(), kSentinel); }
    static Color565* pixels() { return test::BareScreen::pixels(); }
    static Color565 at(int32_t x, int32_t y) { return test::BareScreen::at(x, y); }
    static int changed() { return test::BareScreen::changed(); }
    test::BareScreen screen_{320, 240};
};

TEST_F(DrawImage, RegionWritesExactlyItsScreenPixels) {
    const Image image = numberedImage(64, 64);
    drawImageRegion(image, 0, 0, 10, 20, 30, 40, false);
    EXPECT_EQ(changed(), 21 * 21);
    for (int32_t y = 0; y < 240; ++y) {
        for (int32_t x = 0; x < 320; ++x) {
            const bool inside = x >= 10 && x <= 30 && y >= 20 && y <= 40;
            if (inside) {
                // Rows count from the top; the image stores the bottom row first.
                ASSERT_EQ(at(x, y), image.pixels[(63 - y) * 64 + x]) << x << "," << y;
            } else {
                ASSERT_EQ(at(x, y), kSentinel) << x << "," << y;
            }
        }
    }
}

TEST_F(DrawImage, PartsBeyondThePictureOrTheScreenAreLeftOut) {
    struct Row {
        const char* legend;
        int32_t dx, dy, sx0, sy0, sx1, sy1;
        int expectedPixels;
    };
    const Row rows[] = {
        {"region larger than the 4 x 3 picture", 5, 5, 0, 0, 10, 10, 12},
        {"negative region start", 5, 5, -3, -3, 1, 1, 4},
        {"reversed region draws nothing", 5, 5, 3, 0, 1, 2, 0},
        {"hanging over the left and top edges", -2, -1, 0, 0, 3, 2, 2 * 2},
        {"hanging over the right and bottom edges", 318, 238, 0, 0, 3, 2, 2 * 2},
        {"wholly off the screen", 320, 0, 0, 0, 3, 2, 0},
        {"far off, where dx + i leaves int32", INT32_MAX, INT32_MAX, 0, 0, 3, 2, 0},
        {"far off the other way", INT32_MIN, INT32_MIN, 0, 0, 3, 2, 0},
        {"region far beyond the picture", 0, 0, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 12},
    };
    const Image image = numberedImage(4, 3);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        SetUp();
        drawImageRegion(image, row.dx, row.dy, row.sx0, row.sy0, row.sx1, row.sy1, false);
        EXPECT_EQ(changed(), row.expectedPixels);
    }
    // Over the left edge: picture column 2 of the top row lands on screen column 0, row 0.
    SetUp();
    drawImage(image, -2, 0, false);
    EXPECT_EQ(at(0, 0), image.pixels[2 * 4 + 2]);
    EXPECT_EQ(at(319, 0), kSentinel) << "nothing wraps onto the row above";
}

// Picture row (from the top) and column of a numbered image.
int32_t rowOf(Color565 p, int32_t height) {
    return height - 1 - ((p >> 7) & 0x3F);
}

// A 7 x 5 picture centred on (100, 50): whole where there is room, else its middle columns
// and rows are left out and its edges kept.
TEST_F(DrawImage, ShrunkPictureKeepsItsEdges) {
    const Image image = numberedImage(7, 5);
    const struct Row {
        int32_t halfWidth, halfHeight;
        std::vector<int32_t> columns, rows;  // picture columns and rows, left to right
    } rows[] = {
        {3, 2, {0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4}},
        {9, 9, {0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4}},
        {1, 2, {0, 5, 6}, {0, 1, 2, 3, 4}},
        {2, 1, {0, 1, 4, 5, 6}, {0, 3, 4}},
        {0, 0, {6}, {4}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.halfWidth << " x " << row.halfHeight);
        SetUp();
        drawImageShrunk(image, 100, 50, row.halfWidth, row.halfHeight, false);
        const auto w = static_cast<int32_t>(row.columns.size());
        const auto h = static_cast<int32_t>(row.rows.size());
        EXPECT_EQ(changed(), w * h);
        for (int32_t j = 0; j < h; ++j) {
            for (int32_t i = 0; i < w; ++i) {
                const Color565 p = at(100 - w / 2 + i, 50 - h / 2 + j);
                EXPECT_EQ(p & 0x7F, row.columns[i]) << i << ", " << j;
                EXPECT_EQ(rowOf(p, 5), row.rows[j]) << i << ", " << j;
            }
        }
    }
    SetUp();
    drawImageShrunk(image, 100, 50, -1, 2, false);
    EXPECT_EQ(changed(), 0);
}

TEST_F(DrawImage, TransparentKeyIsSkippedOnlyWhenAsked) {
    Image image = numberedImage(3, 1);
    image.pixels[1] = kTransparentKey;
    drawImage(image, 0, 0, true);
    EXPECT_EQ(at(0, 0), image.pixels[0]);
    EXPECT_EQ(at(1, 0), kSentinel);
    EXPECT_EQ(at(2, 0), image.pixels[2]);
    drawImage(image, 0, 0, false);
    EXPECT_EQ(at(1, 0), kTransparentKey);
}

TEST_F(DrawImage, InconsistentImageDrawsNothing) {
    Image image = numberedImage(4, 4);
    image.pixels.resize(15);
    drawImage(image, 0, 0, false);
    EXPECT_EQ(changed(), 0);
}

// Hidden, the program has no off-screen buffer: whatever it draws is dropped, and the next
// flush has nothing to show.
TEST(DrawImageUnmapped, NoOffscreenBufferNoDrawing) {
    test::BareScreen bare(320, 240);
    screen.offscreen.reset();
    screen.drawnSinceFlush = false;
    const Image image = numberedImage(2, 2);
    drawImage(image, 0, 0, false);
    putPixel(3, 3, 1);
    clearRows(0, 240, 1);
    fillRect(0, 0, 319, 239, 1);
    drawLine(0, 0, 319, 239, 1);
    drawLine(0, 5, 0, 9, 1);
    fillDisc(100, 100, 20, 1);
    EXPECT_EQ(getPixel(3, 3), 0);
    EXPECT_FALSE(screen.drawnSinceFlush);
    EXPECT_FALSE(screen.offscreen);
}

}  // namespace
}  // namespace kelvaro
