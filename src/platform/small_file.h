// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small whole files (the defaults file) and the folders around them. Every
// failure is a RuntimeError with the runtime's number for it.

#include <cstddef>
#include <string>
#include <string_view>

namespace quibran {

// The first `limit` bytes of the file (all of a shorter one). The limit keeps
// a huge file or an endless device from holding the program up.
std::string ReadFileStart(const std::string& path, std::size_t limit);

// Gives the file the content `bytes` in one step: they go to a new file in
// the same folder, which is flushed to the disk and then renamed over the
// old one. A crash or a full disk therefore leaves either the old file or
// the new one, never a part; after a failure the old file is as it was and
// the new one is gone. An existing file keeps its permissions.
void ReplaceFile(const std::string& path, std::string_view bytes);

// True when the path names a folder (or a link to one).
bool DirExists(const std::string& path);
// Creates one folder; its parent must exist.
void MakeDir(const std::string& path);

}  // namespace quibran
