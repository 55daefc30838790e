#pragma once
// The file-system steps of start-up: the program's own directory, whether a
// file exists, writing a whole file, and the hidden attribute. Plain functions,
// safe on any thread; failures answer false or an empty path, never throw.

#include <filesystem>
#include <string_view>

namespace vellox::platform {

// The directory that holds the running executable; empty when it cannot be read.
std::filesystem::path ProgramDirectory();

bool FileExists(const std::filesystem::path& path);

// Creates (or truncates) `path` and writes `bytes`; false when the file cannot be
// written completely, in which case no partial file is left behind.
bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

// Marks the file hidden and nothing else where the file system keeps such an
// attribute. Linux file systems have none: there this does nothing and answers
// false.
bool SetFileHidden(const std::filesystem::path& path);

}  // namespace vellox::platform
