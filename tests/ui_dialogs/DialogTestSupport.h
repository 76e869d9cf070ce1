// Doubles and small tools for the dialog tests: a drive list of our own making, and a
// program folder in a temporary directory with its settings file.
#pragma once

#include "platform/Drives.h"
#include "settings/Localisation.h"

#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>
#include "support/FakeDrives.h"

#include <string>
#include <vector>

namespace lw::test {

DriveInfo drive(const std::string& text, DriveType type, const std::string& label = {});

// The drives of a Windows machine: the system disk first, then the floppy drive A:, a
// card reader E: and an optical drive D:.
std::vector<DriveInfo> windowsDrives();

// A program folder in a temporary directory, with its settings file "Liedwerk.ini".
class ProgramPlace {
public:
    ProgramPlace();
    std::filesystem::path folder() const;
    std::filesystem::path settingsFile() const;
    QString folderText() const { return m_dir.path(); }

    void writeSettings(const std::string& content) const;
    // The file's bytes, or nothing when there is no file.
    std::optional<std::string> settingsContent() const;

    // A lookup over this folder's settings file, as at a program start.
    std::unique_ptr<Localisation> localisation(const std::string& commandLine = {}) const;

private:
    QTemporaryDir m_dir;
};

// The settings file's line for three fields.
std::string settingsLine(const std::string& language, const std::string& drive,
                         const std::string& reserved = {});

// The child widget of a type and name; fails the test (returns nullptr) when it is missing.
template <class T>
T* child(const QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// The message text as a QString.
QString msg(Localisation& localisation, int number);

} // namespace lw::test
