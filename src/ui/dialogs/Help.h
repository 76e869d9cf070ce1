// The help: one HTML file per language in the program's folder, "Hilfe.html" (German),
// "Help.html" (English) and "Aide.html" (French, when someone supplies it), shown in a
// small viewer window. LanguageId chooses the file; for any other language number the
// Help item does nothing.
//
// An installed program keeps its help files in share/liedwerk beside its bin folder,
// while its program folder (the settings, the restore file) may be a per-user folder;
// so the files are looked for in the program folder first, then beside the executable,
// then in ../share/liedwerk relative to it.
#pragma once

#include "platform/ProgramFolder.h"
#include "settings/Localisation.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string_view>

class QTextBrowser;

namespace lw::ui {

// The help file's name for a LanguageId ("1", "2", "3" read as numbers), or none.
std::optional<QString> helpFileName(std::string_view languageId);

// The folders searched for help files, in order.
QStringList helpFolders(const std::filesystem::path& programFolder,
                        const std::optional<std::filesystem::path>& executableFolder);

// The first of the folders that holds the file, as a whole path; when none holds it,
// the path in the first folder, so that the viewer names the place it expected.
QString locateHelpFile(const QString& fileName, const QStringList& folders);

class HelpViewer : public QDialog {
    Q_OBJECT

public:
    explicit HelpViewer(Localisation& localisation, QWidget* parent = nullptr);

    // Shows the file at its beginning. A file that is missing or cannot be read is
    // reported in the viewer, with its whole path; the result is then false.
    bool showFile(const QString& path);

    QTextBrowser* browser() const { return m_browser; }

private:
    Localisation& m_localisation;
    QTextBrowser* m_browser = nullptr;
};

// The Help menu item: opens the viewer (not modally, destroyed when closed) on the help
// file of the current LanguageId. Returns the viewer, or nullptr when the language has
// no help file.
HelpViewer* openHelp(Localisation& localisation, ProgramFolder& programFolder, QWidget* parent = nullptr);

} // namespace lw::ui
