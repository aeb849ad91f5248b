// Loading pictures: bitmap files of every depth and coding, JPEG by name, and refusals
// that name the file. The fixtures are written by the tests themselves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <jpeglib.h>

#include <string>
#include <vector>

#include "lib/BrixBmp.h"
#include "lib/Checked.h"
#include "lib/PictureError.h"
#include "support/Files.h"
#include "support/Pipes.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

// ---- a small BMP writer ---------------------------------------------------------------

void Put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

struct BmpFields {
  std::uint32_t headerSize = 40;  // 12 writes an OS/2 1.x header with 3-byte palette entries
  std::int32_t width = 3;
  std::int32_t height = 2;  // negative: top-down
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> masks;  // written after a 40-byte header
  std::vector<ColorTriple> palette;
  std::string data;
  std::uint32_t colorsUsed = 0xFFFFFFFF;  // default: the palette's length
};

std::string MakeBmp(const BmpFields& f) {
  const std::uint32_t entry = f.headerSize == 12 ? 3 : 4;
  const auto offset = static_cast<std::uint32_t>(14 + f.headerSize + 4 * f.masks.size() + entry * f.palette.size());
  std::string s = "BM";
  Put32(s, offset + static_cast<std::uint32_t>(f.data.size()));
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, f.headerSize);
  if (f.headerSize == 12) {
    Put16(s, static_cast<std::uint32_t>(f.width));
    Put16(s, static_cast<std::uint32_t>(f.height));
    Put16(s, 1);
    Put16(s, f.bitCount);
  } else {
    Put32(s, static_cast<std::uint32_t>(f.width));
    Put32(s, static_cast<std::uint32_t>(f.height));
    Put16(s, 1);
    Put16(s, f.bitCount);
    Put32(s, f.compression);
    Put32(s, static_cast<std::uint32_t>(f.data.size()));
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, f.colorsUsed == 0xFFFFFFFF ? static_cast<std::uint32_t>(f.palette.size()) : f.colorsUsed);
    Put32(s, 0);
    s.append(f.headerSize - 40, '\0');
  }
  for (std::uint32_t m : f.masks) Put32(s, m);
  for (const ColorTriple& c : f.palette) {
    s += static_cast<char>(c.blue);
    s += static_cast<char>(c.green);
    s += static_cast<char>(c.red);
    if (entry == 4) s += '\0';
  }
  return s + f.data;
}

// Rows as listed (file order), each padded to four bytes.
std::string Rows(const std::vector<std::vector<std::uint8_t>>& rows) {
  std::string s;
  for (const auto& row : rows) {
    s.append(row.begin(), row.end());
    s.append((4 - row.size() % 4) % 4, '\0');
  }
  return s;
}

const ColorTriple kRed = Rgb(255, 0, 0);
const ColorTriple kGreen = Rgb(0, 255, 0);
const ColorTriple kBlue = Rgb(0, 0, 255);
const ColorTriple kWhite = Rgb(255, 255, 255);
const ColorTriple kBlack = Rgb(0, 0, 0);
const ColorTriple kYellow = Rgb(255, 255, 0);

// The 3 x 2 test picture, top row first: red green blue / white black yellow.
const std::vector<ColorTriple> kPicture = {kRed, kGreen, kBlue, kWhite, kBlack, kYellow};
const std::vector<ColorTriple> kSixColours = {kRed, kGreen, kBlue, kWhite, kBlack, kYellow};

std::vector<std::uint8_t> Bgr(std::initializer_list<ColorTriple> colours) {
  std::vector<std::uint8_t> out;
  for (const ColorTriple& c : colours) out.insert(out.end(), {c.blue, c.green, c.red});
  return out;
}

struct BmpCase {
  BmpCase(const char* n, BmpFields f, std::vector<ColorTriple> e, std::int32_t w = 3, std::int32_t h = 2)
      : name(n), fields(std::move(f)), expected(std::move(e)), width(w), height(h) {}
  const char* name;
  BmpFields fields;
  std::vector<ColorTriple> expected;  // top row first
  std::int32_t width;
  std::int32_t height;
};

std::vector<BmpCase> BmpCases() {
  std::vector<BmpCase> cases;
  {
    BmpFields f;
    f.bitCount = 1;
    f.palette = {kBlack, kWhite};
    // bottom row: black white white; top row: white black white (bits from the high end)
    f.data = Rows({{0b0110'0000}, {0b1010'0000}});
    cases.push_back(BmpCase("depth1", f, {kWhite, kBlack, kWhite, kBlack, kWhite, kWhite}));
  }
  {
    BmpFields f;
    f.bitCount = 4;
    f.palette = kSixColours;
    f.data = Rows({{0x34, 0x50}, {0x01, 0x20}});
    cases.push_back(BmpCase("depth4", f, kPicture));
  }
  {
    BmpFields f;
    f.bitCount = 8;
    f.palette = kSixColours;
    f.data = Rows({{3, 4, 5}, {0, 1, 2}});
    cases.push_back(BmpCase("depth8", f, kPicture));
  }
  {
    BmpFields f;
    f.bitCount = 8;
    f.height = -2;
    f.palette = kSixColours;
    f.data = Rows({{0, 1, 2}, {3, 4, 5}});
    cases.push_back(BmpCase("depth8TopDown", f, kPicture));
  }
  {
    BmpFields f;
    f.headerSize = 12;
    f.bitCount = 8;
    f.palette = kSixColours;
    f.data = Rows({{3, 4, 5}, {0, 1, 2}});
    cases.push_back(BmpCase("os2Header", f, kPicture));
  }
  {
    // 5-5-5 levels 31 and 0, and level 10/20/30 scaled to the nearest 8-bit value
    BmpFields f;
    f.bitCount = 16;
    f.width = 4;
    f.data = Rows({{0xFF, 0x7F, 0x00, 0x00, 0xE0, 0x7F, 0x9E, 0x2A}, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x00, 0x00}});
    cases.push_back(BmpCase("depth16Default555", f,
                            {kRed, kGreen, kBlue, kBlack, kWhite, kBlack, kYellow, Rgb(82, 165, 247)}, 4, 2));
  }
  {
    BmpFields f;
    f.bitCount = 16;
    f.compression = 3;
    f.masks = {0xF800, 0x07E0, 0x001F};
    f.data = Rows({{0xFF, 0xFF, 0x00, 0x00, 0xE0, 0xFF}, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00}});
    cases.push_back(BmpCase("depth16BitFields565", f, kPicture));
  }
  {
    BmpFields f;
    f.data = Rows({Bgr({kWhite, kBlack, kYellow}), Bgr({kRed, kGreen, kBlue})});
    cases.push_back(BmpCase("depth24PaddedRows", f, kPicture));
  }
  {
    // The fourth byte is not alpha and must not change the colour.
    BmpFields f;
    f.bitCount = 32;
    f.data = Rows({{255, 255, 255, 0x7F, 0, 0, 0, 0xFF, 0, 255, 255, 0}, {0, 0, 255, 0, 0, 255, 0, 9, 255, 0, 0, 0}});
    cases.push_back(BmpCase("depth32Default", f, kPicture));
  }
  {
    // Red in the low byte, blue in the third: the masks, not a guess, give the order.
    BmpFields f;
    f.bitCount = 32;
    f.compression = 3;
    f.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    f.data = Rows({{255, 255, 255, 0, 0, 0, 0, 0, 255, 255, 0, 0}, {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0}});
    cases.push_back(BmpCase("depth32BitFields", f, kPicture));
  }
  {
    BmpFields f;
    f.bitCount = 8;
    f.compression = 1;
    f.palette = kSixColours;
    // bottom: literal 3, 4, 5 (padded); top: three one-pixel runs; end of picture
    f.data = std::string("\x00\x03\x03\x04\x05\x00\x00\x00\x01\x00\x01\x01\x01\x02\x00\x00\x00\x01", 18);
    cases.push_back(BmpCase("rle8", f, kPicture));
  }
  {
    BmpFields f;
    f.bitCount = 4;
    f.compression = 2;
    f.palette = kSixColours;
    // bottom: literal 3, 4, 5; top: a run of 0, 1 then a run of 2
    f.data = std::string("\x00\x03\x34\x50\x00\x00\x02\x01\x01\x20\x00\x00\x00\x01", 14);
    cases.push_back(BmpCase("rle4", f, kPicture));
  }
  {
    // An early end of picture leaves the top row undefined: it takes palette colour 0.
    BmpFields f;
    f.bitCount = 8;
    f.compression = 1;
    f.palette = {kBlue, kWhite, kBlack, kYellow};
    f.data = std::string("\x01\x01\x01\x02\x01\x03\x00\x01", 8);
    cases.push_back(BmpCase("rle8EarlyEnd", f, {kBlue, kBlue, kBlue, kWhite, kBlack, kYellow}));
  }
  return cases;
}

class BmpDepth : public testing::TestWithParam<BmpCase> {};

TEST_P(BmpDepth, DecodesTo24BitsTopRowFirst) {
  const BmpCase& c = GetParam();
  test::TempFolder folder;
  const std::string path = (folder.Path() / "picture.bmp").string();
  test::WriteFile(path, MakeBmp(c.fields));
  TBrixBitmap surface;
  surface.LoadPicture(path);
  ASSERT_EQ(surface.Width(), c.width);
  ASSERT_EQ(surface.Height(), c.height);
  ASSERT_EQ(surface.rows.Length(), c.height);
  for (std::int32_t r = 0; r < c.height; ++r)
    for (std::int32_t col = 0; col < c.width; ++col) {
      const ColorTriple got = surface.rows[r][col];
      const ColorTriple want = c.expected[static_cast<std::size_t>(r * c.width + col)];
      EXPECT_TRUE(SameColor(got, want)) << "row " << r << " column " << col << ": got " << int(got.red) << ","
                                        << int(got.green) << "," << int(got.blue) << " want " << int(want.red)
                                        << "," << int(want.green) << "," << int(want.blue);
    }
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, BmpDepth, testing::ValuesIn(BmpCases()),
                         [](const testing::TestParamInfo<BmpCase>& info) { return std::string(info.param.name); });

// ---- refusals ---------------------------------------------------------------------------

BmpFields Plain8() {
  BmpFields f;
  f.bitCount = 8;
  f.palette = kSixColours;
  f.data = Rows({{3, 4, 5}, {0, 1, 2}});
  return f;
}

struct BadFile {
  const char* name;
  std::string bytes;
  const char* reason;  // a part of the message after the file name
};

std::vector<BadFile> BadFiles() {
  std::vector<BadFile> cases;
  cases.push_back({"empty", "", "empty"});
  cases.push_back({"notBmp", "GIF89a and then some", "not a BMP picture"});
  const std::string good = MakeBmp(Plain8());
  cases.push_back({"headerCut", good.substr(0, 20), "file size"});
  {
    // The size field rewritten to the shorter length, so only the pixel data is missing.
    std::string cut = good.substr(0, good.size() - 5);
    cut[2] = static_cast<char>(cut.size());
    cut[3] = 0;
    cases.push_back({"pixelsCut", cut, "cut short"});
  }
  {
    BmpFields f = Plain8();
    f.data = Rows({{3, 4, 5}, {0, 9, 2}});
    cases.push_back({"indexOutsidePalette", MakeBmp(f), "palette"});
  }
  {
    BmpFields f = Plain8();
    f.compression = 1;
    f.data = std::string("\x04\x01\x00\x01", 4);  // a run of 4 in a row of 3
    cases.push_back({"rleRunPastRowEnd", MakeBmp(f), "leaves the picture"});
  }
  {
    BmpFields f = Plain8();
    f.compression = 1;
    f.data = std::string("\x00\x02\x01\x05\x00\x01", 6);  // a move to row 5 of 2
    cases.push_back({"rleMovePastBottom", MakeBmp(f), "leaves the picture"});
  }
  {
    BmpFields f = Plain8();
    f.compression = 1;
    f.data = std::string("\x03\x01", 2);  // no end-of-picture code
    cases.push_back({"rleWithoutEnd", MakeBmp(f), "end-of-picture"});
  }
  {
    BmpFields f;
    f.bitCount = 16;
    f.compression = 3;
    f.masks = {0xFF00, 0x00FF, 0};
    f.data = Rows({{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}});
    cases.push_back({"emptyBlueMask", MakeBmp(f), "blue mask"});
  }
  {
    BmpFields f = Plain8();
    f.colorsUsed = 300;
    cases.push_back({"paletteTooLarge", MakeBmp(f), "palette of 300"});
  }
  {
    BmpFields f = Plain8();
    f.bitCount = 7;
    cases.push_back({"oddDepth", MakeBmp(f), "7 bits"});
  }
  {
    // Claims more pixels than the game loads; the file itself is tiny and nothing is allocated.
    BmpFields f;
    f.bitCount = 1;
    f.palette = {kBlack, kWhite};
    f.width = 16384;
    f.height = 16384;
    cases.push_back({"hugeDimensions", MakeBmp(f), "larger than the game loads"});
    f.width = 20000;
    f.height = 1;
    cases.push_back({"tooWide", MakeBmp(f), "larger than the game loads"});
  }
  return cases;
}

class BadBmp : public testing::TestWithParam<BadFile> {};

TEST_P(BadBmp, IsRefusedNamingTheFileAndLeavesTheSurfaceAlone) {
  test::TempFolder folder;
  const std::string path = (folder.Path() / "bad.bmp").string();
  test::WriteFile(path, GetParam().bytes);
  TBrixBitmap surface;
  surface.SetSize(2, 1);
  surface.rows[0][1] = kRed;
  try {
    surface.LoadPicture(path);
    FAIL() << "loaded";
  } catch (const PictureError& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(GetParam().reason), std::string::npos) << message;
  }
  ASSERT_EQ(surface.Width(), 2);
  ASSERT_EQ(surface.rows.Length(), 1);
  EXPECT_TRUE(SameColor(surface.rows[0][1], kRed));
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, BadBmp, testing::ValuesIn(BadFiles()),
                         [](const testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST(LoadPicture, MissingFileAndFolderAreRefusedByName) {
  test::TempFolder folder;
  for (const std::string& path : {(folder.Path() / "none.bmp").string(), (folder.Path() / "none.jpg").string(),
                                  folder.Path().string(), (folder.Path() / "dir.jpeg").string()}) {
    if (path.ends_with("dir.jpeg")) std::filesystem::create_directory(path);
    TBrixBitmap surface;
    try {
      surface.LoadPicture(path);
      ADD_FAILURE() << path << " loaded";
    } catch (const PictureError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
    }
    EXPECT_EQ(surface.Width(), 0);
  }
}

TEST(LoadPicture, APipeIsRefusedWithoutWaitingForAWriter) {
  test::TempFolder folder;
  for (const char* name : {"pipe.bmp", "pipe.jpg"}) {
    const std::string path = (folder.Path() / name).string();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::string message;
    EXPECT_TRUE(test::ReturnsWithoutWaitingOn(path, [&] {
      TBrixBitmap surface;
      try {
        surface.LoadPicture(path);
      } catch (const PictureError& e) {
        message = e.what();
      }
    })) << name;
    EXPECT_EQ(message, path + ": not a picture file (not a regular file)");
  }
}

// ---- JPEG ---------------------------------------------------------------------------------

// A solid-coloured JPEG at full quality without chroma subsampling, so colours survive to ±2.
void WriteJpeg(const std::string& path, int width, int height, ColorTriple colour, bool grey) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  for (int i = 0; i < info.num_components; ++i) info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row;
  for (int c = 0; c < width; ++c) {
    if (grey) {
      row.push_back(colour.green);
    } else {
      row.insert(row.end(), {colour.red, colour.green, colour.blue});
    }
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}

void ExpectNear(ColorTriple got, ColorTriple want, int tolerance) {
  EXPECT_NEAR(got.red, want.red, tolerance);
  EXPECT_NEAR(got.green, want.green, tolerance);
  EXPECT_NEAR(got.blue, want.blue, tolerance);
}

TEST(LoadPicture, JpegByNameDecodesInColourAtFullSize) {
  test::TempFolder folder;
  const ColorTriple colour = Rgb(200, 40, 90);
  for (const char* name : {"photo.jpg", "photo.jpeg", "写真.jpg"}) {
    const std::string path = (folder.Path() / name).string();
    WriteJpeg(path, 19, 7, colour, false);
    TBrixBitmap surface;
    surface.LoadPicture(path);
    ASSERT_EQ(surface.Width(), 19) << name;
    ASSERT_EQ(surface.Height(), 7);
    ASSERT_EQ(surface.rows.Length(), 7);
    ExpectNear(surface.rows[0][0], colour, 2);
    ExpectNear(surface.rows[6][18], colour, 2);
  }
}

TEST(LoadPicture, GreyJpegBecomesGreyColour) {
  test::TempFolder folder;
  const std::string path = (folder.Path() / "grey.jpg").string();
  WriteJpeg(path, 8, 8, Rgb(0, 77, 0), true);
  TBrixBitmap surface;
  surface.LoadPicture(path);
  ExpectNear(surface.rows[3][3], Rgb(77, 77, 77), 1);
}

// Only an exact lower-case ".jpg" or ".jpeg" ending makes a file a JPEG; everything else,
// ".JPG" included, goes to the bitmap reader.
TEST(LoadPicture, SuffixDecidesTheDecoderCaseSensitively) {
  test::TempFolder folder;
  const std::string bmp = MakeBmp(Plain8());
  for (const char* name : {"a.bmp", "a.JPG", "a.Jpeg", "noextension", "a.jpg.bmp", "a.jpgx"}) {
    const std::string path = (folder.Path() / name).string();
    test::WriteFile(path, bmp);
    TBrixBitmap surface;
    EXPECT_NO_THROW(surface.LoadPicture(path)) << name;
    EXPECT_EQ(surface.Width(), 3) << name;
  }
  for (const char* name : {"b.jpg", "b.jpeg"}) {
    const std::string path = (folder.Path() / name).string();
    test::WriteFile(path, bmp);
    TBrixBitmap surface;
    try {
      surface.LoadPicture(path);
      ADD_FAILURE() << name << " was not read as JPEG";
    } catch (const PictureError& e) {
      EXPECT_NE(std::string(e.what()).find("JPEG"), std::string::npos) << e.what();
    }
  }
  const std::string jpegAsUpper = (folder.Path() / "c.JPG").string();
  WriteJpeg(jpegAsUpper, 4, 4, kRed, false);
  TBrixBitmap surface;
  try {
    surface.LoadPicture(jpegAsUpper);
    ADD_FAILURE() << "c.JPG was read as JPEG";
  } catch (const PictureError& e) {
    EXPECT_NE(std::string(e.what()).find("not a BMP picture"), std::string::npos) << e.what();
  }
}

TEST(LoadPicture, DamagedJpegIsRefusedNamingTheFile) {
  test::TempFolder folder;
  const std::string whole = (folder.Path() / "whole.jpg").string();
  WriteJpeg(whole, 64, 48, Rgb(10, 200, 30), false);
  const std::string bytes = test::ReadFile(whole);
  const std::string cut = (folder.Path() / "cut.jpg").string();
  test::WriteFile(cut, bytes.substr(0, bytes.size() / 2));
  const std::string text = (folder.Path() / "text.jpg").string();
  test::WriteFile(text, "This is not a picture.");
  for (const std::string& path : {cut, text}) {
    TBrixBitmap surface;
    surface.SetSize(1, 1);
    try {
      surface.LoadPicture(path);
      ADD_FAILURE() << path << " loaded";
    } catch (const PictureError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
    }
    EXPECT_EQ(surface.Width(), 1);
    EXPECT_EQ(surface.rows.Length(), 1);
  }
}

TEST(LoadPicture, ReloadReplacesPictureAndRows) {
  test::TempFolder folder;
  const std::string first = (folder.Path() / "first.bmp").string();
  test::WriteFile(first, MakeBmp(Plain8()));
  const std::string second = (folder.Path() / "second.jpg").string();
  WriteJpeg(second, 5, 9, kBlue, false);
  TBrixBitmap surface;
  surface.LoadPicture(first);
  surface.LoadPicture(second);
  EXPECT_EQ(surface.Width(), 5);
  ASSERT_EQ(surface.rows.Length(), 9);
  ExpectNear(surface.rows[8][4], kBlue, 2);
  EXPECT_THROW(surface.rows[9], VexaError);
}

}  // namespace
}  // namespace vexa
