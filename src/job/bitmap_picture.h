// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bitmap picture: W x H pixels, each one draw of a 24-bit colour from the
// job's source, made column by column from left to right, each column from
// top to bottom. The bitmap window shows it growing and yields after every
// column; quibran-batch draws the same picture without a window. Both keep the
// pixels in a 32-bit image (0xFFRRGGBB words, row after row) and hand it here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "random/hardware_device.h"

namespace quibran {

class RandomSources;

inline constexpr uint32_t kWhite = 0xFFFFFF;

// The image word of colour c, whose low byte is red, the next green and the
// next blue.
constexpr uint32_t PixelOf(uint32_t colour) {
  return 0xFF000000u | (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

// What the bitmap writer hands to its observer, which draws the picture.
struct BitmapRequest {
  int16_t DeviceIndex = 0;  // the source, 0 to 5
  int16_t width = 0;        // W, from CSVcolumnsX
  int16_t height = 0;       // H, from NumOfNums
  // The window's black-and-white mode, from MonochromeOn: each pixel white
  // when the platform generator's next value x 16777215 exceeds 8388607,
  // else black, one platform draw per pixel whatever the source.
  bool booMonochrome = false;
  // When set, the platform generator is reseeded from this number instead of
  // the clock before the drawing (quibran-batch --seed).
  std::optional<int32_t> seed;
  std::string OutputFileName;  // where a save writes the picture
  // Source 4: makes the window's own device object.
  DeviceFactory device_factory = [] { return CreateDeviceObject(); };
};

class BitmapDrawing {
 public:
  // `stop_requested` is the stop flag of the job's observer (StopRequested),
  // which the main window's Stop raises too.
  BitmapDrawing(RandomSources& sources, BitmapRequest request, bool& stop_requested);

  const BitmapRequest& request() const { return request_; }

  // The bitmap window's Stop: the drawing ends after the column being drawn.
  void RequestStop() { stop_requested_ = true; }

  // For source 4 makes its own device object and opens it; reseeds the
  // platform generator (for every source), then sets pixel (x, y) at
  // pixels[y * stride + x] for each column x, calling after_column(x) once
  // the column is complete. A stop request seen after a column, or while
  // the device object waits for its device, is cleared and ends the drawing
  // (a column cut short keeps the pixels drawn). Then closes the device
  // object. Returns the number of columns drawn. A failure of the device
  // object ends the drawing as a DrawFailure (with the pixels of the columns
  // complete before it), the object released without Close.
  int Draw(uint32_t* pixels, std::ptrdiff_t stride, const std::function<void(int)>& after_column);

 private:
  RandomSources& sources_;
  BitmapRequest request_;
  bool& stop_requested_;
};

}  // namespace quibran
