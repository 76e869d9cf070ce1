#include "ui/Hauptform.h"
#include "platform/Path.h"
#include "settings/MessageIds.h"
#include "ui/DialogListe.h"
#include "ui/FolderTree.h"
#include "ui/QtTranslations.h"
#include "ui/SongListModel.h"
#include "ui/dialogs/Twips.h"
#include "ui/dialogs/UiText.h"
#include "ui/dialogs/WindowTexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <filesystem>

namespace lw::ui {

namespace {

// Design places in twips: left, top, width, height. The frame's children are placed
// relative to the frame. Heights of the list, frame, tree and progress bar follow the
// window's height (layoutForHeight).
constexpr int kListLeft = 2940, kListTop = 600, kListWidth = 7185;
constexpr int kFrameLeft = 120, kFrameTop = 510, kFrameWidth = 2715;
constexpr int kTreeLeft = 120, kTreeTop = 900, kTreeWidth = 2475;
constexpr int kProgressLeft = 30, kProgressWidth = 10155, kProgressHeight = 195;
constexpr int kStatusHeight = 375;
// Space kept below the list and the frame; the tree is this much shorter than the frame.
constexpr int kBottomMargin = 650;
constexpr int kTreeShorterThanFrame = 1000;
constexpr int kProgressBelowList = 700;
constexpr qreal kDesignPointSize = 8.0;
constexpr std::array<int, 9> kPanelWidths = {1600, 800, 1600, 800, 900, 1200, 1600, 1200, 1440};

// Status panels written while no list is built.
const QString kNoCount = QStringLiteral("----");
const QString kNoKind = QStringLiteral("---------");

QString driveDisplayText(const DriveInfo& drive) {
    QString text = fromUtf8(drive.text);
    if (!drive.label.empty())
        text += QStringLiteral(" [") + fromUtf8(drive.label) + QStringLiteral("]");
    return text;
}

QString rootText(const std::filesystem::path& root) {
    return QDir::cleanPath(fromUtf8(pathToUtf8(root)));
}

// The all-marks button's face: a check box in the current style, ticked while the button
// is released (its press takes every mark away) and empty while it is pressed (its press
// puts every mark on again).
QIcon allMarksIcon(QWidget* widget, bool ticked) {
    const qreal dpr = widget->devicePixelRatioF();
    QPixmap pixmap(QSize(14, 14) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QStyleOptionButton option;
    option.initFrom(widget);
    option.rect = QRect(0, 0, 14, 14);
    option.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
    widget->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
    return QIcon(pixmap);
}

// Whether a palette shows text on a dark ground (a dark desktop theme).
bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < 128;
}

// The folder a dropped item stands for: a folder itself, or the folder of a file in it.
QString droppedFolder(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty() || !data->urls().first().isLocalFile())
        return {};
    const QFileInfo info(data->urls().first().toLocalFile());
    if (info.isDir())
        return QDir::cleanPath(info.absoluteFilePath());
    if (info.isFile())
        return QDir::cleanPath(info.absolutePath());
    return {};
}

// Fonts of the window's fixed places shrink, half a point at a time, until their text fits:
// the places were drawn for the narrow 8-point system font of their time, and today's
// fonts run wider.
constexpr qreal kSmallestPointSize = 6.5;

struct FitItem {
    QWidget* widget;
    QString text;
    int width; // pixels the text may take
};

// One font for a group of controls, so that neighbours keep the same size of text.
void fitGroup(std::initializer_list<FitItem> items, const QFont& designFont) {
    QFont font = designFont;
    const auto fits = [&font](const FitItem& item) {
        return QFontMetrics(font).horizontalAdvance(item.text) <= item.width;
    };
    while (!std::all_of(items.begin(), items.end(), fits) && font.pointSizeF() > kSmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    for (const FitItem& item : items)
        if (item.widget->font() != font)
            item.widget->setFont(font);
}

} // namespace

Hauptform::Hauptform(AppContext& context, QWidget* parent) : QMainWindow(parent), m_ctx(context) {
    setObjectName(QStringLiteral("Hauptform"));
    setWindowTitle(QStringLiteral("Liedwerk KN2000/3000/3500/5000/6000/6500 to KN7000"));

    // The layout was drawn for 8-point text; larger desktop fonts would not fit its places.
    QFont designFont = font();
    designFont.setPointSizeF(kDesignPointSize);
    setFont(designFont);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Hauptform_client"));
    setCentralWidget(central);

    m_model = new SongListModel(m_list, m_ctx.localisation, this);
    buildMenus();
    buildControls(central);
    buildStatusBar(central);
    connect(m_model, &SongListModel::countersChanged, this, &Hauptform::showCounters);
    connect(this, &Hauptform::transferRequested, this, &Hauptform::mnu_Restore_Click);
    connectMenuDialogs();

    setFixedWidth(px(kWidth));
    setMinimumHeight(px(kMinHeight));
    resize(px(kWidth), px(kMinHeight));
    central->installEventFilter(this);
    // A backup folder, or any file in it, dragged from the file manager opens that folder.
    setAcceptDrops(true);

    // The design state: hint, empty list and transfer button shown; cancel button,
    // all-marks button, progress bar and both options hidden.
    but_Abbruch->hide();
    fpBtnAllOn_Off->hide();
    ProgressBar1->hide();
    Option_Verzeichnisstruktur_0->hide();
    Option_Verzeichnisstruktur_1->hide();
    Option_Verzeichnisstruktur_0->setChecked(true);
    showCounters();

    QString start;
    if (!m_ctx.homeFolder.empty())
        start = rootText(m_ctx.homeFolder);
    else
        start = QDir::homePath();
    fillDriveList(start);
    if (Drive1->currentIndex() >= 0)
        setTreeRoot(Drive1->currentData().toString());

    adaptToPalette();
    applyTexts();
}

Hauptform::~Hauptform() {
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
    // The model stops observing the list before the list goes.
    delete m_model;
    m_model = nullptr;
}

void Hauptform::buildMenus() {
    m_Programm = menuBar()->addMenu(QString());
    m_Programm->setObjectName(QStringLiteral("m_Programm"));
    mnu_Oeffnen = m_Programm->addAction(QString());
    mnu_Oeffnen->setObjectName(QStringLiteral("mnu_Oeffnen"));
    mnu_Oeffnen->setShortcut(QKeySequence::Open);
    mnu_Sprachwahl = m_Programm->addAction(QString());
    mnu_Sprachwahl->setObjectName(QStringLiteral("mnu_Sprachwahl"));
    mnu_line1 = m_Programm->addSeparator();
    mnu_line1->setObjectName(QStringLiteral("mnu_line1"));
    mnu_Beenden = m_Programm->addAction(QString());
    mnu_Beenden->setObjectName(QStringLiteral("mnu_Beenden"));
    mnu_Beenden->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    m_Ausfuehren = menuBar()->addMenu(QString());
    m_Ausfuehren->setObjectName(QStringLiteral("m_Ausfuehren"));
    mnu_Restore = m_Ausfuehren->addAction(QString());
    mnu_Restore->setObjectName(QStringLiteral("mnu_Restore"));
    mnu_Kartenvorschau = m_Ausfuehren->addAction(QString());
    mnu_Kartenvorschau->setObjectName(QStringLiteral("mnu_Kartenvorschau"));

    m_Hilfe = menuBar()->addMenu(QString());
    m_Hilfe->setObjectName(QStringLiteral("m_Hilfe"));
    mnu_Hilfe = m_Hilfe->addAction(QString());
    mnu_Hilfe->setObjectName(QStringLiteral("mnu_Hilfe"));
    mnu_Hilfe->setShortcut(QKeySequence(Qt::Key_F1));
    mnu_Internet = m_Hilfe->addAction(QStringLiteral("&Internet"));
    mnu_Internet->setObjectName(QStringLiteral("mnu_Internet"));
    mnu_Info = m_Hilfe->addAction(QString());
    mnu_Info->setObjectName(QStringLiteral("mnu_Info"));

    connect(mnu_Oeffnen, &QAction::triggered, this, &Hauptform::chooseBackupFolder);
    connect(mnu_Sprachwahl, &QAction::triggered, this, &Hauptform::languageSelectionRequested);
    connect(mnu_Beenden, &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(mnu_Restore, &QAction::triggered, this, &Hauptform::transferRequested);
    connect(mnu_Kartenvorschau, &QAction::triggered, this, &Hauptform::mnu_Kartenvorschau_Click);
    connect(mnu_Hilfe, &QAction::triggered, this, &Hauptform::helpRequested);
    connect(mnu_Internet, &QAction::triggered, this, &Hauptform::internetRequested);
    connect(mnu_Info, &QAction::triggered, this, &Hauptform::infoRequested);
}

void Hauptform::buildControls(QWidget* central) {
    FrameBackuppfad = new QGroupBox(central);
    FrameBackuppfad->setObjectName(QStringLiteral("FrameBackuppfad"));

    Label1 = new QLabel(FrameBackuppfad);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(120, 180, 2475, 195));

    Drive1 = new QComboBox(FrameBackuppfad);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(twipsRect(120, 510, 2505, 315));
    connect(Drive1, &QComboBox::activated, this, &Hauptform::onDriveChosen);

    m_tree = new FolderTreeModel(this);
    Dir1 = new QTreeView(FrameBackuppfad);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setModel(m_tree);
    Dir1->setHeaderHidden(true);
    Dir1->setSelectionMode(QAbstractItemView::SingleSelection);
    // A click or the arrow keys only select a folder; a double-click or Enter opens it.
    Dir1->installEventFilter(this);
    connect(Dir1, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { openBackupFolder(m_tree->folderPath(index)); });

    Option_Verzeichnisstruktur_0 = new QRadioButton(central);
    Option_Verzeichnisstruktur_0->setObjectName(QStringLiteral("Option_Verzeichnisstruktur_0"));
    Option_Verzeichnisstruktur_0->setGeometry(twipsRect(3090, 90, 2775, 255));
    Option_Verzeichnisstruktur_1 = new QRadioButton(central);
    Option_Verzeichnisstruktur_1->setObjectName(QStringLiteral("Option_Verzeichnisstruktur_1"));
    Option_Verzeichnisstruktur_1->setGeometry(twipsRect(3090, 300, 2775, 255));

    but_Abbruch = new QPushButton(central);
    but_Abbruch->setObjectName(QStringLiteral("but_Abbruch"));
    but_Abbruch->setGeometry(twipsRect(5880, 60, 2130, 495));
    connect(but_Abbruch, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    connect(but_Abbruch, &QPushButton::pressed, this, [this] { but_Abbruch->setText(m_cancelPressedText); });
    connect(but_Abbruch, &QPushButton::released, this, [this] { but_Abbruch->setText(m_cancelText); });

    but_Transfer = new QPushButton(central);
    but_Transfer->setObjectName(QStringLiteral("but_Transfer"));
    but_Transfer->setGeometry(twipsRect(8040, 60, 2130, 495));
    connect(but_Transfer, &QPushButton::clicked, this, &Hauptform::transferRequested);
    connect(but_Transfer, &QPushButton::pressed, this,
            [this] { but_Transfer->setText(m_transferPressedText); });
    connect(but_Transfer, &QPushButton::released, this, [this] { but_Transfer->setText(m_transferText); });

    ListView1 = new QTreeView(central);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(m_model);
    ListView1->setItemDelegateForColumn(SongListModel::ColText, new SongNameDelegate(ListView1));
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSortingEnabled(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::DoubleClicked);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->installEventFilter(this); // Space and F2 act on the row, whatever column is current
    QHeaderView* header = ListView1->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setMinimumHeight(px(630 - kListTop + 315) + 3); // room for the all-marks button over it
    for (int column = 0; column < SongListModel::ColumnCount; ++column)
        header->resizeSection(column, px(SongListModel::kColumnWidths[static_cast<std::size_t>(column)]));

    // The all-marks button lies over the first column's title and moves with it when the
    // list scrolls sideways.
    fpBtnAllOn_Off = new QToolButton(header);
    fpBtnAllOn_Off->setObjectName(QStringLiteral("fpBtnAllOn_Off"));
    fpBtnAllOn_Off->resize(px(495), px(315));
    fpBtnAllOn_Off->setCheckable(true);
    connect(fpBtnAllOn_Off, &QToolButton::clicked, this, [this] {
        m_list.pressAllMarks();
        fpBtnAllOn_Off->setChecked(m_list.allMarksPressed());
    });
    connect(fpBtnAllOn_Off, &QToolButton::toggled, this, &Hauptform::showAllMarksState);
    connect(header, &QHeaderView::sectionResized, this, &Hauptform::placeAllMarksButton);
    connect(header, &QHeaderView::geometriesChanged, this, &Hauptform::placeAllMarksButton);
    connect(ListView1->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &Hauptform::placeAllMarksButton);
    placeAllMarksButton();
    showAllMarksState();

    lbl_Hinweis = new QLabel(central);
    lbl_Hinweis->setObjectName(QStringLiteral("lbl_Hinweis"));
    lbl_Hinweis->setGeometry(twipsRect(3570, 2100, 5985, 2445));
    lbl_Hinweis->setWordWrap(true);
    lbl_Hinweis->setAlignment(Qt::AlignCenter);
    lbl_Hinweis->setFrameStyle(QFrame::Panel | QFrame::Raised);
    lbl_Hinweis->setMargin(12);
    lbl_Hinweis->setAutoFillBackground(true);
    QFont hintFont = lbl_Hinweis->font();
    hintFont.setPointSizeF(hintFont.pointSizeF() * 1.4);
    hintFont.setBold(true);
    lbl_Hinweis->setFont(hintFont);

    ProgressBar1 = new QProgressBar(central);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 5);
    ProgressBar1->setValue(0);

    lbl_Hinweis->raise(); // over the list
}

void Hauptform::buildStatusBar(QWidget* central) {
    StatusBar1 = new QStatusBar(central);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    // The panels keep their design widths; the last ones reach beyond the window's edge,
    // as they always have, so they are placed by hand rather than by the bar's layout.
    int left = 0;
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(3);
        panel->setGeometry(px(left) + 1, 2, px(kPanelWidths[i]) - 2, px(kStatusHeight) - 3);
        left += kPanelWidths[i];
        m_panels[i] = panel;
    }
    setPanel(7, QStringLiteral("Übertragene Songs"));
}

void Hauptform::layoutForHeight(int h) {
    const int listHeight = h - kListTop - kBottomMargin;
    const int frameHeight = h - kFrameTop - kBottomMargin;
    ListView1->setGeometry(twipsRect(kListLeft, kListTop, kListWidth, listHeight));
    FrameBackuppfad->setGeometry(twipsRect(kFrameLeft, kFrameTop, kFrameWidth, frameHeight));
    Dir1->setGeometry(twipsRect(kTreeLeft, kTreeTop, kTreeWidth, frameHeight - kTreeShorterThanFrame));
    ProgressBar1->setGeometry(twipsRect(kProgressLeft, h - kListTop - kBottomMargin + kProgressBelowList,
                                        kProgressWidth, kProgressHeight));
    // The status bar sits on the window's bottom edge.
    StatusBar1->setGeometry(twipsRect(0, h - kStatusHeight, kWidth, kStatusHeight));
}

bool Hauptform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        layoutForHeight(twips(centralWidget()->height()));
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
        if (watched == Dir1 && plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (Dir1->currentIndex().isValid())
                openBackupFolder(m_tree->folderPath(Dir1->currentIndex()));
            return true;
        }
        const QModelIndex current = ListView1->currentIndex();
        // Not while a name is being edited: the editor's keys are its own.
        const QWidget* focus = QApplication::focusWidget();
        const bool editing = focus && focus != ListView1 && ListView1->isAncestorOf(focus);
        if (watched == ListView1 && plain && current.isValid() && !editing) {
            const QModelIndex mark = m_model->index(current.row(), SongListModel::ColText);
            if (key->key() == Qt::Key_Space) {
                const bool marked = mark.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                m_model->setData(mark, marked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
                return true;
            }
            if (key->key() == Qt::Key_F2) {
                ListView1->setCurrentIndex(mark);
                ListView1->edit(mark);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Hauptform::placeAllMarksButton() {
    QHeaderView* header = ListView1->header();
    fpBtnAllOn_Off->move(header->sectionViewportPosition(SongListModel::ColText) + 1,
                         std::max(0, (header->height() - fpBtnAllOn_Off->height()) / 2));
}

void Hauptform::showAllMarksState() {
    fpBtnAllOn_Off->setIcon(allMarksIcon(fpBtnAllOn_Off, !fpBtnAllOn_Off->isChecked()));
}

void Hauptform::adaptToPalette() {
    // The list's text colours were chosen for a white ground; on a dark one they are
    // lightened. The hint keeps its pale yellow ground with dark blue text on a light
    // desktop and turns dark with pale text on a dark one.
    const bool dark = isDark(palette());
    m_model->setDarkBackground(dark);
    QPalette hint = palette();
    hint.setColor(QPalette::Window, dark ? QColor(56, 56, 40) : QColor(255, 255, 225));
    hint.setColor(QPalette::WindowText, dark ? QColor(255, 255, 200) : QColor(0, 0, 128));
    lbl_Hinweis->setPalette(hint);
    showAllMarksState();
}

void Hauptform::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange && m_model)
        adaptToPalette();
    QMainWindow::changeEvent(event);
}

void Hauptform::closeEvent(QCloseEvent* event) {
    if (m_transferRunning) {
        // As the cancel button: the run asks the cancel question after the current song.
        // On Yes it finishes as after any cancel (the information file written, the
        // closing message shown) and the window closes then; on No it goes on.
        m_closeAfterRun = true;
        m_cancelRequested = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void Hauptform::dragEnterEvent(QDragEnterEvent* event) {
    if (!m_transferRunning && !m_inDirectoryChange && !droppedFolder(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Hauptform::dropEvent(QDropEvent* event) {
    const QString folder = droppedFolder(event->mimeData());
    if (m_transferRunning || m_inDirectoryChange || folder.isEmpty())
        return;
    event->acceptProposedAction();
    openBackupFolder(folder);
}

bool Hauptform::event(QEvent* event) {
    // Every activation, also the return from a modal dialog, takes up a changed language.
    if (event->type() == QEvent::WindowActivate)
        applyTexts();
    return QMainWindow::event(event);
}

void Hauptform::applyTexts() {
    Localisation& loc = m_ctx.localisation;
    applyQtLanguage(loc.language());
    mnu_Oeffnen->setText(windowText(loc, WindowText::OpenBackupFolderItem));
    m_transferPressedText = message(loc, msg::kTransferPressed);
    m_cancelPressedText = message(loc, msg::kCancelPressed);
    mnu_Info->setText(message(loc, msg::kMenuInfo));
    mnu_Hilfe->setText(message(loc, msg::kMenuHelp));
    m_Hilfe->setTitle(message(loc, msg::kHelpTitle));
    mnu_Restore->setText(message(loc, msg::kMenuTransfer));
    mnu_Kartenvorschau->setText(windowText(loc, WindowText::PreviewItem));
    m_Ausfuehren->setTitle(message(loc, msg::kMenuExecute));
    mnu_Beenden->setText(message(loc, msg::kMenuEnd));
    mnu_Sprachwahl->setText(message(loc, msg::kMenuLanguage));
    m_Programm->setTitle(message(loc, msg::kMenuProgram));
    m_model->retranslate(); // column titles 93, 92, 91 and the transfer results
    Label1->setText(message(loc, msg::kBackupPathLabel));
    Dir1->setToolTip(message(loc, msg::kDirectoryTip));
    setPanel(5, message(loc, msg::kPanelKind));
    setPanel(3, message(loc, msg::kPanelSelected));
    setPanel(1, message(loc, msg::kPanelAvailable));
    fpBtnAllOn_Off->setToolTip(message(loc, msg::kAllMarksTip));
    m_transferText = message(loc, msg::kTransferButton);
    but_Transfer->setText(but_Transfer->isDown() ? m_transferPressedText : m_transferText);
    Option_Verzeichnisstruktur_0->setText(message(loc, msg::kOptionKeepStructure));
    Option_Verzeichnisstruktur_1->setText(message(loc, msg::kOptionSequential));
    m_cancelText = message(loc, msg::kCancelButton);
    but_Abbruch->setText(but_Abbruch->isDown() ? m_cancelPressedText : m_cancelText);
    lbl_Hinweis->setText(message(loc, msg::kHint));
    fitTexts();
}

void Hauptform::fitTexts() {
    const QFont design = font();
    QStyle* st = style();
    const auto optionItem = [st](QRadioButton* option) {
        return FitItem{option, option->text(),
                       option->width() -
                           st->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, option) -
                           st->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, option) - 2};
    };
    fitGroup({optionItem(Option_Verzeichnisstruktur_0), optionItem(Option_Verzeichnisstruktur_1)}, design);
    const auto buttonItem = [](QPushButton* button) {
        return FitItem{button, button->text(), button->width() - 12};
    };
    fitGroup({buttonItem(but_Transfer), buttonItem(but_Abbruch)}, design);
    QHeaderView* header = ListView1->header();
    fitGroup(
        {{header, m_model->headerData(SongListModel::ColText, Qt::Horizontal).toString(),
          header->sectionSize(SongListModel::ColText) - 2 * st->pixelMetric(QStyle::PM_HeaderMargin) - 2}},
        design);
    fitPanels();
}

void Hauptform::fitPanels() {
    const auto item = [this](std::size_t i) {
        QLabel* panel = m_panels[i];
        return FitItem{panel, panel->text(), panel->contentsRect().width() - panel->indent() - 2};
    };
    // Panels 1 to 7; the last two lie beyond the window's edge.
    fitGroup({item(0), item(1), item(2), item(3), item(4), item(5), item(6)}, font());
}

bool Hauptform::keepDirectoryStructure() const {
    return Option_Verzeichnisstruktur_0->isChecked();
}

QString Hauptform::panelText(int panel) const {
    if (panel < 1 || panel > static_cast<int>(m_panels.size()))
        return {};
    return m_panels[static_cast<std::size_t>(panel - 1)]->text();
}

void Hauptform::setPanel(int panel, const QString& text) {
    m_panels[static_cast<std::size_t>(panel - 1)]->setText(text);
}

void Hauptform::showCounters() {
    std::array<QString, 3> texts = {kNoCount, kNoCount, kNoKind};
    if (m_list.isBuilt())
        texts = {QString::number(m_list.availableSongs()), QString::number(m_list.selectedCount()),
                 fromUtf8(m_list.format()->text)};
    // Fitting the panels' font measures every panel's text; during a transfer panel 4
    // changes with every song, mostly without changing its length (digits are equally
    // wide), so the fit is redone only when a text's length changes.
    bool refit = false;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int panel = static_cast<int>(2 * i + 2);
        refit = refit || panelText(panel).size() != texts[i].size();
        setPanel(panel, texts[i]);
    }
    if (refit)
        fitPanels();
    enablePreviewItem();
}

void Hauptform::setBusyCursor(bool busy) {
    if (busy == m_busyCursor)
        return;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    m_busyCursor = busy;
}

// ---- Drive list and directory tree ----

void Hauptform::fillDriveList(const QString& selectRoot) {
    const QSignalBlocker blocker(Drive1);
    Drive1->clear();
    if (!m_ctx.homeFolder.empty()) {
        const QString home = rootText(m_ctx.homeFolder);
        Drive1->addItem(QDir::toNativeSeparators(home), home);
    }
    for (const DriveInfo& drive : m_ctx.drives.list())
        Drive1->addItem(driveDisplayText(drive), rootText(drive.root));

    // The drive asked for, or else the one holding that folder (the longest root).
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString root = Drive1->itemData(i).toString();
        if (QDir::cleanPath(root) == QDir::cleanPath(selectRoot)) {
            best = i;
            break;
        }
        if (isInsideFolder(selectRoot, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    Drive1->setCurrentIndex(best >= 0 ? best : (Drive1->count() > 0 ? 0 : -1));
}

void Hauptform::setTreeRoot(const QString& root) {
    m_driveRoot = root;
    m_treePath = root;
    m_tree->setRoot(root);
    Dir1->setCurrentIndex(QModelIndex());
    Dir1->expand(m_tree->rootFolderIndex());
}

void Hauptform::showInTree(const QString& path) {
    if (!isInsideFolder(path, m_driveRoot)) {
        // Another drive: the drive list and the tree move to the drive that holds the folder,
        // or to the folder itself when no listed drive does.
        fillDriveList(path);
        const QString root = Drive1->currentData().toString();
        setTreeRoot(!root.isEmpty() && isInsideFolder(path, root) ? root : path);
    }
    const QModelIndex index = m_tree->folderIndex(path);
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        Dir1->expand(up);
    Dir1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    Dir1->scrollTo(index);
}

void Hauptform::openBackupFolder(const QString& path) {
    if (m_inDirectoryChange || m_transferRunning || path.isEmpty())
        return;
    // The folder is shown as the tree's current one before anything is asked about it.
    showInTree(QDir::cleanPath(path));
    Dir1->viewport()->update();
    onDirectoryChanged(QDir::cleanPath(path));
}

void Hauptform::chooseBackupFolder() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, windowText(m_ctx.localisation, WindowText::OpenBackupFolderTitle), m_treePath);
    if (!folder.isEmpty())
        openBackupFolder(folder);
}

void Hauptform::onDriveChosen(int index) {
    // Choosing the drive that is chosen already opens its root again.
    const QString root = Drive1->itemData(index).toString();
    if (root.isEmpty() || m_inDirectoryChange)
        return;
    Localisation& loc = m_ctx.localisation;
    auto listing = m_ctx.fs.listDirectory(pathFromUtf8(root.toStdString()));
    if (!listing) {
        const Status& why = listing.status();
        const QString title = QStringLiteral("Liedwerk");
        if (why.code() == ErrorCode::DeviceUnavailable || why.code() == ErrorCode::NotFound) {
            m_ctx.messageBoxes.plain(this, title, message(loc, msg::kDriveNotAvailable));
        } else {
            // Error number, its source (the drive), and after a line break the system's words.
            m_ctx.messageBoxes.plain(this, title,
                                     message(loc, msg::kDriveErrorStart) + QString::number(why.systemCode()) +
                                         message(loc, msg::kDriveErrorCause) +
                                         QDir::toNativeSeparators(root) + QChar(u'\r') +
                                         fromUtf8(why.reason()));
        }
        // The drive list is read afresh; the tree stays where it was.
        fillDriveList(m_driveRoot);
        return;
    }
    setTreeRoot(root);
    openBackupFolder(root);
}

} // namespace lw::ui
