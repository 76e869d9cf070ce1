#include "ui/Hauptform.h"
#include "platform/Path.h"
#include "ui/DialogListe.h"
#include "ui/SongListModel.h"
#include "ui/Twips.h"
#include "ui/UiText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
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

// Whether `folder` lies in or below `root`, compared by path text.
bool isInside(const QString& folder, const QString& root) {
#ifdef _WIN32
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    const QString f = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    QString r = QDir::cleanPath(QDir::fromNativeSeparators(root));
    if (f.compare(r, cs) == 0)
        return true;
    if (!r.endsWith(QChar(u'/')))
        r += QChar(u'/');
    return f.startsWith(r, cs);
}

// The all-marks button's face: a ticked check box in the current style.
QIcon allMarksIcon(QWidget* widget) {
    const qreal dpr = widget->devicePixelRatioF();
    QPixmap pixmap(QSize(14, 14) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QStyleOptionButton option;
    option.initFrom(widget);
    option.rect = QRect(0, 0, 14, 14);
    option.state = QStyle::State_Enabled | QStyle::State_On;
    widget->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
    return QIcon(pixmap);
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

// Shown after a load when a table file was shorter than its layout; %1 names the file.
const char* shortTableText(Language language) {
    if (language == Language::English)
        return "The table file %1 is shorter than a complete table. Its missing entries were read "
               "as empty; please check the backup if songs or folders are missing.";
    return "Die Tabellendatei %1 ist kürzer als eine vollständige Tabelle. Ihre fehlenden Einträge "
           "wurden als leer gelesen; bitte prüfen Sie das Backup, falls Songs oder Verzeichnisse fehlen.";
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
    mnu_Sprachwahl = m_Programm->addAction(QString());
    mnu_Sprachwahl->setObjectName(QStringLiteral("mnu_Sprachwahl"));
    mnu_line1 = m_Programm->addSeparator();
    mnu_line1->setObjectName(QStringLiteral("mnu_line1"));
    mnu_Beenden = m_Programm->addAction(QString());
    mnu_Beenden->setObjectName(QStringLiteral("mnu_Beenden"));

    m_Ausfuehren = menuBar()->addMenu(QString());
    m_Ausfuehren->setObjectName(QStringLiteral("m_Ausfuehren"));
    mnu_Restore = m_Ausfuehren->addAction(QString());
    mnu_Restore->setObjectName(QStringLiteral("mnu_Restore"));

    m_Hilfe = menuBar()->addMenu(QString());
    m_Hilfe->setObjectName(QStringLiteral("m_Hilfe"));
    mnu_Hilfe = m_Hilfe->addAction(QString());
    mnu_Hilfe->setObjectName(QStringLiteral("mnu_Hilfe"));
    mnu_Internet = m_Hilfe->addAction(QStringLiteral("&Internet"));
    mnu_Internet->setObjectName(QStringLiteral("mnu_Internet"));
    mnu_Info = m_Hilfe->addAction(QString());
    mnu_Info->setObjectName(QStringLiteral("mnu_Info"));

    connect(mnu_Sprachwahl, &QAction::triggered, this, &Hauptform::languageSelectionRequested);
    connect(mnu_Beenden, &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(mnu_Restore, &QAction::triggered, this, &Hauptform::transferRequested);
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

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirModel->setReadOnly(true);
    Dir1 = new QTreeView(FrameBackuppfad);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setModel(m_dirModel);
    for (int column = 1; column < m_dirModel->columnCount(); ++column)
        Dir1->hideColumn(column);
    Dir1->setHeaderHidden(true);
    Dir1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_ignoreTreeChange && current.isValid())
                    onDirectoryChanged(m_dirModel->filePath(current));
            });

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
    QHeaderView* header = ListView1->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setMinimumHeight(px(630 - kListTop + 315) + 3); // room for the all-marks button over it
    for (int column = 0; column < SongListModel::ColumnCount; ++column)
        header->resizeSection(column, px(SongListModel::kColumnWidths[static_cast<std::size_t>(column)]));

    fpBtnAllOn_Off = new QToolButton(central);
    fpBtnAllOn_Off->setObjectName(QStringLiteral("fpBtnAllOn_Off"));
    fpBtnAllOn_Off->setGeometry(twipsRect(2970, 630, 495, 315));
    fpBtnAllOn_Off->setCheckable(true);
    fpBtnAllOn_Off->setIcon(allMarksIcon(fpBtnAllOn_Off));
    connect(fpBtnAllOn_Off, &QToolButton::clicked, this, [this] {
        m_list.pressAllMarks();
        fpBtnAllOn_Off->setChecked(m_list.allMarksPressed());
    });

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
    QPalette hintPalette = lbl_Hinweis->palette();
    hintPalette.setColor(QPalette::Window, QColor(255, 255, 225));
    hintPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lbl_Hinweis->setPalette(hintPalette);

    ProgressBar1 = new QProgressBar(central);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 5);
    ProgressBar1->setValue(0);

    // Stacking: the all-marks button over the list's header, the hint over the list.
    fpBtnAllOn_Off->raise();
    lbl_Hinweis->raise();
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
    return QMainWindow::eventFilter(watched, event);
}

bool Hauptform::event(QEvent* event) {
    // Every activation, also the return from a modal dialog, takes up a changed language.
    if (event->type() == QEvent::WindowActivate)
        applyTexts();
    return QMainWindow::event(event);
}

void Hauptform::applyTexts() {
    Localisation& loc = m_ctx.localisation;
    m_transferPressedText = message(loc, 104);
    m_cancelPressedText = message(loc, 103);
    mnu_Info->setText(message(loc, 102));
    mnu_Hilfe->setText(message(loc, 101));
    m_Hilfe->setTitle(message(loc, 100));
    mnu_Restore->setText(message(loc, 99));
    m_Ausfuehren->setTitle(message(loc, 98));
    mnu_Beenden->setText(message(loc, 97));
    mnu_Sprachwahl->setText(message(loc, 96));
    m_Programm->setTitle(message(loc, 95));
    m_model->retranslate(); // column titles 93, 92, 91 and the transfer results
    Label1->setText(message(loc, 90));
    Dir1->setToolTip(message(loc, 89));
    setPanel(5, message(loc, 88));
    setPanel(3, message(loc, 87));
    setPanel(1, message(loc, 86));
    fpBtnAllOn_Off->setToolTip(message(loc, 85));
    m_transferText = message(loc, 84);
    but_Transfer->setText(but_Transfer->isDown() ? m_transferPressedText : m_transferText);
    Option_Verzeichnisstruktur_0->setText(message(loc, 83));
    Option_Verzeichnisstruktur_1->setText(message(loc, 82));
    m_cancelText = message(loc, 81);
    but_Abbruch->setText(but_Abbruch->isDown() ? m_cancelPressedText : m_cancelText);
    lbl_Hinweis->setText(message(loc, 80));
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
        if (isInside(selectRoot, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    Drive1->setCurrentIndex(best >= 0 ? best : (Drive1->count() > 0 ? 0 : -1));
}

void Hauptform::setTreeRoot(const QString& root) {
    m_driveRoot = root;
    m_treePath = root;
    const QScopedValueRollback<bool> quiet(m_ignoreTreeChange, true);
    m_dirModel->setRootPath(root);
    Dir1->setRootIndex(m_dirModel->index(root));
    Dir1->setCurrentIndex(QModelIndex());
}

void Hauptform::onDriveChosen(int index) {
    const QString root = Drive1->itemData(index).toString();
    if (root.isEmpty() || root == m_driveRoot)
        return;
    Localisation& loc = m_ctx.localisation;
    auto listing = m_ctx.fs.listDirectory(pathFromUtf8(root.toStdString()));
    if (!listing) {
        const Status& why = listing.status();
        const QString title = QStringLiteral("Liedwerk");
        if (why.code() == ErrorCode::DeviceUnavailable || why.code() == ErrorCode::NotFound) {
            m_ctx.messageBoxes.plain(this, title, message(loc, 33));
        } else {
            // Error number, its source (the drive), and after a line break the system's words.
            m_ctx.messageBoxes.plain(this, title,
                                     message(loc, 34) + QString::number(why.systemCode()) + message(loc, 35) +
                                         QDir::toNativeSeparators(root) + QChar(u'\r') +
                                         fromUtf8(why.reason()));
        }
        // The drive list is read afresh; the tree stays where it was.
        fillDriveList(m_driveRoot);
        return;
    }
    setTreeRoot(root);
    onDirectoryChanged(root);
}

void Hauptform::openFolder(const QString& path) {
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    fillDriveList(folder);
    if (Drive1->currentIndex() >= 0)
        setTreeRoot(Drive1->currentData().toString());
    {
        const QScopedValueRollback<bool> quiet(m_ignoreTreeChange, true);
        Dir1->setCurrentIndex(m_dirModel->index(folder));
    }
    onDirectoryChanged(folder);
}

// ---- Loading a backup ----

void Hauptform::onDirectoryChanged(const QString& path) {
    if (m_inDirectoryChange)
        return; // the tree cannot be used while a question is open; a change from elsewhere waits
    const QScopedValueRollback<bool> running(m_inDirectoryChange, true);
    Localisation& loc = m_ctx.localisation;
    m_treePath = path;

    // Reset. The options, the transfer button and the progress bar keep their state.
    m_backupPath.clear();
    lbl_Hinweis->show();
    fpBtnAllOn_Off->hide();
    m_list.clear(); // the counters read "----" until the next list

    // Recognition: the first kind whose marker file is there; a KN5000 or KN6000/6500
    // backup with "Manager.ini" beside it is not offered.
    Recognition recognition = recognizeBackup(m_ctx.fs, QDir::toNativeSeparators(path).toStdString());
    m_backupPath = recognition.directory.backupPath();
    if (recognition.format)
        m_knTypeText = std::string(recognition.format->text);
    if (recognition.outcome != RecognitionOutcome::Recognised)
        return;
    const BackupFormat& format = *recognition.format;

    if (m_ctx.messageBoxes.question(this, message(loc, 38),
                                    message(loc, 36) + QChar(u'\r') + message(loc, 37)) != QMessageBox::Yes)
        return;

    // Loading: the song table, then the folder table.
    setBusyCursor(true);
    ProgressBar1->setRange(0, 5);
    ProgressBar1->show();
    ProgressBar1->setValue(1);
    auto tables = readBackupTables(m_ctx.fs, format, recognition.directory);
    if (!tables) {
        failLoading(tables.status());
        return;
    }
    ProgressBar1->setValue(2);

    // The list order.
    lbl_Hinweis->hide();
    setBusyCursor(false);
    ProgressBar1->setValue(3);
    DialogListe::ask(this, loc, m_listOrderChoice);
    setBusyCursor(true);
    ProgressBar1->setValue(4);

    // Build. An alphabetical list has no folders to keep, so the songs are lined up.
    if (m_listOrderChoice != 0) {
        m_list.Liste_erstellen_Alphabetisch(format, tables->songs);
        Option_Verzeichnisstruktur_0->hide();
        Option_Verzeichnisstruktur_1->hide();
        Option_Verzeichnisstruktur_1->setChecked(true);
    } else {
        m_list.Liste_erstellen(format, tables->folders, tables->songs);
        Option_Verzeichnisstruktur_0->show();
        Option_Verzeichnisstruktur_1->show();
    }

    // Finish.
    but_Transfer->show();
    ProgressBar1->setValue(5);
    fpBtnAllOn_Off->show();
    setBusyCursor(false);
    ProgressBar1->hide();
    ProgressBar1->setValue(0);

    warnAboutShortTables(*tables);
    if (const Status space = checkRestoreSpace(); !space)
        failLoading(space);
}

void Hauptform::failLoading(const Status& why) {
    Localisation& loc = m_ctx.localisation;
    setBusyCursor(false);
    m_list.clear();
    // The message names the file and the system's reason after the table's own words.
    m_ctx.messageBoxes.critical(this, message(loc, 130),
                                message(loc, 129) + QChar(u'\r') +
                                    QDir::toNativeSeparators(fromUtf8(why.path())) + QStringLiteral(": ") +
                                    fromUtf8(why.reason()));
    Option_Verzeichnisstruktur_0->hide();
    Option_Verzeichnisstruktur_1->hide();
    lbl_Hinweis->show();
    fpBtnAllOn_Off->hide();
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
}

void Hauptform::warnAboutShortTables(const BackupTables& tables) {
    QStringList files;
    if (tables.songTableShort)
        files << QDir::toNativeSeparators(fromUtf8(pathToUtf8(tables.songTablePath)));
    if (tables.folderTableShort && tables.folderTablePath != tables.songTablePath)
        files << QDir::toNativeSeparators(fromUtf8(pathToUtf8(tables.folderTablePath)));
    if (files.isEmpty())
        return;
    Localisation& loc = m_ctx.localisation;
    const QString text =
        QString::fromUtf8(shortTableText(loc.language())).arg(files.join(QStringLiteral(", ")));
    m_ctx.messageBoxes.warning(this, message(loc, 43), text);
}

QString Hauptform::programDriveText() {
    const QString folder = QDir::toNativeSeparators(fromUtf8(pathToUtf8(m_ctx.programFolder.path())));
#ifdef _WIN32
    return folder.left(3);
#else
    // The mount point that holds the program's folder.
    QString best = QStringLiteral("/");
    for (const DriveInfo& drive : m_ctx.drives.list()) {
        const QString root = rootText(drive.root);
        if (isInside(folder, root) && root.size() > best.size())
            best = root;
    }
    return best;
#endif
}

Status Hauptform::checkRestoreSpace() {
    // A restore file of this backup is written beneath the program's folder; it is
    // estimated at twice the backup's size plus 0.35 %.
    auto free = m_ctx.fs.freeSpace(m_ctx.programFolder.path());
    if (!free)
        return free.status();
    auto size = m_ctx.fs.directorySize(pathFromUtf8(m_treePath.toStdString()));
    if (!size)
        return size.status();
    const std::uint64_t estimate = estimatedRestoreSize(*size);
    if (estimate > *free) {
        Localisation& loc = m_ctx.localisation;
        const QString megabytes = QLocale().toString(static_cast<double>(estimate) / 1e6, 'f', 3);
        m_ctx.messageBoxes.warning(this, message(loc, 43),
                                   message(loc, 39) + programDriveText() + message(loc, 40) + megabytes +
                                       message(loc, 41) + message(loc, 42));
    }
    return Status::ok();
}

} // namespace lw::ui
