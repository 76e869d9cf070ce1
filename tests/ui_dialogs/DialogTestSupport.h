// Shared by the window and dialog tests: a child found by its objectName, and a program
// folder in a temporary directory with its settings file and a language lookup over it.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramFolder.h"
#include "settings/Localisation.h"

#include <QTemporaryDir>
#include <QWidget>

#include <fstream>
#include <iterator>

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
    QTemporaryDir m_dir;

public:
    std::filesystem::path path() override { return pathFromUtf8(m_dir.path().toStdString()); }
    void writeSettings(const std::string& content) {
        std::ofstream(settingsFilePath(path()), std::ios::binary) << content;
    }
    std::string settings() { // the settings file's bytes; empty when there is none
        std::ifstream in(settingsFilePath(path()), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    Localisation localisation{realFileSystem(), settingsFilePath(path()), {}};
};

} // namespace lw::test
