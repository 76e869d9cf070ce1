// The card-reader dialog: in card mode the transfer run must know which drive is the
// card reader. The dialog lists the drives, judges the selected one (a removable drive,
// and on Windows not the floppy drives A: or B:), explains its verdict, and leaves an
// accepted drive in CardDrive; the run gives up when CardDrive comes back empty.
//
// The settings file is written only when the user's selection (or the preselection of
// the saved drive while loading) is accepted, never on a rejection and never by the
// cancel button, so a cancelled dialog keeps the saved drive for the next program start.
#pragma once

#include "platform/Drives.h"
#include "settings/Localisation.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace lw::ui {

class SelectCardreader : public QDialog {
    Q_OBJECT

public:
    // CardDrive lives in localisation.settings(); drives lists the machine's drives.
    SelectCardreader(Localisation& localisation, Drives& drives, QWidget* parent = nullptr);

    // CardDrive as the dialog leaves it: the accepted drive's text, or empty.
    const std::string& cardDrive() const;

private:
    void fillDriveList();
    void refreshDriveList();
    void selectSavedDrive();
    void judgeOnLoad();
    void driveChanged();
    const DriveInfo* listedDrive() const;

    Localisation& m_localisation;
    Drives& m_drives;
    std::vector<DriveInfo> m_listed;
    QComboBox* m_driveList = nullptr;
    QLabel* m_driveInfo = nullptr;
    QPushButton* m_start = nullptr;
};

} // namespace lw::ui
