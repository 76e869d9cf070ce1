// Doubles and small tools for the dialog tests: the drives of a Windows machine, and a
// program folder in a temporary directory with its settings file.
#pragma once

#include "settings/Localisation.h"
#include "support/FakeDrives.h"

#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lw::test {

DriveInfo drive(const std::string& text, DriveType type, const std::string& label = {});

// The system disk first, then the floppy drive A:, a card reader E: and an optical drive D:.
std::vector<DriveInfo> windowsDrives();

class ProgramPlace {
public:
    std::filesystem::path folder() const;
    QString folderText() const { return m_dir.path(); }
    void writeSettings(const std::string& content) const;
    // The settings file's bytes, or nothing when there is no file.
    std::optional<std::string> settingsContent() const;
    // A lookup over this folder's settings file, as at a program start.
    std::unique_ptr<Localisation> localisation(const std::string& commandLine = {}) const;

private:
    QTemporaryDir m_dir;
};

// The settings file's line for three fields.
std::string settingsLine(const std::string& language, const std::string& drive,
                         const std::string& reserved = {});

template <class T>
T* child(const QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

inline QString msg(Localisation& localisation, int number) {
    const std::string_view text = localisation.text(number);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace lw::test
