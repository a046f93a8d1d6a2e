#include "random/platform_rnd.h"

#include "platform/clock.h"

namespace quibran {

void PlatformRnd::Randomize(const Clock& clock) { Seed(clock.TimerNanoseconds()); }

}  // namespace quibran
