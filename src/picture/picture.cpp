// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/picture.h"

#include <QIODevice>
#include <QImageWriter>
#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/output_file.h"
#include "platform/runtime_error.h"

namespace quibran {

namespace {

// 96 dots per inch, so that the file does not depend on the screen (a new
// image takes the screen's resolution, or 100 dots per inch without one).
constexpr int kDotsPerMeter = 3780;

// Hands the image writer's bytes to an output file, which reports failures
// by the runtime's numbers. A failure cannot pass through Qt's writer as an
// exception, so the device keeps it and refuses the write.
class OutputFileDevice final : public QIODevice {
 public:
  explicit OutputFileDevice(OutputFile& file) : file_(file) { open(QIODevice::WriteOnly); }
  bool isSequential() const override { return true; }
  const std::optional<RuntimeError>& failure() const { return failure_; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    try {
      for (qint64 left = size; left > 0;) {
        const std::size_t take = std::min(static_cast<std::size_t>(left), OutputFile::kBufferSize);
        char* const out = file_.Reserve(take);
        std::memcpy(out, data, take);
        file_.Commit(out + take);
        data += take;
        left -= static_cast<qint64>(take);
      }
      return size;
    } catch (const RuntimeError& error) {
      failure_ = error;
      return -1;
    }
  }

 private:
  OutputFile& file_;
  std::optional<RuntimeError> failure_;
};

}  // namespace

Picture::Picture(int width, int height, QRgb background) : image_(width, height, QImage::Format_RGB32) {
  image_.setDotsPerMeterX(kDotsPerMeter);
  image_.setDotsPerMeterY(kDotsPerMeter);
  image_.fill(background);
}

// Qt's BMP writer writes a 32-bit image as an uncompressed (BI_RGB) 24-bit
// bitmap, bottom row first, each pixel's blue, green and red bytes exactly as
// the image holds them, so its own writer does the whole job.
void Picture::Save(const std::string& path, bool secret) const {
  OutputFile file(path, secret);
  OutputFileDevice device(file);
  QImageWriter writer(&device, "bmp");
  if (!writer.write(image_)) {
    if (device.failure()) throw *device.failure();
    throw RuntimeError(kErrPathFileAccess, writer.errorString().toStdString());
  }
  file.Close();
}

}  // namespace quibran
