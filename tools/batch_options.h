// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// quibran-batch's options: read over the built-in defaults and checked as the
// Start button checks the fields.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "settings/job_request.h"

namespace quibran {

struct Options {
  JobRequest request;
  std::optional<std::string> device;
  bool quiet = false;
  bool to_stdout = false;
  bool endless = false;  // --stdout --count 0
};

struct BadInput {
  std::string message;
};

// Reads the options over the built-in defaults; returns the text to print
// instead of running when --help or --version was asked for. Throws BadInput
// when the options are refused.
std::variant<Options, std::string> ParseOptions(const std::vector<std::string>& args);

}  // namespace quibran
