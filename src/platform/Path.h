// Paths inside the core are std::filesystem::path; texts shown to people and read
// from the command line or settings are UTF-8. These helpers convert between the two
// without going through the system's narrow code page (which on Windows is not UTF-8).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lw {

std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// The system's folder separator as text: "\" on Windows, "/" elsewhere.
std::string_view nativeSeparator();

// The text with exactly one trailing separator added unless it already ends in one:
// "C:\Songs" -> "C:\Songs\", "C:\" -> "C:\", "/home/u/kn" -> "/home/u/kn/".
std::string withTrailingSeparator(std::string text);

// Shows a card-relative or program path in the system's own notation: on systems whose
// separator is "/", every "\" becomes "/". Used only for texts shown to people.
std::string displayPath(std::string_view text);

} // namespace lw
