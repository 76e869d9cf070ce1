#include "ui/dialogs/SelectCardreader.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/DialogKit.h"
#include "ui/dialogs/WindowTexts.h"

#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace lw::ui {

namespace {

constexpr int kAcceptedOnLoad = msg::kReaderAcceptedOnLoad;
constexpr int kAcceptedOnLoadHint = msg::kReaderAcceptedOnLoadHint;
constexpr int kRejectedOnLoad = msg::kReaderRejectedOnLoad;
constexpr int kAccepted = msg::kReaderAccepted;
constexpr int kAcceptedHint = msg::kReaderAcceptedHint;
constexpr int kRejected = msg::kReaderRejected;
constexpr int kTitle = msg::kReaderTitle;
constexpr int kCancel = msg::kReaderCancel;
constexpr int kStart = msg::kReaderStart;
constexpr int kInsertCard = msg::kReaderInsertCard;
constexpr int kSelectReader = msg::kReaderSelect;

const QString kLineBreak = QStringLiteral("\r\n");

// How the list shows a drive: its text, and its volume or device name in brackets.
QString shownText(const DriveInfo& drive) {
    QString text = dlg::fromUtf8(drive.text);
    if (!drive.label.empty())
        text += QStringLiteral(" [") + dlg::fromUtf8(drive.label) + QLatin1Char(']');
    return text;
}

} // namespace

SelectCardreader::SelectCardreader(Localisation& localisation, Drives& drives, QWidget* parent)
    : QDialog(parent), m_localisation(localisation), m_drives(drives) {
    setObjectName(QStringLiteral("Select_Cardreader"));

    auto* formatHint = new QLabel(this);
    formatHint->setObjectName(QStringLiteral("lbl_Formathinweis"));
    formatHint->setWordWrap(true);
    formatHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The two numbered steps, the drive list and the verdict share one left edge.
    dlg::place(formatHint, 390, 300, 3915, 645);

    auto* driveChoice = new QLabel(this);
    driveChoice->setObjectName(QStringLiteral("lbl_Driveauswahl"));
    driveChoice->setWordWrap(true);
    driveChoice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    dlg::place(driveChoice, 390, 960, 3915, 435);

    m_driveList = new QComboBox(this);
    m_driveList->setObjectName(QStringLiteral("Drive1"));
    dlg::place(m_driveList, 390, 1530, 3915, 345); // a little taller than drawn: a combo box's own height

    m_driveInfo = new QLabel(this);
    m_driveInfo->setObjectName(QStringLiteral("lbl_DriveInfo"));
    m_driveInfo->setWordWrap(true);
    m_driveInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_driveInfo->setMargin(3);
    m_driveInfo->setAutoFillBackground(true);
    QPalette verdictColours = m_driveInfo->palette();
    verdictColours.setColor(QPalette::Window, QColor(224, 224, 224));
    verdictColours.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_driveInfo->setPalette(verdictColours);
    dlg::place(m_driveInfo, 390, 2250, 3915, 735);

    auto* cancel = new QPushButton(this);
    cancel->setObjectName(QStringLiteral("but_Abbruch"));
    cancel->setAutoDefault(false);
    dlg::place(cancel, 390, 3090, 1365, 375);

    m_start = new QPushButton(this);
    m_start->setObjectName(QStringLiteral("but_Start"));
    m_start->setAutoDefault(false);
    m_start->setEnabled(false);
    dlg::place(m_start, 2940, 3090, 1365, 375);

    // Load step 1: the texts.
    driveChoice->setText(dlg::message(m_localisation, kSelectReader));
    formatHint->setText(dlg::message(m_localisation, kInsertCard));
    m_start->setText(dlg::message(m_localisation, kStart));
    cancel->setText(dlg::message(m_localisation, kCancel));
    setWindowTitle(dlg::message(m_localisation, kTitle));

    // The list starts on its initial drive; from here on a selection runs the change handling.
    fillDriveList();
    connect(m_driveList, &QComboBox::currentIndexChanged, this, &SelectCardreader::driveChanged);

    // Load steps 3 to 5. Nothing here can fail in a way that would stop the next step:
    // an absent saved drive leaves the initial drive, and a settings file that cannot
    // be written is no reason to refuse the drive.
    selectSavedDrive();
    refreshDriveList();
    judgeOnLoad();

    connect(m_start, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_localisation.settings().cardDrive.clear();
        reject();
    });

    // Texts that need more lines in this font than in the design's get them; the verdict
    // is measured with the tallest of its texts.
    int grown = dlg::makeRoomForText(this, {formatHint, driveChoice});
    grown += dlg::makeRoom(
        this, m_driveInfo,
        dlg::tallestTextHeight(m_driveInfo, {dlg::message(m_localisation, kAccepted) + kLineBreak +
                                                 dlg::message(m_localisation, kAcceptedHint),
                                             dlg::message(m_localisation, kAcceptedOnLoad) + kLineBreak +
                                                 dlg::message(m_localisation, kAcceptedOnLoadHint),
                                             dlg::message(m_localisation, kRejected),
                                             dlg::message(m_localisation, kRejectedOnLoad)}));
    dlg::sizeForParent(this, 4680, 3660 + grown * dlg::kTwipsPerPixel);
    setFixedSize(size());
}

const std::string& SelectCardreader::cardDrive() const {
    return m_localisation.settings().cardDrive;
}

void SelectCardreader::fillDriveList() {
    const QSignalBlocker blocker(m_driveList);
    m_listed = m_drives.list();
    m_driveList->clear();
    for (const DriveInfo& drive : m_listed)
        m_driveList->addItem(shownText(drive));
    m_driveList->setCurrentIndex(initialDriveIndex(m_listed));
}

void SelectCardreader::selectSavedDrive() {
    const int saved = savedDriveIndex(m_listed, m_localisation.settings().cardDrive);
    if (saved >= 0)
        m_driveList->setCurrentIndex(saved); // runs the change handling when the drive differs
}

// The drive list is read again, staying on the drive it showed when that is still there.
void SelectCardreader::refreshDriveList() {
    const DriveInfo* current = listedDrive();
    const std::string currentText = current ? current->text : std::string();
    const QSignalBlocker blocker(m_driveList);
    std::vector<DriveInfo> fresh = m_drives.list();
    int index = -1;
    for (std::size_t i = 0; i < fresh.size(); ++i)
        if (!currentText.empty() && fresh[i].text == currentText)
            index = static_cast<int>(i);
    m_listed = std::move(fresh);
    m_driveList->clear();
    for (const DriveInfo& drive : m_listed)
        m_driveList->addItem(shownText(drive));
    m_driveList->setCurrentIndex(index >= 0 ? index : initialDriveIndex(m_listed));
}

const DriveInfo* SelectCardreader::listedDrive() const {
    const int index = m_driveList->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= m_listed.size())
        return nullptr;
    return &m_listed[static_cast<std::size_t>(index)];
}

// The verdict on the drive the list shows after loading. It does not enable the start
// button and does not write the settings: only a selection does.
void SelectCardreader::judgeOnLoad() {
    const DriveInfo* drive = listedDrive();
    if (drive && isAcceptableCardDrive(*drive)) {
        m_driveInfo->setText(dlg::message(m_localisation, kAcceptedOnLoad) + kLineBreak +
                             dlg::message(m_localisation, kAcceptedOnLoadHint));
        m_localisation.settings().cardDrive = drive->text;
    } else {
        m_driveInfo->setText(dlg::message(m_localisation, kRejectedOnLoad));
        m_start->setEnabled(false);
        m_localisation.settings().cardDrive.clear();
    }
}

void SelectCardreader::driveChanged() {
    const DriveInfo* drive = listedDrive();
    if (drive && isAcceptableCardDrive(*drive)) {
        m_driveInfo->setText(dlg::message(m_localisation, kAccepted) + kLineBreak +
                             dlg::message(m_localisation, kAcceptedHint));
        m_start->setEnabled(true);
        m_localisation.settings().cardDrive = drive->text;
        // A write-protected program folder only loses the memory of the drive; a drive name
        // that the settings file cannot hold is not stored, and the user is told why.
        if (const Status stored = m_localisation.writeSettingsFile();
            stored.code() == ErrorCode::InvalidArgument)
            m_driveInfo->setText(
                m_driveInfo->text() + kLineBreak +
                windowText(m_localisation, WindowText::DriveNotStored).arg(dlg::fromUtf8(drive->text)));
    } else {
        m_driveInfo->setText(dlg::message(m_localisation, kRejected));
        m_start->setEnabled(false);
        m_localisation.settings().cardDrive.clear();
    }
}

} // namespace lw::ui
