#include "ui/dialogs/Help.h"
#include "platform/Path.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/DialogKit.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace lw::ui {

namespace {

constexpr int kHelpTitle = msg::kHelpTitle;

QString folderText(const std::filesystem::path& folder) {
    return dlg::fromUtf8(pathToUtf8(folder));
}

} // namespace

std::optional<QString> helpFileName(std::string_view languageId) {
    switch (wholeNumber(languageId)) {
    case 1:
        return QStringLiteral("Hilfe.html");
    case 2:
        return QStringLiteral("Help.html");
    case 3:
        return QStringLiteral("Aide.html");
    default:
        return std::nullopt;
    }
}

QStringList helpFolders(const std::filesystem::path& programFolder,
                        const std::optional<std::filesystem::path>& executableFolder) {
    QStringList folders;
    const auto add = [&folders](const QString& folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!clean.isEmpty() && !folders.contains(clean))
            folders.append(clean);
    };
    add(folderText(programFolder));
    if (executableFolder) {
        add(folderText(*executableFolder));
        add(folderText(*executableFolder) + QStringLiteral("/../share/liedwerk"));
    }
    return folders;
}

QString locateHelpFile(const QString& fileName, const QStringList& folders) {
    for (const QString& folder : folders) {
        const QString candidate = QDir(folder).filePath(fileName);
        if (QFileInfo(candidate).isFile())
            return QDir::toNativeSeparators(candidate);
    }
    const QString expected = folders.isEmpty() ? fileName : QDir(folders.front()).filePath(fileName);
    return QDir::toNativeSeparators(expected);
}

HelpViewer::HelpViewer(Localisation& localisation, QWidget* parent)
    : QDialog(parent), m_localisation(localisation) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Liedwerk \u2013 ") + dlg::message(m_localisation, kHelpTitle));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txt_Hilfe"));
    m_browser->setOpenExternalLinks(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("but_Schliessen"));
    close->setText(m_localisation.language() == Language::German ? QStringLiteral("Schließen")
                                                                 : QStringLiteral("Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(680, 560);
}

bool HelpViewer::showFile(const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly)) {
        file.close();
        m_browser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()),
                             QTextDocument::HtmlResource);
        return true;
    }
    const bool german = m_localisation.language() == Language::German;
    const QString heading =
        german ? QStringLiteral("Die Hilfedatei fehlt") : QStringLiteral("The help file is missing");
    const QString explanation =
        german ? QStringLiteral("Die Hilfedatei wurde nicht gefunden oder kann nicht gelesen werden:")
               : QStringLiteral("The help file was not found or cannot be read:");
    const QString remedy =
        german
            ? QStringLiteral("Bitte legen Sie die Datei in diesen Ordner oder installieren Sie Liedwerk neu.")
            : QStringLiteral("Please put the file into that folder or install Liedwerk again.");
    m_browser->setHtml(
        QStringLiteral("<h2>%1</h2><p>%2</p><p><b>%3</b></p><p>%4</p>")
            .arg(heading, explanation, QDir::toNativeSeparators(path).toHtmlEscaped(), remedy));
    return false;
}

HelpViewer* openHelp(Localisation& localisation, ProgramFolder& programFolder, QWidget* parent) {
    const std::optional<QString> name = helpFileName(localisation.settings().languageId);
    if (!name)
        return nullptr;
    const QString path = locateHelpFile(*name, helpFolders(programFolder.path(), executableFolder()));
    auto* viewer = new HelpViewer(localisation, parent);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->showFile(path);
    viewer->show();
    return viewer;
}

} // namespace lw::ui
