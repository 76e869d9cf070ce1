#include "DialogTestSupport.h"

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

std::string ProgramPlace::settings() {
    std::ifstream in(settingsFilePath(path()), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace lw::test
