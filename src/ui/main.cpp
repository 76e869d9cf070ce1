// Liedwerk's window program: builds the context over the real computer, then runs the
// start-up: the language dialog (asked only when no usable language is saved), the about
// window for two seconds, then the main window.
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramFolder.h"
#include "settings/Localisation.h"
#include "ui/AppContext.h"
#include "ui/Hauptform.h"
#include "ui/MessageBoxes.h"
#include "ui/dialogs/StartupChain.h"

#include <QApplication>
#include <QDir>
#include <QStringList>

#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Liedwerk"));

    // The command line without the program's name, as one text, for the key "LNGID=".
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    const std::string commandLine = arguments.join(QChar(u' ')).toStdString();

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
    });
    startup.start();
    return app.exec();
}
