// Liedwerk's window program: builds the context over the real computer, then runs the
// start-up: the language dialog (asked only when no usable language is saved), the about
// window for two seconds, then the main window. A folder named on the command line ("Open
// with", the desktop entry's %f) is opened as a backup once the main window shows. --help
// prints the usage and where the help files and the settings are, without a window.
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramFolder.h"
#include "settings/Localisation.h"
#include "ui/AppContext.h"
#include "ui/Hauptform.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowUsage.h"
#include "ui/dialogs/Help.h"
#include "ui/dialogs/StartupChain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Where this installation's window would read its help files and its settings, as found now.
void printUsage() {
    std::string text = lw::ui::windowUsage() + "\nhelp files:\n";
    lw::ProgramFolder& programFolder = lw::realProgramFolder();
    const QStringList folders = lw::ui::helpFolders(programFolder.path(), lw::executableFolder());
    for (const char* languageId : {"1", "2"}) {
        const QString path = lw::ui::locateHelpFile(*lw::ui::helpFileName(languageId), folders);
        text += "  " + path.toStdString() + (QFileInfo(path).isFile() ? "\n" : "  (missing)\n");
    }
    text += "settings file:\n  " + lw::pathToUtf8(lw::settingsFilePath(programFolder.path())) + "\n";
    std::fputs(text.c_str(), stdout);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printUsage();
            return 0;
        }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Liedwerk"));

    // The command line without the program's name, as one text, for the key "LNGID=".
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    const std::string commandLine = arguments.join(QChar(u' ')).toStdString();
    QString folderToOpen;
    for (const QString& argument : arguments)
        if (!argument.startsWith(QStringLiteral("LNGID=")) && QFileInfo(argument).isDir()) {
            folderToOpen = argument;
            break;
        }

    lw::FileSystem& fs = lw::realFileSystem();
    lw::ProgramFolder& programFolder = lw::realProgramFolder();
    lw::Localisation localisation(fs, lw::settingsFilePath(programFolder.path()), commandLine);
    lw::ui::QtMessageBoxes messageBoxes;
#ifdef _WIN32
    const std::filesystem::path home; // Windows offers its drive letters only
#else
    const std::filesystem::path home = lw::pathFromUtf8(QDir::homePath().toStdString());
#endif
    lw::ui::AppContext context{fs, lw::realDrives(), programFolder, localisation, messageBoxes, home};

    std::unique_ptr<lw::ui::Hauptform> window;
    lw::ui::StartupChain startup(localisation, [&] {
        window = std::make_unique<lw::ui::Hauptform>(context);
        window->show();
        if (!folderToOpen.isEmpty())
            QTimer::singleShot(0, window.get(), [w = window.get(), folderToOpen] {
                w->openBackupFolder(QDir(folderToOpen).absolutePath());
            });
    });
    startup.start();
    return app.exec();
}
