#include "DialogTestSupport.h"

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramFolder.h"

#include <QFile>

namespace lw::test {

DriveInfo drive(const std::string& text, DriveType type, const std::string& label) {
    DriveInfo info;
    info.text = text;
    info.root = pathFromUtf8(cardRootOf(text));
    info.type = type;
    info.label = label;
    return info;
}

std::vector<DriveInfo> windowsDrives() {
    return {drive("c:", DriveType::Fixed, "SYSTEM"), drive("a:", DriveType::Removable),
            drive("e:", DriveType::Removable, "SDCARD"), drive("d:", DriveType::CdRom)};
}

std::filesystem::path ProgramPlace::folder() const {
    return pathFromUtf8(m_dir.path().toStdString());
}

void ProgramPlace::writeSettings(const std::string& content) const {
    QFile file(QString::fromStdString(pathToUtf8(settingsFilePath(folder()))));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content.data(), static_cast<qint64>(content.size()));
}

std::optional<std::string> ProgramPlace::settingsContent() const {
    QFile file(QString::fromStdString(pathToUtf8(settingsFilePath(folder()))));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll().toStdString();
}

std::unique_ptr<Localisation> ProgramPlace::localisation(const std::string& commandLine) const {
    return std::make_unique<Localisation>(realFileSystem(), settingsFilePath(folder()), commandLine);
}

std::string settingsLine(const std::string& language, const std::string& drive, const std::string& reserved) {
    return "\"" + language + "\",\"" + drive + "\",\"" + reserved + "\"\r\n";
}

} // namespace lw::test
