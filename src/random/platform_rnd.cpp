#include "random/platform_rnd.h"

#include <bit>

#include "platform/clock.h"

namespace quibran {

void PlatformRnd::Randomize(const Clock& clock) {
  // The bit pattern of the single-precision time folds into 16 bits that
  // replace the middle and top bytes of the state.
  const uint32_t bits = std::bit_cast<uint32_t>(clock.SecondsSinceMidnight());
  const uint32_t mixed = (bits ^ (bits >> 16)) & 0xFFFFu;
  state_ = ((mixed << 8) | (state_ & 0xFFu)) & kModulusMask;
}

}  // namespace quibran
