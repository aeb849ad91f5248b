// JPEG pictures through libjpeg (the desktop build; the browser edition refuses them).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <memory>

#include "lib/BmpFormat.h"
#include "lib/BrixBmp.h"
#include "lib/PictureError.h"

namespace vexa {

namespace {

// Decoder working memory; a progressive picture at the pixel limit needs about 200 MB.
constexpr long kMaxJpegWorkBytes = 512L << 20;

std::string SystemReason() { return std::strerror(errno); }

// ---- JPEG -----------------------------------------------------------------------------
// libjpeg reports errors by calling back; the callbacks jump back to DecodeJpeg's setjmp so
// that no C++ exception ever crosses libjpeg's C frames. Warnings count as errors, so a
// damaged file is refused instead of shown with grey or garbage blocks.

struct JpegErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegFail(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void JpegMessage(j_common_ptr info, int level) {
  if (level < 0) JpegFail(info);  // a warning: corrupt data that libjpeg would paper over
}

struct JpegJob {
  jpeg_decompress_struct info;
  JpegErrors errors;
  std::FILE* file = nullptr;
  std::vector<ColorTriple>* pixels = nullptr;
  std::uint8_t* cmykRow = nullptr;  // malloc'ed, freed by the caller
  std::int32_t width = 0;
  std::int32_t height = 0;
  char refusal[160] = {};  // a refusal of our own, when libjpeg had no complaint
};

// Plain C-style code only from the setjmp on: nothing here owns a C++ resource, so a jump
// back from libjpeg skips no destructor. Returns false with errors.message or job.refusal.
// The parts below may be left by libjpeg's error jump back into RunJpeg, so they hold no
// object that needs its destructor run.

bool Refused(JpegJob& job, const char* why) {
  std::snprintf(job.refusal, sizeof job.refusal, "%s", why);
  return false;
}

bool CheckJpegSize(JpegJob& job) {
  const std::int64_t w = job.info.image_width;
  const std::int64_t h = job.info.image_height;
  if (w > kMaxPictureSide || h > kMaxPictureSide || w * h > kMaxPicturePixels) {
    std::snprintf(job.refusal, sizeof job.refusal,
                  "the picture is %lld x %lld, larger than the game loads (at most %lld a side, %lld pixels)",
                  static_cast<long long>(w), static_cast<long long>(h), static_cast<long long>(kMaxPictureSide),
                  static_cast<long long>(kMaxPicturePixels));
    return false;
  }
  if (job.info.data_precision != 8) {
    std::snprintf(job.refusal, sizeof job.refusal, "%d-bit JPEG samples are not supported", job.info.data_precision);
    return false;
  }
  return true;
}

// Sets the colour space the rows come out in; `cmyk` when they need converting here.
bool ChooseColourSpace(JpegJob& job, bool& cmyk) {
  cmyk = false;
  switch (job.info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      job.info.out_color_space = JCS_EXT_BGR;  // straight into the surface's blue, green, red
      return true;
    case JCS_CMYK:
    case JCS_YCCK:
      job.info.out_color_space = JCS_CMYK;
      cmyk = true;
      return true;
    default:
      std::snprintf(job.refusal, sizeof job.refusal, "unsupported JPEG colour space with %d components",
                    job.info.num_components);
      return false;
  }
}

bool MakeRoom(JpegJob& job, bool cmyk) {
  const std::size_t w = job.info.image_width;
  const std::size_t h = job.info.image_height;
  job.width = static_cast<std::int32_t>(w);
  job.height = static_cast<std::int32_t>(h);
  try {
    job.pixels->resize(w * h);
  } catch (...) {
    return Refused(job, "out of memory for the picture");
  }
  if (cmyk) {
    job.cmykRow = static_cast<std::uint8_t*>(std::malloc(w * 4));
    if (job.cmykRow == nullptr) return Refused(job, "out of memory for the picture");
  }
  return true;
}

bool ReadJpegRows(JpegJob& job, bool cmyk) {
  jpeg_decompress_struct& info = job.info;
  const std::int64_t w = info.image_width;
  while (info.output_scanline < info.output_height) {
    ColorTriple* row = job.pixels->data() + static_cast<std::size_t>(info.output_scanline) * static_cast<std::size_t>(w);
    JSAMPROW target = cmyk ? job.cmykRow : reinterpret_cast<JSAMPROW>(row);
    if (jpeg_read_scanlines(&info, &target, 1) != 1) return Refused(job, "the decoder stopped early");
    if (!cmyk) continue;
    // Adobe stores CMYK inverted; each channel times black, rounded to nearest.
    const std::uint8_t* s = job.cmykRow;
    for (std::int64_t c = 0; c < w; ++c, s += 4) {
      const unsigned k = s[3];
      row[c].red = static_cast<std::uint8_t>((2u * s[0] * k + 255u) / 510u);
      row[c].green = static_cast<std::uint8_t>((2u * s[1] * k + 255u) / 510u);
      row[c].blue = static_cast<std::uint8_t>((2u * s[2] * k + 255u) / 510u);
    }
  }
  return true;
}

bool RunJpeg(JpegJob& job) {
  jpeg_decompress_struct& info = job.info;
  info.err = jpeg_std_error(&job.errors.pub);
  job.errors.pub.error_exit = JpegFail;
  job.errors.pub.emit_message = JpegMessage;
  if (setjmp(job.errors.jump) != 0) return false;
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxJpegWorkBytes;
  jpeg_stdio_src(&info, job.file);
  jpeg_read_header(&info, TRUE);
  bool cmyk = false;
  if (!CheckJpegSize(job) || !ChooseColourSpace(job, cmyk)) return false;
  jpeg_start_decompress(&info);
  if (info.output_width != info.image_width || info.output_height != info.image_height ||
      info.output_components != (cmyk ? 4 : 3))
    return Refused(job, "the decoder changed the picture's shape");
  if (!MakeRoom(job, cmyk) || !ReadJpegRows(job, cmyk)) return false;
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

void TBrixBitmap::LoadJpeg(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // as in ReadWholeFile
  std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "rb");
  if (file == nullptr) {
    const std::string reason = SystemReason();
    if (fd >= 0) ::close(fd);
    throw PictureError(path + ": cannot open the picture (" + reason + ")");
  }
  struct stat fileInfo {};
  if (::fstat(::fileno(file), &fileInfo) != 0 || !S_ISREG(fileInfo.st_mode)) {
    std::fclose(file);
    throw PictureError(path + ": not a picture file (not a regular file)");
  }
  std::vector<ColorTriple> pixels;
  auto job = std::make_unique<JpegJob>();
  std::memset(&job->info, 0, sizeof job->info);
  job->file = file;
  job->pixels = &pixels;
  const bool ok = RunJpeg(*job);
  jpeg_destroy_decompress(&job->info);
  std::free(job->cmykRow);
  std::fclose(file);
  if (!ok) {
    const char* why = job->refusal[0] != '\0' ? job->refusal : job->errors.message;
    throw PictureError(path + ": cannot decode the JPEG picture (" + why + ")");
  }
  width_ = job->width;
  height_ = job->height;
  pixels_ = std::move(pixels);
  // The old row addresses point into freed storage; an empty table fails its range check
  // instead of reading it, until LoadPicture rebuilds the rows.
  rows.Assign(nullptr, 0, 0);
  inkKnown_ = false;
  ++writes_;
}

}  // namespace vexa
