#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <optional>

#include "document/Settings.h"
#include "shell/DialogFolders.h"
#include "shell/RecentFileList.h"
#include "shell/WindowPlacement.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QToolBar;
class CShellPrompts;
class COrvexLogView;
class COrvexPaneContainer;
class COrvexView;
class CFindBoxDlg;
class CHexPane;

// The application's one window: menus, toolbar, status bar, the box view above and the "Logs"
// pane below. It routes the commands, opens media files (open dialog, dropped files, command
// line) and keeps the title and the status text.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static const char* const kStartTitle;

    CMainFrame(ISettingsStore& settings, CShellPrompts& prompts, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Places the window where it was when it was last closed, when all four values of the
    // placement can be read; otherwise the window keeps the platform's default placement.
    void RestorePlacement();

    static const char* const kOpenFailedText;

    // The open sequence: opens (and, as the settings say, parses) the file. Once the view
    // shows it, the status text and the title name the file; until then, and when its parse is
    // cancelled, they and the view still describe the file before. A file that cannot be
    // opened is named in a message with the system's reason, followed by `aftermath` when
    // given; the file shown before stays shown.
    bool OpenMediaFile(const QString& path, const QString& aftermath = {});
    // A file the user chose (open dialog, drop, command line): the open sequence, and on
    // success the file joins the recent-file list.
    bool OpenUserFile(const QString& path);
    // The open sequence for a media segment read with its init segment; a failure to open
    // either is reported as by OpenMediaFile.
    bool OpenSegmentWithInit(const QString& segment, const QString& init,
                             const QString& aftermath = {});

    COrvexView& GetView() { return *m_view; }
    COrvexLogView& GetLogView() { return *m_logView; }
    COrvexPaneContainer& GetLogPane() { return *m_logPane; }
    QSplitter& GetSplitter() { return *m_splitter; }
    CHexPane& GetHexPane() { return *m_hexPane; }
    QToolBar& GetToolBar() { return *m_toolBar; }
    const CRecentFileList& GetRecentFiles() const { return m_recentFiles; }
    QString GetStatusText() const;

    // Menu commands.
    void OnFileNew();
    void OnFileOpen();
    // Asks for a media segment, then its init segment, and shows both trees.
    void OnFileOpenSegmentWithInit();
    // The first of the dropped files is opened.
    void OnFilesDropped(const QStringList& paths);
    void OnStartParsing();
    // Stops the parse under way (Esc, the status bar's "Cancel"); the file before stays.
    void OnCancelParsing();
    void OnClearLog();
    void OnSaveLog();
    void OnViewToolBar(bool visible);
    void OnViewStatusBar(bool visible);
    // Shows or hides the hex pane beside the box view; the choice is kept in the settings.
    void OnViewHexPane(bool visible);
    void OnAbout();
    void OnExportTree(bool indented);
    void OnExportJson();
    void ReportNothingToExport();
    void OnOptions();
    void OnFind();
    void OnRecentFile(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // Files are taken anywhere in the window: the panes and bars leave drops to the frame.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePanes();
    void SetStatusText(const QString& text);
    // After a file was opened: status text with its path and size, title with its name.
    void ShowLoadedFile(const QString& path);
    // After the view was emptied: the start title and "No loaded file".
    void ShowNoFile();
    QString CurrentFile() const;
    void OnBusyChanged(bool busy, const QString& filePath);
    void OnParseProgress(qint64 bytesDone, qint64 fileSize);
    // The recent-file list takes every file (or segment with its init) opened by the user.
    void AddToRecentFiles(const QString& path, const QString& initPath = {});
    // The message for a file that cannot be opened, with the system's reason.
    void ReportOpenFailure(const QString& path, const QString& aftermath);
    void RebuildRecentMenu();
    // Once the window system has put a frame around the window, the restored outer size is
    // made exact.
    void FitRestoredFrame();
    // Gives the hex pane the width of its rows, at most half of the room beside the box view.
    void PlaceHexPane();

    ISettingsStore& m_settings;
    CShellPrompts& m_prompts;

    COrvexLogView* m_logView = nullptr;
    COrvexPaneContainer* m_logPane = nullptr;
    COrvexView* m_view = nullptr;
    QSplitter* m_splitter = nullptr;
    QSplitter* m_boxSplitter = nullptr;
    CHexPane* m_hexPane = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_statusLabel = nullptr;
    // Shown in the status bar while a parse takes long enough to be watched.
    QProgressBar* m_parseProgress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QString m_statusBeforeBusy;
    bool m_splitterPlaced = false;
    std::optional<WindowPlacement> m_restoredPlacement;

    QAction* m_actionNew = nullptr;
    QAction* m_actionOpen = nullptr;
    QAction* m_actionOpenSegmentWithInit = nullptr;
    QAction* m_actionExportText = nullptr;
    QAction* m_actionExportIndented = nullptr;
    QAction* m_actionExportJson = nullptr;
    QAction* m_actionOptions = nullptr;
    QAction* m_actionRecentEmpty = nullptr;
    QAction* m_actionExit = nullptr;
    QAction* m_actionFind = nullptr;
    QAction* m_actionViewToolBar = nullptr;
    QAction* m_actionViewStatusBar = nullptr;
    QAction* m_actionViewHexPane = nullptr;
    QAction* m_actionStartParsing = nullptr;
    QAction* m_actionCancelParsing = nullptr;
    QAction* m_actionClearLog = nullptr;
    QAction* m_actionSaveLog = nullptr;
    QAction* m_actionAbout = nullptr;
    QMenu* m_fileMenu = nullptr;
    CRecentFileList m_recentFiles;
    CDialogFolders m_folders;
    // Made on first use, owned by the frame as its Qt parent.
    CFindBoxDlg* m_findDialog = nullptr;
};
