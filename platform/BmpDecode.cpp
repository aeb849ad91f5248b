#include "platform/BmpDecode.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "lib/BmpFormat.h"
#include "lib/PictureError.h"

namespace vexa {

namespace {

// The restated headers followed by the file's own pixel data, read as one stream without
// copying the pixels.
struct JoinedStream {
  std::span<const std::uint8_t> head;
  std::span<const std::uint8_t> body;
  std::int64_t position = 0;
  std::int64_t Size() const { return static_cast<std::int64_t>(head.size() + body.size()); }
};

JoinedStream& StreamOf(SDL_RWops* rw) { return *static_cast<JoinedStream*>(rw->hidden.unknown.data1); }

Sint64 SDLCALL StreamSize(SDL_RWops* rw) { return StreamOf(rw).Size(); }

Sint64 SDLCALL StreamSeek(SDL_RWops* rw, Sint64 offset, int whence) {
  JoinedStream& s = StreamOf(rw);
  const std::int64_t base = whence == RW_SEEK_SET ? 0 : whence == RW_SEEK_CUR ? s.position : s.Size();
  const std::int64_t target = base + offset;
  if (target < 0 || target > s.Size()) return SDL_SetError("seek outside the picture");
  s.position = target;
  return target;
}

size_t SDLCALL StreamRead(SDL_RWops* rw, void* out, size_t size, size_t count) {
  JoinedStream& s = StreamOf(rw);
  if (size == 0 || count == 0) return 0;
  const auto left = static_cast<std::size_t>(s.Size() - s.position);
  const std::size_t items = std::min(count, left / size);
  std::size_t bytes = items * size;
  auto* dst = static_cast<std::uint8_t*>(out);
  while (bytes > 0) {
    const auto at = static_cast<std::size_t>(s.position);
    const bool inHead = at < s.head.size();
    const std::span<const std::uint8_t> part = inHead ? s.head.subspan(at) : s.body.subspan(at - s.head.size());
    const std::size_t n = std::min(bytes, part.size());
    std::memcpy(dst, part.data(), n);
    dst += n;
    bytes -= n;
    s.position += static_cast<std::int64_t>(n);
  }
  return items;
}

size_t SDLCALL StreamWrite(SDL_RWops*, const void*, size_t, size_t) { return 0; }
int SDLCALL StreamClose(SDL_RWops*) { return 0; }

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
struct RwFree {
  void operator()(SDL_RWops* rw) const { SDL_FreeRW(rw); }
};

}  // namespace

Picture24 DecodeBmp(std::span<const std::uint8_t> file, const std::string& name) {
  const BmpPlan plan = PlanBmp(file, name);
  JoinedStream stream{plan.header, file.subspan(plan.dataOffset, plan.dataSize)};
  const std::unique_ptr<SDL_RWops, RwFree> rw(SDL_AllocRW());
  if (!rw) throw PictureError(name + ": out of memory");
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->size = StreamSize;
  rw->seek = StreamSeek;
  rw->read = StreamRead;
  rw->write = StreamWrite;
  rw->close = StreamClose;
  rw->hidden.unknown.data1 = &stream;

  const std::unique_ptr<SDL_Surface, SurfaceFree> surface(SDL_LoadBMP_RW(rw.get(), 0));
  if (!surface) throw PictureError(name + ": " + SDL_GetError());
  const int bytesPerPixel = plan.bitCount <= 8 ? 1 : plan.bitCount / 8;
  if (surface->w != plan.width || surface->h != plan.height || surface->format->BytesPerPixel != bytesPerPixel)
    throw PictureError(name + ": the BMP reader made a " + std::to_string(surface->w) + " x " +
                       std::to_string(surface->h) + " picture of " + SDL_GetPixelFormatName(surface->format->format) +
                       ", not what the header says");

  Picture24 picture;
  picture.width = plan.width;
  picture.height = plan.height;
  picture.pixels.resize(static_cast<std::size_t>(plan.width) * static_cast<std::size_t>(plan.height));
  if (SDL_MUSTLOCK(surface.get()) && SDL_LockSurface(surface.get()) != 0)
    throw PictureError(name + ": " + SDL_GetError());
  bool ok = true;
  const auto* rows = static_cast<const std::uint8_t*>(surface->pixels);
  for (std::int32_t r = 0; ok && r < plan.height; ++r)
    ok = ConvertBmpRow(plan, rows + static_cast<std::ptrdiff_t>(r) * surface->pitch,
                       picture.pixels.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(plan.width));
  if (SDL_MUSTLOCK(surface.get())) SDL_UnlockSurface(surface.get());
  if (!ok) throw PictureError(name + ": a pixel names a colour outside the palette");
  return picture;
}

}  // namespace vexa
