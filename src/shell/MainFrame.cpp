#include "shell/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <algorithm>

#include "model/FileReader.h"
#include "model/Format.h"
#include "shell/AboutDialog.h"
#include "shell/FindBoxDlg.h"
#include "shell/HexPane.h"
#include "shell/OrvexLogView.h"
#include "shell/OrvexOptions.h"
#include "shell/OrvexPaneContainer.h"
#include "shell/OrvexView.h"
#include "shell/ShellPrompts.h"
#include "shell/ShellResources.h"

namespace {

constexpr char kIdleText[] = "Ready";
constexpr char kNoFileText[] = "No loaded file";
// The progress bar counts the file's bytes in this many steps.
constexpr int kProgressSteps = 1000;
// A restored window is never made smaller than this.
constexpr int kMinimumRestoredWidth = 200;
constexpr int kMinimumRestoredHeight = 150;

// An action with its object name (for tests and style sheets), its status-bar prompt and its
// tooltip; either may be empty.
QAction* MakeAction(QObject* owner, const char* objectName, const QString& text,
                    const QString& prompt = {}, const QString& toolTip = {}) {
    auto* action = new QAction(text, owner);
    action->setObjectName(QString::fromLatin1(objectName));
    if (!prompt.isEmpty()) action->setStatusTip(prompt);
    if (!toolTip.isEmpty()) action->setToolTip(toolTip);
    return action;
}

QStringList LocalFiles(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    return paths;
}

}  // namespace

const char* const CMainFrame::kStartTitle = "Orvex - The Visual ISO Base Media File Format Viewer";
const char* const CMainFrame::kOpenFailedText = "Cannot open the file.";

CMainFrame::CMainFrame(ISettingsStore& settings, CShellPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_prompts(prompts), m_folders(settings, prompts) {
    InitShellResources();
    setWindowTitle(QString::fromUtf8(kStartTitle));
    setWindowIcon(LoadIcon("orvex"));
    // No menu of toolbars on a right click: the "View" menu shows and hides them.
    setContextMenuPolicy(Qt::NoContextMenu);
    resize(900, 680);
    setAcceptDrops(true);

    CreatePanes();
    CreateActions();
    CreateMenus();
    CreateToolBar();

    m_statusLabel = new QLabel(QString::fromLatin1(kIdleText), this);
    m_statusLabel->setObjectName(QStringLiteral("statusText"));
    // Menu prompts cover this text while a menu is open and give it back afterwards.
    statusBar()->addWidget(m_statusLabel, 1);
    m_parseProgress = new QProgressBar(this);
    m_parseProgress->setObjectName(QStringLiteral("parseProgress"));
    m_parseProgress->setRange(0, kProgressSteps);
    m_parseProgress->setMaximumWidth(200);
    m_parseProgress->hide();
    statusBar()->addPermanentWidget(m_parseProgress);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelParsing"));
    m_cancelButton->setFocusPolicy(Qt::NoFocus);
    m_cancelButton->hide();
    connect(m_cancelButton, &QPushButton::clicked, this, &CMainFrame::OnCancelParsing);
    statusBar()->addPermanentWidget(m_cancelButton);

    m_recentFiles.ReadFromSettings(m_settings);
    RebuildRecentMenu();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreatePanes() {
    // The log view exists before the box view: the document writes its parses to it.
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_logPane = new COrvexPaneContainer(QStringLiteral("Logs"), m_splitter);
    m_logView = new COrvexLogView(m_logPane);
    m_logPane->SetClient(m_logView);
    // The hex pane stands beside the box view rather than below it: its rows have a fixed
    // width, and both panes scroll through long lists, which want all the height there is.
    m_boxSplitter = new QSplitter(Qt::Horizontal, m_splitter);
    m_boxSplitter->setObjectName(QStringLiteral("boxSplitter"));
    m_boxSplitter->setChildrenCollapsible(false);
    m_view = new COrvexView(m_logView, m_settings, m_prompts, m_boxSplitter);
    m_hexPane = new CHexPane(m_view->GetDocument(), m_boxSplitter);
    m_boxSplitter->addWidget(m_view);
    m_boxSplitter->addWidget(m_hexPane);
    m_boxSplitter->setStretchFactor(0, 1);
    m_boxSplitter->setStretchFactor(1, 1);
    m_hexPane->setVisible(GetFlagSetting(m_settings, kHexPaneSetting, false));
    m_splitter->addWidget(m_boxSplitter);
    m_splitter->addWidget(m_logPane);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);

    connect(m_view, &COrvexView::busyChanged, this, &CMainFrame::OnBusyChanged);
    connect(m_view, &COrvexView::parseProgress, this, &CMainFrame::OnParseProgress);
    connect(m_view, &COrvexView::documentShown, this, [this](const QString& path) {
        m_hexPane->SetDocument(m_view->GetDocument());
        if (m_view->GetDocument().IsFileOpen())
            ShowLoadedFile(path);
        else
            ShowNoFile();
    });
    connect(m_view, &COrvexView::selectionChanged, m_hexPane, &CHexPane::ShowNode);
    connect(m_hexPane, &CHexPane::byteClicked, m_view, &COrvexView::SelectByteOffset);
}

void CMainFrame::CreateActions() {
    m_actionNew = MakeAction(this, "actionNew", QStringLiteral("&New\tCtrl+N"),
                             QStringLiteral("Create a new document"), QStringLiteral("New"));
    m_actionNew->setIcon(LoadIcon("new"));
    m_actionNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(m_actionNew, &QAction::triggered, this, &CMainFrame::OnFileNew);

    m_actionOpen = MakeAction(this, "actionOpen", QStringLiteral("&Open Media File...\tCtrl+O"),
                              QStringLiteral("Open an existing document"), QStringLiteral("Open"));
    m_actionOpen->setIcon(LoadIcon("open"));
    m_actionOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(m_actionOpen, &QAction::triggered, this, &CMainFrame::OnFileOpen);
    m_actionOpenSegmentWithInit =
        MakeAction(this, "actionOpenSegmentWithInit", QStringLiteral("Open Segment With &Init..."),
                   QStringLiteral("Open a media segment with the init segment of its tracks"),
                   QStringLiteral("Open Segment With Init"));
    connect(m_actionOpenSegmentWithInit, &QAction::triggered, this,
            &CMainFrame::OnFileOpenSegmentWithInit);

    m_actionExportText = MakeAction(this, "actionExportText", QStringLiteral("Text File"));
    connect(m_actionExportText, &QAction::triggered, this, [this] { OnExportTree(false); });
    m_actionExportIndented =
        MakeAction(this, "actionExportIndented", QStringLiteral("Text File with Indentation"));
    connect(m_actionExportIndented, &QAction::triggered, this, [this] { OnExportTree(true); });
    m_actionExportJson = MakeAction(this, "actionExportJson", QStringLiteral("JSON File"));
    connect(m_actionExportJson, &QAction::triggered, this, &CMainFrame::OnExportJson);
    m_actionOptions = MakeAction(this, "actionOptions", QStringLiteral("Options..."));
    m_actionOptions->setIcon(LoadIcon("options"));
    connect(m_actionOptions, &QAction::triggered, this, &CMainFrame::OnOptions);
    // The place of the recent files in the menu; shown greyed while the list is empty.
    m_actionRecentEmpty =
        MakeAction(this, "actionRecentEmpty", QStringLiteral("(MRU list is empty)"));
    m_actionRecentEmpty->setEnabled(false);

    m_actionExit = MakeAction(this, "actionExit", QStringLiteral("E&xit"),
                              QStringLiteral("Quit the application; prompts to save documents"),
                              QStringLiteral("Exit"));
    connect(m_actionExit, &QAction::triggered, this, &QWidget::close);

    m_actionFind = MakeAction(this, "actionFind", QStringLiteral("&Find\tCtrl+F"),
                              QStringLiteral("Find"), QStringLiteral("Find"));
    m_actionFind->setIcon(LoadIcon("find"));
    m_actionFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(m_actionFind, &QAction::triggered, this, &CMainFrame::OnFind);

    m_actionViewToolBar =
        MakeAction(this, "actionViewToolBar", QStringLiteral("&Toolbar"),
                   QStringLiteral("Show or hide the toolbar"), QStringLiteral("Toggle ToolBar"));
    m_actionViewToolBar->setCheckable(true);
    m_actionViewToolBar->setChecked(true);
    connect(m_actionViewToolBar, &QAction::toggled, this, &CMainFrame::OnViewToolBar);

    m_actionViewStatusBar = MakeAction(this, "actionViewStatusBar", QStringLiteral("&Status Bar"),
                                       QStringLiteral("Show or hide the status bar"),
                                       QStringLiteral("Toggle StatusBar"));
    m_actionViewStatusBar->setCheckable(true);
    m_actionViewStatusBar->setChecked(true);
    connect(m_actionViewStatusBar, &QAction::toggled, this, &CMainFrame::OnViewStatusBar);

    m_actionViewHexPane = MakeAction(this, "actionViewHexPane", QStringLiteral("&Hex Pane"),
                                     QStringLiteral("Show or hide the bytes of the selected box"),
                                     QStringLiteral("Toggle Hex Pane"));
    m_actionViewHexPane->setCheckable(true);
    m_actionViewHexPane->setChecked(!m_hexPane->isHidden());
    connect(m_actionViewHexPane, &QAction::toggled, this, &CMainFrame::OnViewHexPane);

    m_actionStartParsing =
        MakeAction(this, "actionStartParsing", QStringLiteral("&Start Parsing"),
                   QStringLiteral("Start parsing"), QStringLiteral("Start parsing"));
    m_actionStartParsing->setIcon(LoadIcon("parse"));
    connect(m_actionStartParsing, &QAction::triggered, this, &CMainFrame::OnStartParsing);
    m_actionCancelParsing =
        MakeAction(this, "actionCancelParsing", QStringLiteral("&Cancel Parsing\tEsc"),
                   QStringLiteral("Stop the parse under way"), QStringLiteral("Cancel parsing"));
    m_actionCancelParsing->setShortcut(QKeySequence(Qt::Key_Escape));
    m_actionCancelParsing->setEnabled(false);
    connect(m_actionCancelParsing, &QAction::triggered, this, &CMainFrame::OnCancelParsing);

    m_actionClearLog = MakeAction(this, "actionClearLog", QStringLiteral("&Clear Log View"));
    connect(m_actionClearLog, &QAction::triggered, this, &CMainFrame::OnClearLog);
    m_actionSaveLog = MakeAction(this, "actionSaveLog", QStringLiteral("Save to &File"));
    connect(m_actionSaveLog, &QAction::triggered, this, &CMainFrame::OnSaveLog);

    m_actionAbout = MakeAction(this, "actionAbout", QStringLiteral("&About..."));
    connect(m_actionAbout, &QAction::triggered, this, &CMainFrame::OnAbout);
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    m_fileMenu = file;
    file->addAction(m_actionNew);
    file->addAction(m_actionOpen);
    file->addAction(m_actionOpenSegmentWithInit);
    file->addSeparator();
    QMenu* exportTo = file->addMenu(QStringLiteral("&Export To"));
    exportTo->addAction(m_actionExportText);
    exportTo->addAction(m_actionExportIndented);
    exportTo->addAction(m_actionExportJson);
    file->addAction(m_actionOptions);
    file->addSeparator();
    file->addAction(m_actionRecentEmpty);
    file->addSeparator();
    file->addAction(m_actionExit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(m_actionFind);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(m_actionViewToolBar);
    view->addAction(m_actionViewStatusBar);
    view->addAction(m_actionViewHexPane);

    QMenu* process = menuBar()->addMenu(QStringLiteral("Process"));
    process->addAction(m_actionStartParsing);
    process->addAction(m_actionCancelParsing);

    QMenu* logs = menuBar()->addMenu(QStringLiteral("Logs"));
    logs->addAction(m_actionClearLog);
    logs->addAction(m_actionSaveLog);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(m_actionAbout);
}

void CMainFrame::CreateToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->addAction(m_actionNew);
    m_toolBar->addAction(m_actionOpen);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_actionStartParsing);
    m_toolBar->addAction(m_actionFind);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_actionOptions);
}

QString CMainFrame::GetStatusText() const {
    return m_statusLabel->text();
}

void CMainFrame::SetStatusText(const QString& text) {
    m_statusLabel->setText(text);
}

bool CMainFrame::OpenMediaFile(const QString& path, const QString& aftermath) {
    // Tried before the view lets go of the file it shows, which then stays.
    const std::string localPath = QFile::encodeName(path).toStdString();
    // The title and status follow when the view shows the file (documentShown).
    if (CFileReader().Open(localPath.c_str()) != 0 && m_view->OpenFile(path) != 0) return true;
    ReportOpenFailure(path, aftermath);
    return false;
}

void CMainFrame::ReportOpenFailure(const QString& path, const QString& aftermath) {
    const std::string localPath = QFile::encodeName(path).toStdString();
    QString text = MessageWithReason(QString::fromLatin1(kOpenFailedText), path,
                                     QString::fromLocal8Bit(DescribeOpenFailure(localPath)));
    if (!aftermath.isEmpty()) text += QStringLiteral("\n\n") + aftermath;
    m_prompts.ShowMessage(this, CShellPrompts::Icon::Warning, QStringLiteral("Error"), text);
}

bool CMainFrame::OpenSegmentWithInit(const QString& segment, const QString& init,
                                     const QString& aftermath) {
    // The init segment is tried first, then the segment as by "Open"; the file shown stays
    // when either fails.
    if (CFileReader().Open(QFile::encodeName(init).toStdString().c_str()) == 0) {
        ReportOpenFailure(init, aftermath);
        return false;
    }
    if (CFileReader().Open(QFile::encodeName(segment).toStdString().c_str()) == 0) {
        ReportOpenFailure(segment, aftermath);
        return false;
    }
    // The title and status follow when the view shows the pair (documentShown).
    if (m_view->OpenFile(segment, init) == 0) {
        ReportOpenFailure(init, aftermath);
        return false;
    }
    return true;
}

bool CMainFrame::OpenUserFile(const QString& path) {
    if (!OpenMediaFile(path)) return false;
    AddToRecentFiles(path);
    return true;
}

void CMainFrame::ShowLoadedFile(const QString& path) {
    const QFileInfo info(path);
    const long long kiloBytes = m_view->GetDocument().GetReader().GetFileSize() / 1024;
    const std::string status = StrFormat("Loaded File : %s, File Size : %lld KBytes",
                                         info.absoluteFilePath().toUtf8().constData(), kiloBytes);
    SetStatusText(QString::fromStdString(status));
    QString title = QStringLiteral("Orvex - ") + info.fileName();
    if (const COrvexDoc* init = m_view->GetDocument().GetInitSegment())
        title += QStringLiteral(" with ") +
                 QFileInfo(QFile::decodeName(init->GetFilePath().c_str())).fileName();
    setWindowTitle(title);
}

void CMainFrame::ShowNoFile() {
    SetStatusText(QString::fromLatin1(kNoFileText));
    setWindowTitle(QString::fromUtf8(kStartTitle));
}

QString CMainFrame::CurrentFile() const {
    return QFile::decodeName(m_view->GetDocument().GetFilePath().c_str());
}

void CMainFrame::AddToRecentFiles(const QString& path, const QString& initPath) {
    // Full paths: a file named on the command line may be relative.
    m_recentFiles.Add({QFileInfo(path).absoluteFilePath(),
                       initPath.isEmpty() ? QString() : QFileInfo(initPath).absoluteFilePath()});
    RebuildRecentMenu();
}

void CMainFrame::RebuildRecentMenu() {
    RebuildRecentFileMenu(*m_fileMenu, *m_actionRecentEmpty, m_recentFiles,
                          [this](int index) { OnRecentFile(index); });
}

void CMainFrame::OnRecentFile(int index) {
    // A recent file that opens moves to the top; one that does not is dropped from the list,
    // once the user has been told.
    m_recentFiles.OpenEntry(index, [this](const CRecentFileList::Entry& entry) {
        const QString aftermath = QStringLiteral("It is removed from the list of recent files.");
        return entry.initPath.isEmpty()
                   ? OpenMediaFile(entry.path, aftermath)
                   : OpenSegmentWithInit(entry.path, entry.initPath, aftermath);
    });
    RebuildRecentMenu();
}

void CMainFrame::OnExportTree(bool indented) {
    if (!m_view->ExportTree(indented)) ReportNothingToExport();
}

void CMainFrame::OnExportJson() {
    if (!m_view->ExportTreeJson()) ReportNothingToExport();
}

void CMainFrame::ReportNothingToExport() {
    m_prompts.ShowMessage(
        this, CShellPrompts::Icon::Warning, QStringLiteral("error"),
        QStringLiteral("can't export. check the file was opened and parsing was done."));
}

void CMainFrame::OnOptions() {
    // The options say how the next parse reads the file: the one under way is stopped first.
    m_view->CancelParse();
    COrvexOptions options(m_settings, m_prompts, this);
    options.exec();
}

void CMainFrame::OnFind() {
    if (m_findDialog == nullptr) {
        m_findDialog = new CFindBoxDlg(this);
        connect(m_findDialog, &CFindBoxDlg::findNextRequested, this, [this](const QString& name) {
            if (!m_view->FindNext(name)) {
                m_prompts.ShowMessage(m_findDialog, CShellPrompts::Icon::Information,
                                      QStringLiteral("Find"),
                                      QStringLiteral("cannot find a box any more by that name."));
            }
        });
        connect(m_findDialog, &CFindBoxDlg::cancelRequested, m_findDialog, &QWidget::hide);
    }
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

void CMainFrame::OnBusyChanged(bool busy, const QString& filePath) {
    if (busy) {
        m_statusBeforeBusy = GetStatusText();
        // A menu prompt would hide the notice.
        statusBar()->clearMessage();
        SetStatusText(QStringLiteral("Parsing ") + QFileInfo(filePath).fileName() +
                      QStringLiteral(" ..."));
    } else {
        SetStatusText(m_statusBeforeBusy);
        m_parseProgress->hide();
        m_cancelButton->hide();
    }
    m_actionCancelParsing->setEnabled(busy);
    m_actionStartParsing->setEnabled(!busy);
}

void CMainFrame::OnParseProgress(qint64 bytesDone, qint64 fileSize) {
    const qint64 steps = fileSize > 0 ? bytesDone * kProgressSteps / fileSize : 0;
    m_parseProgress->setValue(static_cast<int>(std::clamp<qint64>(steps, 0, kProgressSteps)));
    m_parseProgress->show();
    m_cancelButton->show();
}

void CMainFrame::OnCancelParsing() {
    m_view->CancelParse();
}

void CMainFrame::OnFileNew() {
    m_view->ResetView();
    ShowNoFile();
}

void CMainFrame::OnFileOpen() {
    CShellPrompts::FileDialog dialog;
    dialog.caption = QStringLiteral("Open");
    dialog.filters =
        QStringList{QStringLiteral("3gp files (*.3gp)"), QStringLiteral("mp4 files (*.mp4)"),
                    // "*" and not "*.*": most files here have no dot in their name.
                    QStringLiteral("All files (*)")};
    const QString path =
        m_folders.GetOpenFileName(this, CDialogFolders::Purpose::Open, dialog, CurrentFile());
    if (!path.isEmpty()) OpenUserFile(path);
}

void CMainFrame::OnFileOpenSegmentWithInit() {
    CShellPrompts::FileDialog dialog;
    dialog.caption = QStringLiteral("Open Media Segment");
    dialog.filters = QStringList{QStringLiteral("Media segments (*.m4s *.mp4 *.cmfv *.cmfa)"),
                                 QStringLiteral("All files (*)")};
    const QString segment =
        m_folders.GetOpenFileName(this, CDialogFolders::Purpose::Open, dialog, CurrentFile());
    if (segment.isEmpty()) return;
    dialog.caption = QStringLiteral("Open Its Init Segment");
    const QString init =
        m_folders.GetOpenFileName(this, CDialogFolders::Purpose::Open, dialog, segment);
    if (!init.isEmpty() && OpenSegmentWithInit(segment, init)) AddToRecentFiles(segment, init);
}

void CMainFrame::OnFilesDropped(const QStringList& paths) {
    if (!paths.isEmpty()) OpenUserFile(paths.front());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    OnFilesDropped(paths);
}

void CMainFrame::OnStartParsing() {
    m_view->StartParsing();
}

void CMainFrame::OnClearLog() {
    m_logView->Clear();
}

void CMainFrame::OnSaveLog() {
    CShellPrompts::FileDialog dialog;
    dialog.caption = QStringLiteral("Save As");
    dialog.filters = QStringList{QStringLiteral("Log File (*.txt)")};
    // A name typed without an extension is saved as name.Log, as logs always have been.
    dialog.defaultSuffix = QStringLiteral("Log");
    const QString path =
        m_folders.GetSaveFileName(this, CDialogFolders::Purpose::Log, dialog, CurrentFile());
    // A log that cannot be written is not reported, as it never was.
    if (!path.isEmpty()) m_logView->SaveToFile(QFile::encodeName(path).toStdString());
}

void CMainFrame::OnViewToolBar(bool visible) {
    m_toolBar->setVisible(visible);
}

void CMainFrame::OnViewStatusBar(bool visible) {
    statusBar()->setVisible(visible);
}

void CMainFrame::OnViewHexPane(bool visible) {
    m_hexPane->setVisible(visible);
    if (visible) {
        PlaceHexPane();
        m_hexPane->ShowNode(m_view->GetSelectedNode());
    }
    SetFlagSetting(m_settings, kHexPaneSetting, visible);
}

void CMainFrame::PlaceHexPane() {
    // A pane shown after the splitter was laid out would be left no room at all.
    const int width = m_boxSplitter->width() - m_boxSplitter->handleWidth();
    const int pane = std::min(width / 2, m_hexPane->sizeHint().width());
    m_boxSplitter->setSizes({width - pane, pane});
}

void CMainFrame::OnAbout() {
    CAboutDialog dialog(this);
    dialog.exec();
}

void CMainFrame::RestorePlacement() {
    const std::optional<WindowPlacement> placement = ReadWindowPlacement(m_settings);
    if (!placement) return;
    // A placement saved at another scale, or on a screen that is gone, would leave parts of the
    // window out of reach.
    QList<QRect> available;
    for (const QScreen* screen : QGuiApplication::screens())
        available << screen->availableGeometry();
    const WindowPlacement wanted = ClampToAvailableGeometry(
        WindowPlacement{placement->x, placement->y,
                        std::max(placement->width, kMinimumRestoredWidth),
                        std::max(placement->height, kMinimumRestoredHeight)},
        available);
    m_restoredPlacement = wanted;
    resize(wanted.width, wanted.height);
    move(wanted.x, wanted.y);
    FitRestoredFrame();
}

void CMainFrame::FitRestoredFrame() {
    if (!m_restoredPlacement) return;
    const int frameWidth = frameGeometry().width() - geometry().width();
    const int frameHeight = frameGeometry().height() - geometry().height();
    // Until the window system reports a frame, the outer size is the inner one.
    if (frameWidth == 0 && frameHeight == 0) return;
    const WindowPlacement placement = *m_restoredPlacement;
    m_restoredPlacement.reset();
    resize(std::max(placement.width - frameWidth, 1), std::max(placement.height - frameHeight, 1));
    move(placement.x, placement.y);
}

bool CMainFrame::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (m_restoredPlacement && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                                event->type() == QEvent::Show))
        FitRestoredFrame();
    return handled;
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_splitterPlaced) return;
    m_splitterPlaced = true;
    // The box view gets three quarters of the height, the log the quarter (rounded down).
    const int height = m_splitter->height() - m_splitter->handleWidth();
    m_splitter->setSizes({height - height / 4, height / 4});
    if (!m_hexPane->isHidden()) PlaceHexPane();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (!event->isAccepted()) return;
    m_view->CancelParse();
    m_restoredPlacement.reset();
    const QRect outer = frameGeometry();
    WriteWindowPlacement(m_settings,
                         WindowPlacement{outer.x(), outer.y(), outer.width(), outer.height()});
    m_recentFiles.WriteToSettings(m_settings);
}
