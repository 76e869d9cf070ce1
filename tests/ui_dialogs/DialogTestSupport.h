// Helpers shared by the window and dialog tests: a widget found by its objectName, and a
// program folder in a temporary directory with its settings file.
#pragma once

#include "platform/ProgramFolder.h"
#include "settings/Localisation.h"

#include <QObject>
#include <QTemporaryDir>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace lw::test {

// The child of that objectName; a missing one ends the run, naming it.
template <class T = QWidget>
T* child(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

class ProgramPlace : public ProgramFolder {
public:
    std::filesystem::path path() override;
    void writeSettings(const std::string& content);
    // The settings file's bytes, or nothing when there is no file.
    std::optional<std::string> settingsContent();
    // A lookup over this folder's settings file, as at a program start.
    std::unique_ptr<Localisation> localisation(const std::string& commandLine = {});

private:
    QTemporaryDir m_dir;
};

} // namespace lw::test
