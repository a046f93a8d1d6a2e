#include "job/bitmap_picture.h"

#include <utility>

#include "random/random_sources.h"

namespace quibran {

namespace {

// The black-and-white mode's colours, from the platform generator.
struct MonochromeColour {
  PlatformRnd& rnd;
  uint32_t operator()() { return static_cast<double>(rnd.Rnd()) * 16777215.0 > 8388607.0 ? kWhite : 0; }
};

}  // namespace

BitmapDrawing::BitmapDrawing(RandomSources& sources, BitmapRequest request, bool& stop_requested)
    : sources_(sources), request_(std::move(request)), stop_requested_(stop_requested) {}

int BitmapDrawing::Draw(uint32_t* pixels, std::ptrdiff_t stride, const std::function<void(int)>& after_column) {
  if (request_.seed) {
    sources_.SeedSource(kSourceRnd, *request_.seed);
  } else {
    sources_.SeedSource(kSourceRnd);  // Randomize, as a source-1 job seeds
  }
  const auto columns = [&](auto colour) {
    int x = 0;
    while (x < request_.width) {
      uint32_t* pixel = pixels + x;
      for (int y = 0; y < request_.height; ++y, pixel += stride) *pixel = PixelOf(colour());
      after_column(x++);
      if (stop_requested_) {
        stop_requested_ = false;
        break;
      }
    }
    return x;
  };
  if (request_.booMonochrome) return columns(MonochromeColour{sources_.rnd});
  // Colour (24 bits) is Round(x × 16777215), halves to even; source 3 sends
  // the next draw to Wichmann-Hill after an odd colour. Source 4 draws from the
  // window's own device object (GetRandomDouble × 16777215 in double), which
  // comes with the device layer; until then WithDrawer refuses it, and the job
  // never gets this far for it.
  return sources_.WithDrawer<kNumColor>(request_.DeviceIndex, columns);
}

}  // namespace quibran
