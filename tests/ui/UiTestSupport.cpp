#include "UiTestSupport.h"

namespace lw::ui::test {

DialogScript::DialogScript() {
    connect(&timer, &QTimer::timeout, this, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        // A dialog is answered once; the next one may be built at the same address.
        if (!dialog || !dialog->isVisible() || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        seen << dialog->objectName();
        const auto it = actions.find(dialog->objectName());
        it != actions.end() ? it->second(*dialog) : dialog->reject();
    });
    timer.start(1);
}

bool openDirectory(Hauptform& window, const std::filesystem::path& path, int order) {
    DialogScript script;
    if (order >= 0)
        script.actions[QStringLiteral("Dialog_Liste")] = [order](QDialog& d) {
            click(d, order == 0 ? "Button_check_0" : "Button_check_1");
        };
    window.openBackupFolder(toQString(path));
    return script.seen.contains(QStringLiteral("Dialog_Liste"));
}

} // namespace lw::ui::test
