// Every picture of the shared corpus through LoadPicture: good files must decode like their
// reference, bad and damaged ones must be refused naming the file, questionable ones follow
// the decision listed below, and the silently altered ones must merely not crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lib/BrixBmp.h"
#include "lib/PictureError.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = VEXA_PICTURE_CORPUS;

enum class Want { kMatch, kRefuse, kSurvive, kUndecided };

struct CorpusCase {
  std::string file;       // relative to the corpus
  Want want = Want::kUndecided;
  std::string reference;  // kMatch: the PPM to match
  int tolerance = 0;      // per channel
  std::string alpha;      // kMatch: compare only where this PGM is above 0
  std::string reason;     // kRefuse: a part the message must hold
};

CorpusCase Case(const std::string& file, Want want, const std::string& reference = "", int tolerance = 0,
                const std::string& alpha = "", const std::string& reason = "") {
  return CorpusCase{file, want, reference, tolerance, alpha, reason};
}

// bmpsuite's questionable files: load and match, or refuse.
struct Decision {
  const char* name;
  Want want;
  const char* reference;  // "expected" (the author's rendering) or "reference" (ImageMagick)
  int tolerance;
  bool alpha;
};

const std::vector<Decision>& QuestionableDecisions() {
  static const std::vector<Decision> decisions = {
      {"pal1huffmsb", Want::kRefuse, "", 0, false},  // OS/2 Huffman coding
      {"pal1p1", Want::kMatch, "expected", 0, false},
      {"pal2", Want::kMatch, "expected", 0, false},
      {"pal2color", Want::kMatch, "expected", 0, false},
      // Pixels the runs skip take palette colour 0, as in the author's rendering.
      {"pal4rlecut", Want::kMatch, "expected", 0, false},
      {"pal4rletrns", Want::kMatch, "expected", 0, false},
      {"pal8offs", Want::kMatch, "expected", 0, false},
      {"pal8os2-hs", Want::kMatch, "expected", 0, false},
      {"pal8os2-sz", Want::kMatch, "expected", 0, false},  // a file size field smaller than the file is harmless
      {"pal8os2sp", Want::kMatch, "expected", 0, false},
      {"pal8os2v2-16", Want::kMatch, "expected", 0, false},
      {"pal8os2v2-40sz", Want::kMatch, "expected", 0, false},
      {"pal8os2v2-sz", Want::kMatch, "expected", 0, false},
      {"pal8os2v2", Want::kMatch, "expected", 0, false},
      {"pal8oversizepal", Want::kRefuse, "", 0, false},  // more colours than 8 bits can index
      {"pal8rlecut", Want::kMatch, "expected", 0, false},
      {"pal8rletrns", Want::kMatch, "expected", 0, false},
      {"rgb16-231", Want::kMatch, "expected", 0, false},
      {"rgb16-3103", Want::kMatch, "expected", 0, false},
      {"rgb16faketrns", Want::kMatch, "expected", 1, false},  // opaque: the spare bit is not alpha
      {"rgb24jpeg", Want::kRefuse, "", 0, false},
      {"rgb24largepal", Want::kMatch, "expected", 0, false},
      {"rgb24lprof", Want::kMatch, "expected", 0, false},  // the linked profile is never opened
      {"rgb24prof", Want::kMatch, "expected", 0, false},
      {"rgb24prof2", Want::kMatch, "reference", 0, false},  // colour profiles are not applied
      {"rgb24png", Want::kRefuse, "", 0, false},
      {"rgb24rle24", Want::kRefuse, "", 0, false},  // OS/2 24-bit runs
      {"rgb32-111110", Want::kMatch, "expected", 1, false},
      {"rgb32-7187", Want::kMatch, "expected", 2, false},
      {"rgb32-xbgr", Want::kMatch, "expected", 0, false},
      {"rgb32fakealpha", Want::kMatch, "expected", 0, false},  // opaque: the spare byte is not alpha
      {"rgb32h52", Want::kMatch, "expected", 0, false},
      {"rgba16-1924", Want::kMatch, "expected", 0, true},
      {"rgba16-4444", Want::kMatch, "expected", 0, true},
      {"rgba16-5551", Want::kMatch, "expected", 1, true},
      {"rgba32-1", Want::kMatch, "expected", 0, true},
      {"rgba32-1010102", Want::kMatch, "expected", 1, true},
      {"rgba32-2", Want::kMatch, "expected", 0, true},
      {"rgba32-61754", Want::kMatch, "expected", 1, true},  // 17-bit green: the rendering rounds once more
      {"rgba32-81284", Want::kMatch, "expected", 1, true},
      {"rgba32abf", Want::kMatch, "expected", 0, true},
      {"rgba32h56", Want::kMatch, "expected", 0, true},
      {"rgba64", Want::kRefuse, "", 0, false},  // 16 bits per channel
  };
  return decisions;
}

std::vector<std::string> PicturesIn(const std::string& folder, const char* extension) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(kCorpus / folder, ec))
    if (entry.is_regular_file() && entry.path().extension() == extension)
      files.push_back(folder + "/" + entry.path().filename().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Stem(const std::string& file) { return fs::path(file).stem().string(); }

std::vector<CorpusCase> CorpusCases() {
  std::vector<CorpusCase> cases;
  if (!fs::is_directory(kCorpus)) return cases;
  for (const std::string& f : PicturesIn("bmpsuite/g", ".bmp"))
    cases.push_back(Case(f, Want::kMatch, "bmpsuite/expected/g/" + Stem(f) + ".ppm", Stem(f).starts_with("rgb16") ? 1 : 0));
  std::map<std::string, const Decision*> decided;
  for (const Decision& d : QuestionableDecisions()) decided[d.name] = &d;
  for (const std::string& f : PicturesIn("bmpsuite/q", ".bmp")) {
    const auto it = decided.find(Stem(f));
    if (it == decided.end()) {
      cases.push_back(Case(f, Want::kUndecided));
      continue;
    }
    const Decision& d = *it->second;
    CorpusCase c = Case(f, d.want);
    if (d.want == Want::kMatch) {
      c.reference = std::string("bmpsuite/") + d.reference + "/q/" + d.name + ".ppm";
      c.tolerance = d.tolerance;
      if (d.alpha) c.alpha = std::string("bmpsuite/expected/q/") + d.name + ".alpha.pgm";
    }
    cases.push_back(c);
  }
  for (const char* folder : {"bmpsuite/b", "bmpsuite/x"})
    for (const std::string& f : PicturesIn(folder, ".bmp")) cases.push_back(Case(f, Want::kRefuse));
  for (const std::string& f : PicturesIn("bmp-libjpeg-turbo", ".bmp"))
    cases.push_back(Case(f, Want::kMatch, "bmp-libjpeg-turbo/reference/" + Stem(f) + ".ppm"));
  for (const std::string& f : PicturesIn("jpeg/libjpeg-turbo", ".jpg")) {
    if (Stem(f) == "monkey12")
      cases.push_back(Case(f, Want::kRefuse, "", 0, "", "12"));  // 12-bit samples
    else
      cases.push_back(Case(f, Want::kMatch, "jpeg/reference/libjpeg-turbo/" + Stem(f) + ".ppm"));
  }
  for (const std::string& f : PicturesIn("jpeg/good", ".jpg")) {
    const bool ink = Stem(f) == "cmyk_adobe" || Stem(f) == "ycck_adobe";
    cases.push_back(Case(f, Want::kMatch, "jpeg/reference/good/" + Stem(f) + ".ppm", ink ? 1 : 0));
  }
  for (const std::string& f : PicturesIn("jpeg/bad", ".jpg")) {
    // The giant frames must meet the game's own limit before libjpeg allocates anything.
    const bool giant = Stem(f).starts_with("sof_65500x65500");
    cases.push_back(Case(f, Want::kRefuse, "", 0, "", giant ? "larger than the game loads" : ""));
  }
  for (const std::string& f : PicturesIn("jpeg/damaged", ".jpg")) cases.push_back(Case(f, Want::kRefuse));
  for (const std::string& f : PicturesIn("jpeg/silent", ".jpg")) cases.push_back(Case(f, Want::kSurvive));
  return cases;
}

struct Pnm {
  int width = 0, height = 0, channels = 0;
  std::vector<unsigned char> samples;
};

// P6 (colour) and P5 (grey) with 8-bit samples.
bool ReadPnm(const fs::path& path, Pnm& out) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  if (!(in >> magic) || (magic != "P6" && magic != "P5")) return false;
  auto number = [&in]() {
    int value = -1;
    for (;;) {
      const int c = in.peek();
      if (c == '#') {
        std::string comment;
        std::getline(in, comment);
      } else if (std::isspace(c)) {
        in.get();
      } else {
        break;
      }
    }
    in >> value;
    return value;
  };
  out.width = number();
  out.height = number();
  const int maximum = number();
  in.get();
  if (out.width <= 0 || out.height <= 0 || maximum != 255) return false;
  out.channels = magic == "P6" ? 3 : 1;
  out.samples.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) *
                     static_cast<std::size_t>(out.channels));
  in.read(reinterpret_cast<char*>(out.samples.data()), static_cast<std::streamsize>(out.samples.size()));
  return static_cast<std::size_t>(in.gcount()) == out.samples.size();
}

std::string TestName(const testing::TestParamInfo<CorpusCase>& info) {
  std::string name = info.param.file;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class PictureCorpus : public testing::TestWithParam<CorpusCase> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PictureCorpus);

TEST_P(PictureCorpus, LoadsOrRefusesAsDecided) {
  const CorpusCase& c = GetParam();
  ASSERT_NE(c.want, Want::kUndecided) << c.file << " has no decision in this test";
  const std::string path = (kCorpus / c.file).string();
  TBrixBitmap surface;
  std::string refusal;
  try {
    surface.LoadPicture(path);
  } catch (const PictureError& e) {
    refusal = e.what();
    EXPECT_EQ(refusal.rfind(path + ": ", 0), 0u) << "the message does not begin with the file: " << refusal;
    EXPECT_GT(refusal.size(), path.size() + 2) << "the message gives no reason";
  }

  switch (c.want) {
    case Want::kRefuse:
      EXPECT_FALSE(refusal.empty()) << c.file << " was loaded";
      EXPECT_NE(refusal.find(c.reason), std::string::npos) << refusal;
      EXPECT_EQ(surface.Width(), 0);
      return;
    case Want::kSurvive:
      if (refusal.empty()) {
        EXPECT_GT(surface.Width(), 0);
        EXPECT_EQ(surface.rows.Length(), surface.Height());
      }
      return;
    case Want::kMatch:
      break;
    case Want::kUndecided:
      return;
  }
  ASSERT_TRUE(refusal.empty()) << refusal;
  Pnm reference, alpha;
  ASSERT_TRUE(ReadPnm(kCorpus / c.reference, reference)) << c.reference;
  const bool masked = !c.alpha.empty();
  if (masked) {
    ASSERT_TRUE(ReadPnm(kCorpus / c.alpha, alpha)) << c.alpha;
  }
  ASSERT_EQ(surface.Width(), reference.width);
  ASSERT_EQ(surface.Height(), reference.height);
  ASSERT_EQ(surface.rows.Length(), reference.height);
  int worst = 0, failures = 0;
  for (int r = 0; r < reference.height; ++r)
    for (int col = 0; col < reference.width; ++col) {
      const std::size_t at = static_cast<std::size_t>(r) * static_cast<std::size_t>(reference.width) +
                             static_cast<std::size_t>(col);
      if (masked && alpha.samples[at] == 0) continue;  // fully transparent: its colour is undefined
      const ColorTriple got = surface.rows[r][col];
      const unsigned char* want = &reference.samples[at * 3];
      const int diff = std::max({std::abs(got.red - want[0]), std::abs(got.green - want[1]),
                                 std::abs(got.blue - want[2])});
      worst = std::max(worst, diff);
      if (diff > c.tolerance && ++failures <= 3)
        ADD_FAILURE() << c.file << " row " << r << " column " << col << ": got " << int(got.red) << ","
                      << int(got.green) << "," << int(got.blue) << ", want " << int(want[0]) << ","
                      << int(want[1]) << "," << int(want[2]);
    }
  EXPECT_LE(worst, c.tolerance) << failures << " pixels off";
}

INSTANTIATE_TEST_SUITE_P(Corpus, PictureCorpus, testing::ValuesIn(CorpusCases()), TestName);

TEST(PictureCorpusDecisions, NameOnlyFilesThatExist) {
  if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "no picture corpus at " << kCorpus;
  std::set<std::string> present;
  for (const std::string& f : PicturesIn("bmpsuite/q", ".bmp")) present.insert(Stem(f));
  ASSERT_FALSE(present.empty());
  for (const Decision& d : QuestionableDecisions()) EXPECT_TRUE(present.count(d.name)) << d.name;
}

}  // namespace
}  // namespace vexa
