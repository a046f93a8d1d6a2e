// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/bitmap_picture.h"

#include <memory>
#include <utility>

#include "platform/runtime_error.h"
#include "random/hardware_device.h"
#include "random/random_sources.h"

namespace quibran {

namespace {

// The black-and-white mode's colours, from the platform generator.
struct MonochromeColour {
  PlatformRnd& rnd;
  uint32_t operator()() { return static_cast<double>(rnd.Rnd()) * kColourScale > 8388607.0 ? kWhite : 0; }
};

}  // namespace

BitmapDrawing::BitmapDrawing(RandomSources& sources, BitmapRequest request, bool& stop_requested)
    : sources_(sources), request_(std::move(request)), stop_requested_(stop_requested) {}

int BitmapDrawing::Draw(uint32_t* pixels, std::ptrdiff_t stride, const std::function<void(int)>& after_column) {
  int x = 0;  // the columns complete
  std::unique_ptr<RandomDevice> device;
  try {
    if (request_.DeviceIndex == kSourceHardware) {
      device = request_.device_factory();
      device->Open();
    }
    if (request_.seed) {
      sources_.SeedSource(kSourceRnd, *request_.seed);
    } else {
      sources_.SeedSource(kSourceRnd);  // Randomize, as a source-1 job seeds
    }
    const auto columns = [&](auto colour) {
      while (x < request_.width) {
        uint32_t* pixel = pixels + x;
        for (int y = 0; y < request_.height; ++y, pixel += stride) *pixel = PixelOf(colour());
        after_column(x++);
        if (stop_requested_) {
          stop_requested_ = false;
          break;
        }
      }
    };
    // Colour (24 bits) is ColourOf(x) of the source's unit value; source 3
    // sends the next draw to Wichmann-Hill after an odd colour, and source 4
    // multiplies the device's GetRandomDouble in double precision.
    if (request_.booMonochrome) {
      columns(MonochromeColour{sources_.rnd});
    } else if (device) {
      try {
        columns([&] { return ColourOf(device->GetRandomDouble()); });
      } catch (const WaitStopped&) {
        // A stop while the device was awaited ends the drawing as after a column.
        stop_requested_ = false;
      }
    } else {
      sources_.WithDrawer<kNumColor>(request_.DeviceIndex, columns);
    }
    if (device) device->Close();
  } catch (const RuntimeError& error) {
    if (request_.DeviceIndex != kSourceHardware) throw;
    throw DrawFailure(error, static_cast<std::size_t>(x) * static_cast<std::size_t>(request_.height));
  }
  return x;
}

}  // namespace quibran
