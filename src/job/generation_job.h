#pragma once
// The generation job behind the Start button: checks, file naming, the file
// loop with its progress and stop polling, and the common ending.

#include <cstdint>
#include <string>

#include "job/job_host.h"
#include "job/job_settings.h"
#include "random/random_sources.h"

namespace quibran {

class GenerationJob {
 public:
  GenerationJob(JobSettings& settings, RandomSources& sources, JobHost& host);

  // Runs one whole job (the Start button's click); returns when it has ended.
  void Run();
  // Asks a running job to stop at its next poll (the Stop button's click).
  void RequestStop();
  bool running() const;
};

// folder & stem & the last four digits of "0000" & (sequence - 1) & extension.
std::string BuildOutputFileName(const std::string& folder, const std::string& stem, int16_t sequence,
                                const std::string& extension);

}  // namespace quibran
