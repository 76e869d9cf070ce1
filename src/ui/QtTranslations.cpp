#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <optional>

namespace lw::ui {

bool applyQtLanguage(Language language) {
    static std::unique_ptr<QTranslator> translator;
    static std::optional<Language> inForce;
    static bool translated = false;
    if (inForce == language)
        return translated;
    inForce = language;
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    translated = language == Language::English;
    if (translated)
        return true;
    auto german = std::make_unique<QTranslator>();
    for (const QString& folder : {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (german->load(QStringLiteral("qtbase_de"), folder)) {
            QCoreApplication::installTranslator(german.get());
            translator = std::move(german);
            translated = true;
            break;
        }
    }
    return translated;
}

} // namespace lw::ui
