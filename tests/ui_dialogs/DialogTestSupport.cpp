#include "DialogTestSupport.h"

#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <fstream>
#include <iterator>

namespace lw::test {

std::filesystem::path ProgramPlace::path() {
    return pathFromUtf8(m_dir.path().toStdString());
}

void ProgramPlace::writeSettings(const std::string& content) {
    std::ofstream(settingsFilePath(path()), std::ios::binary) << content;
}

std::optional<std::string> ProgramPlace::settingsContent() {
    std::ifstream in(settingsFilePath(path()), std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<Localisation> ProgramPlace::localisation(const std::string& commandLine) {
    return std::make_unique<Localisation>(realFileSystem(), settingsFilePath(path()), commandLine);
}

} // namespace lw::test
