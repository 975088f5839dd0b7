// Contract test of the committed assets: the pictures, fonts, sounds,
// icons and cursor must have exactly the shapes and formats the program's
// loaders assume, so that a regenerated asset cannot silently break it.

#include <gtest/gtest.h>
#include <spng.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#ifndef MIRTHWICK_SOURCE_DIR
#error "MIRTHWICK_SOURCE_DIR must name the repository root"
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string assetPath(const std::string& relative) {
    return std::string(MIRTHWICK_SOURCE_DIR) + "/assets/" + relative;
}

bool readFile(const std::string& path, Bytes& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::uint32_t be32(const Bytes& b, std::size_t at) {
    return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) |
           (std::uint32_t(b[at + 2]) << 8) | std::uint32_t(b[at + 3]);
}
std::uint32_t le32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) |
           (std::uint32_t(b[at + 2]) << 16) | (std::uint32_t(b[at + 3]) << 24);
}
std::uint16_t le16(const Bytes& b, std::size_t at) {
    return std::uint16_t(b[at] | (b[at + 1] << 8));
}
bool tagAt(const Bytes& b, std::size_t at, const char* tag) {
    return b.size() >= at + 4 && std::memcmp(b.data() + at, tag, 4) == 0;
}

// A PNG's IHDR fields, read straight from the file.
struct PngHeader {
    std::uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
};

::testing::AssertionResult readPngHeader(const std::string& name, const Bytes& b, PngHeader& h) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (b.size() < 33 || std::memcmp(b.data(), signature, 8) != 0)
        return ::testing::AssertionFailure() << name << ": not a PNG file (bad signature)";
    if (be32(b, 8) != 13 || !tagAt(b, 12, "IHDR"))
        return ::testing::AssertionFailure() << name << ": first chunk is not a 13-byte IHDR";
    h.width = be32(b, 16);
    h.height = be32(b, 20);
    h.bitDepth = b[24];
    h.colourType = b[25];
    h.interlace = b[28];
    return ::testing::AssertionSuccess();
}

// Decodes a PNG to RGBA8 rows, top row first, with libspng.
::testing::AssertionResult decodePng(const std::string& name, const Bytes& file, Bytes& rgba) {
    spng_ctx* ctx = spng_ctx_new(0);
    if (!ctx) return ::testing::AssertionFailure() << name << ": spng_ctx_new failed";
    std::size_t size = 0;
    int err = spng_set_png_buffer(ctx, file.data(), file.size());
    if (!err) err = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
    if (!err) {
        rgba.resize(size);
        err = spng_decode_image(ctx, rgba.data(), size, SPNG_FMT_RGBA8, 0);
    }
    spng_ctx_free(ctx);
    if (err) return ::testing::AssertionFailure() << name << ": libspng cannot decode it: " << spng_strerror(err);
    return ::testing::AssertionSuccess();
}

// A PNG read, checked for 8-bit RGBA non-interlaced and decoded.
struct Picture {
    std::uint32_t width = 0, height = 0;
    Bytes rgba;
    const std::uint8_t* at(std::uint32_t x, std::uint32_t y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
};

void loadPicture(const std::string& relative, std::uint32_t width, std::uint32_t height, Picture& pic) {
    Bytes file;
    ASSERT_TRUE(readFile(assetPath(relative), file)) << relative << ": missing (expected at " << assetPath(relative) << ")";
    PngHeader h;
    ASSERT_TRUE(readPngHeader(relative, file, h));
    EXPECT_EQ(h.width, width) << relative << ": wrong width";
    EXPECT_EQ(h.height, height) << relative << ": wrong height";
    EXPECT_EQ(h.bitDepth, 8) << relative << ": must be 8 bits per channel";
    EXPECT_EQ(h.colourType, 6) << relative << ": must be RGBA (colour type 6)";
    EXPECT_EQ(h.interlace, 0) << relative << ": must not be interlaced";
    ASSERT_FALSE(::testing::Test::HasFailure());
    ASSERT_TRUE(decodePng(relative, file, pic.rgba));
    ASSERT_EQ(pic.rgba.size(), std::size_t(width) * height * 4) << relative;
    pic.width = width;
    pic.height = height;
}

// --- the 33 image resources -------------------------------------------------

struct ImageSpec {
    int number;
    std::uint32_t width, height;
};

const ImageSpec kImages[] = {
    {102, 18, 18},   {101, 17, 17},   {100, 230, 230}, {40, 256, 256},  {41, 256, 256},
    {50, 256, 256},  {51, 256, 256},  {60, 256, 256},  {61, 256, 256},  {52, 320, 80},
    {5, 320, 80},    {6, 320, 80},    {31, 40, 40},    {2, 425, 600},   {1, 40, 40},
    {302, 40, 40},   {303, 40, 40},   {304, 40, 40},   {202, 40, 40},   {203, 40, 40},
    {204, 40, 40},   {206, 40, 40},   {306, 40, 40},   {201, 40, 40},   {3, 40, 40},
    {200, 520, 40},  {205, 200, 40},  {301, 40, 40},   {4, 40, 40},     {300, 520, 40},
    {305, 200, 40},  {30, 520, 40},   {32, 200, 40},
};

void PrintTo(const ImageSpec& s, std::ostream* os) {
    *os << "images/" << s.number << ".png " << s.width << "x" << s.height;
}

bool isOneOf(int n, std::initializer_list<int> list) {
    for (int v : list)
        if (v == n) return true;
    return false;
}

class ImageResource : public ::testing::TestWithParam<ImageSpec> {};

TEST_P(ImageResource, HasItsSizeAndFormatAndMeetsItsUseRules) {
    const ImageSpec spec = GetParam();
    const std::string name = "images/" + std::to_string(spec.number) + ".png";
    Picture pic;
    ASSERT_NO_FATAL_FAILURE(loadPicture(name, spec.width, spec.height, pic));

    // Soldiers are drawn with hard edges: no partly transparent pixels.
    if (isOneOf(spec.number, {300, 305, 200, 205, 30, 32, 301, 201})) {
        int soft = 0;
        for (std::uint32_t y = 0; y < pic.height; ++y)
            for (std::uint32_t x = 0; x < pic.width; ++x) {
                std::uint8_t a = pic.at(x, y)[3];
                if (a != 0 && a != 255 && soft++ == 0)
                    ADD_FAILURE() << name << ": alpha " << int(a) << " at (" << x << "," << y
                                  << "); soldier pictures may only use alpha 0 or 255";
            }
        EXPECT_EQ(soft, 0) << name << ": partly transparent pixels in all";
    }

    // In the head area of every walking and swinging frame, opaque pixels
    // must not be near-black.
    if (isOneOf(spec.number, {300, 305, 200, 205})) {
        int dark = 0;
        for (std::uint32_t frame = 0; frame < pic.width / 40; ++frame)
            for (std::uint32_t y = 0; y <= 7; ++y)
                for (std::uint32_t x = 1; x <= 23; ++x) {
                    const std::uint8_t* p = pic.at(frame * 40 + x, y);
                    if (p[3] == 255 && (p[0] < 25 || p[1] < 25 || p[2] < 25) && dark++ == 0)
                        ADD_FAILURE() << name << ": frame " << frame << " pixel (" << x << "," << y
                                      << ") is (" << int(p[0]) << "," << int(p[1]) << "," << int(p[2])
                                      << "); opaque pixels in rows 0..7, columns 1..23 need red, green and blue >= 25";
                }
        EXPECT_EQ(dark, 0) << name << ": too-dark head-area pixels in all";
    }

    // The menu panel covers what is under it.
    if (spec.number == 2) {
        int clear = 0;
        for (std::size_t i = 3; i < pic.rgba.size(); i += 4) clear += pic.rgba[i] != 255;
        EXPECT_EQ(clear, 0) << name << ": the panel must be fully opaque";
    }
}

INSTANTIATE_TEST_SUITE_P(AllPictures, ImageResource, ::testing::ValuesIn(kImages),
                         [](const ::testing::TestParamInfo<ImageSpec>& info) {
                             return "png" + std::to_string(info.param.number);
                         });

// --- the two bitmap fonts ---------------------------------------------------

struct FontSpec {
    const char* file;
    int cellWidth, cellHeight;
};

void PrintTo(const FontSpec& s, std::ostream* os) { *os << s.file; }

class FontSheet : public ::testing::TestWithParam<FontSpec> {};

TEST_P(FontSheet, IsA24BitBottomUpSheetOfBlackGlyphsOnWhite) {
    const FontSpec spec = GetParam();
    const std::string name = std::string("Files/Img/") + spec.file;
    Bytes b;
    ASSERT_TRUE(readFile(assetPath(name), b)) << name << ": missing";
    ASSERT_GE(b.size(), 54u) << name << ": shorter than the BMP headers";

    const int width = 32 * spec.cellWidth, height = 3 * spec.cellHeight;
    const std::uint32_t rowBytes = (std::uint32_t(width) * 3 + 3) & ~3u;
    EXPECT_TRUE(b[0] == 'B' && b[1] == 'M') << name << ": no BM signature";
    EXPECT_EQ(le32(b, 2), b.size()) << name << ": file size field";
    const std::uint32_t offset = le32(b, 10);
    EXPECT_EQ(le32(b, 14), 40u) << name << ": info header must be BITMAPINFOHEADER (40 bytes)";
    EXPECT_EQ(std::int32_t(le32(b, 18)), width) << name << ": width";
    EXPECT_EQ(std::int32_t(le32(b, 22)), height) << name << ": height (positive: bottom row first)";
    EXPECT_EQ(le16(b, 26), 1) << name << ": planes";
    EXPECT_EQ(le16(b, 28), 24) << name << ": bits per pixel";
    EXPECT_EQ(le32(b, 30), 0u) << name << ": must be uncompressed (BI_RGB)";
    const std::uint32_t imageSize = le32(b, 34);
    EXPECT_TRUE(imageSize == 0 || imageSize == rowBytes * height) << name << ": image size field " << imageSize;
    EXPECT_GE(offset, 54u) << name << ": pixel data offset";
    ASSERT_EQ(b.size(), std::size_t(offset) + rowBytes * height) << name << ": file size vs. offset and rows";
    ASSERT_LE(width * height, 43008) << name << ": larger than the program's font store";
    ASSERT_FALSE(HasFailure());

    // pixel (x, y), y from the top; file rows run bottom row first
    auto px = [&](int x, int y) { return &b[offset + std::size_t(height - 1 - y) * rowBytes + std::size_t(x) * 3]; };
    int grey = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = px(x, y);
            bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
            bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
            if (!black && !white && grey++ == 0)
                ADD_FAILURE() << name << ": pixel (" << x << "," << y << ") is neither black nor white";
        }
    EXPECT_EQ(grey, 0) << name << ": pixels neither black nor white";

    for (int g = 0; g < 96; ++g) {
        int ink = 0;
        int cx = (g % 32) * spec.cellWidth, cy = (g / 32) * spec.cellHeight;
        for (int y = 0; y < spec.cellHeight; ++y)
            for (int x = 0; x < spec.cellWidth; ++x) {
                const std::uint8_t* p = px(cx + x, cy + y);
                ink += p[0] == 0 && p[1] == 0 && p[2] == 0;
            }
        if (g == 0 || g == 95)
            EXPECT_EQ(ink, 0) << name << ": cell " << g << (g == 0 ? " (space)" : " (after the tilde)") << " must be blank";
        else
            EXPECT_GT(ink, 0) << name << ": glyph of '" << char(32 + g) << "' (code " << 32 + g << ", cell " << g
                              << ") has no black pixel";
    }
}

const FontSpec kFonts[] = {{"fixedsys16x28.bmp", 16, 28}, {"Consolas13x24-2.bmp", 13, 24}};
INSTANTIATE_TEST_SUITE_P(BothFonts, FontSheet, ::testing::ValuesIn(kFonts),
                         [](const ::testing::TestParamInfo<FontSpec>& info) {
                             return info.param.cellWidth == 16 ? std::string("fixedsys16x28") : std::string("consolas13x24");
                         });

// --- the twelve sounds ------------------------------------------------------

class SoundFile : public ::testing::TestWithParam<const char*> {};

TEST_P(SoundFile, HasTheCanonicalHeaderAndExactDataLength) {
    const std::string name = std::string("Files/Sound/") + GetParam();
    Bytes b;
    ASSERT_TRUE(readFile(assetPath(name), b)) << name << ": missing";
    ASSERT_GE(b.size(), 44u) << name << ": shorter than a WAV header";
    EXPECT_TRUE(tagAt(b, 0, "RIFF")) << name << ": no RIFF tag";
    EXPECT_EQ(le32(b, 4), b.size() - 8) << name << ": RIFF size";
    EXPECT_TRUE(tagAt(b, 8, "WAVE")) << name << ": no WAVE form type";
    EXPECT_TRUE(tagAt(b, 12, "fmt ")) << name << ": format chunk must come first";
    EXPECT_EQ(le32(b, 16), 16u) << name << ": format chunk must hold 16 bytes";
    EXPECT_EQ(le16(b, 20), 1) << name << ": must be PCM";
    EXPECT_EQ(le16(b, 22), 2) << name << ": must be stereo";
    EXPECT_EQ(le32(b, 24), 44100u) << name << ": must be 44100 Hz";
    EXPECT_EQ(le32(b, 28), 176400u) << name << ": byte rate";
    EXPECT_EQ(le16(b, 32), 4) << name << ": block align";
    EXPECT_EQ(le16(b, 34), 16) << name << ": must be 16-bit";
    EXPECT_TRUE(tagAt(b, 36, "data")) << name << ": the data chunk must start at byte 36";
    const std::uint32_t n = le32(b, 40);
    EXPECT_EQ(n, b.size() - 44) << name << ": data length at offset 40 must equal the bytes that follow";
    EXPECT_GT(n, 0u) << name << ": no samples";
    EXPECT_EQ(n % 4, 0u) << name << ": data is not whole stereo frames";
    if (std::string(GetParam()) == "M4.wav") {
        EXPECT_LT(n / 176400.0, 0.25) << name << ": a shot must end within 0.25 s to repeat every 5 frames";
    }
}

const char* const kSounds[] = {"glassbreak.wav", "burning.wav", "zippo.wav", "M4.wav",
                               "eqHam.wav",      "eqM4.wav",    "click.wav", "death.wav",
                               "sword.wav",      "sword2.wav",  "die.wav",   "hi.wav"};
INSTANTIATE_TEST_SUITE_P(AllSounds, SoundFile, ::testing::ValuesIn(kSounds),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string s = info.param;
                             return s.substr(0, s.find('.'));
                         });

// --- icons and cursor -------------------------------------------------------

// One-image .ico/.cur: checks the directory entry and the DIB header and
// returns the DIB's bits per pixel; f1/f2 receive the entry's planes and
// bit-count fields, which a cursor uses for its hot spot.
void checkIconFile(const std::string& name, int kind, int size, int& bpp, int& f1, int& f2) {
    Bytes b;
    ASSERT_TRUE(readFile(assetPath(name), b)) << name << ": missing";
    ASSERT_GE(b.size(), 22u + 40u) << name << ": too short";
    EXPECT_EQ(le16(b, 0), 0) << name << ": reserved field";
    EXPECT_EQ(le16(b, 2), kind) << name << (kind == 1 ? ": not an icon file" : ": not a cursor file");
    EXPECT_EQ(le16(b, 4), 1) << name << ": must hold exactly one image";
    EXPECT_EQ(b[6], size % 256) << name << ": entry width";
    EXPECT_EQ(b[7], size % 256) << name << ": entry height";
    f1 = le16(b, 10);
    f2 = le16(b, 12);
    const std::uint32_t bytes = le32(b, 14), offset = le32(b, 18);
    ASSERT_EQ(std::size_t(offset) + bytes, b.size()) << name << ": image extent vs. file size";
    ASSERT_EQ(le32(b, offset), 40u) << name << ": image is not a BITMAPINFOHEADER DIB";
    EXPECT_EQ(std::int32_t(le32(b, offset + 4)), size) << name << ": DIB width";
    EXPECT_EQ(std::int32_t(le32(b, offset + 8)), 2 * size) << name << ": DIB height must be doubled (XOR + AND)";
    bpp = le16(b, offset + 14);
}

TEST(Icons, PngsAndIconFilesHaveTheirSizes) {
    for (auto [number, size] : {std::pair{101, 16}, std::pair{103, 32}}) {
        Picture pic;
        ASSERT_NO_FATAL_FAILURE(loadPicture("icons/" + std::to_string(number) + ".png", size, size, pic));
        int bpp = 0, planes = 0, bitCount = 0;
        const std::string ico = "icons/" + std::to_string(number) + ".ico";
        ASSERT_NO_FATAL_FAILURE(checkIconFile(ico, 1, size, bpp, planes, bitCount));
        EXPECT_EQ(bpp, 32) << ico << ": must be a 32-bpp image";
        EXPECT_EQ(bitCount, 32) << ico << ": entry bit count";
    }
    // The desktop's application icons: each size drawn, none left empty or opaque to its corners.
    for (const int size : {48, 64, 128, 256}) {
        const std::string name = "icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + ".png";
        Picture pic;
        ASSERT_NO_FATAL_FAILURE(loadPicture(name, size, size, pic));
        EXPECT_EQ(pic.rgba[3], 0) << name << ": the top-left corner should be transparent";
        const std::size_t middle = (std::size_t(size / 2) * size + size / 2) * 4;
        EXPECT_EQ(pic.rgba[middle + 3], 255) << name << ": the middle should be opaque";
    }
}

TEST(Cursor, IsA32x32PointerOfAtMost16ColoursWithCentredHotSpot) {
    Picture pic;
    ASSERT_NO_FATAL_FAILURE(loadPicture("icons/13.png", 32, 32, pic));
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < pic.rgba.size(); i += 4) {
        std::uint32_t c = (std::uint32_t(pic.rgba[i]) << 24) | (pic.rgba[i + 1] << 16) | (pic.rgba[i + 2] << 8) |
                          pic.rgba[i + 3];
        colours.insert(pic.rgba[i + 3] == 0 ? 0u : c);
    }
    EXPECT_LE(colours.size(), 16u) << "icons/13.png: " << colours.size() << " distinct colours";
    EXPECT_EQ(pic.at(16, 16)[3], 255) << "icons/13.png: the hot spot pixel (16,16) should be visible";

    int bpp = 0, hx = 0, hy = 0;
    ASSERT_NO_FATAL_FAILURE(checkIconFile("icons/13.cur", 2, 32, bpp, hx, hy));
    EXPECT_EQ(hx, 16) << "icons/13.cur: hot spot x";
    EXPECT_EQ(hy, 16) << "icons/13.cur: hot spot y";
    EXPECT_TRUE(bpp == 4 || bpp == 32) << "icons/13.cur: unexpected " << bpp << " bits per pixel";
}

}  // namespace
