// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bitmap window's persistent image (`SavePicture`'s picture): a 32-bit
// QImage of 0xFFRRGGBB words that the drawing writes into, the window paints
// from and a save writes out. It needs Qt's image classes only, no display,
// so quibran-batch keeps its pictures in one too.

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quibran {

class Picture {
 public:
  // Every pixel starts as `background` (0xFFRRGGBB).
  Picture(int width, int height, QRgb background);

  // Pixel (x, y) is pixels()[y * stride() + x].
  uint32_t* pixels() { return reinterpret_cast<uint32_t*>(image_.bits()); }
  std::ptrdiff_t stride() const { return image_.bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(uint32_t)); }
  const QImage& image() const { return image_; }

  // Writes the whole picture to `path` as an uncompressed 24-bit Windows
  // bitmap, every pixel its exact colour, in place of a file of the name; a
  // secret picture is its owner's alone (OutputFile). Failures are
  // RuntimeErrors with the runtime's numbers, and leave no file of their own.
  void Save(const std::string& path, bool secret) const;

 private:
  QImage image_;
};

}  // namespace quibran
