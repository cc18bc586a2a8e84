#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "document/BoxFinder.h"
#include "document/DocumentView.h"
#include "document/OrvexDoc.h"
#include "document/ParseControl.h"
#include "document/Settings.h"
#include "document/TreeGeometry.h"
#include "shell/BackgroundDocument.h"
#include "shell/BoxCommands.h"
#include "shell/QtDrawingSurface.h"

class ILogWriter;
class CShellPrompts;

// The box view: the document's tree of boxes, each node a stack of framed layers indented by
// its depth, with its file offset in a band at the left. It owns the document, runs the parse
// of the file the main frame opens, and lets the user expand and collapse nodes. Dropped files
// are left to the main frame.
//
// A file is parsed, and its tree built, on a worker thread into a new document, while the view
// goes on showing the one before; the new one replaces it only when complete. A cancelled parse
// leaves the view as it was.
class COrvexView : public QAbstractScrollArea, public IDocumentView {
    Q_OBJECT

public:
    // Pixels scrolled by an arrow key or one step of a scroll bar.
    static constexpr int kLineSize = 15;

    COrvexView(ILogWriter* logWriter, ISettingsStore& settings, CShellPrompts& prompts,
               QWidget* parent = nullptr);
    ~COrvexView() override;

    // The file operations of the main frame: 1 when the file was opened (whatever its parse
    // gives), 0 when it could not be (the file shown stays); the parse result when the parse
    // ended within the quick wait, else 0; closing the file. The parse goes on after they
    // return; documentShown says when the file is shown.
    // Opens `path` (a media segment read with the tracks of `initPath` when that is given)
    // and parses it apart from the window; 0 when a file cannot be opened.
    int OpenFile(const QString& path, const QString& initPath = {});
    int32_t StartParsing();
    void ResetView();
    bool IsParsing() const { return m_pending != nullptr; }
    // Stops the parse under way and waits for its thread; the view keeps what it shows. A parse
    // that had just ended is shown instead.
    void CancelParse();
    // Waits for the parse under way to end, and shows its file.
    void WaitForParse();
    // How long an open waits for its parse before it returns to the event loop: a small file
    // then appears at once, with no progress state in between.
    void SetQuickParseWait(std::chrono::milliseconds wait) { m_quickParseWait = wait; }
    // Called on the worker thread before each box of the parses to come (tests hold a parse
    // with it).
    void SetParseHook(std::function<void(const CParseProgress&)> hook) {
        m_parseHook = std::move(hook);
    }
    // The whole tree as a text file: 0 when there is no parsed file, else 1.
    int ExportTree(bool indented);
    int ExportTreeJson();
    // Finds the next box named `name` below the top of the window, selects it and scrolls it to
    // the top, or as far up as the tree allows: 1 when one was found, 0 when none is left.
    int FindNext(const QString& name);

    // The document shown; another object after each file shown.
    COrvexDoc& GetDocument() { return *m_document; }
    // The placements of the displayed nodes, brought up to date first.
    const CTreeGeometry& GetGeometry();
    QSize GetContentSize() const { return m_contentSize; }
    QPoint GetScrollPosition() const;

    // What lies under a point of the window (viewport coordinates).
    CTreeGeometry::Hit HitTestNode(const QPoint& point);
    // The summary of the node whose body lies under the point; empty elsewhere.
    QString GetToolTipText(const QPoint& point);
    // Expands or collapses a node by its index in the document's list, then lays the tree out
    // again.
    void ToggleNode(size_t node);

    // The selected node, an index in the document's list; none without a parsed file.
    std::optional<size_t> GetSelectedNode() const { return m_selected; }
    // Selects a displayed node and scrolls the least that shows it.
    void SelectNode(size_t node);
    // Selects the innermost node whose bytes hold `offset`, expanding the nodes above it and
    // scrolling it into sight: false when no node holds it.
    bool SelectByteOffset(uint64_t offset);
    // What assistive technology is told of the selected node: its type and name, its summary.
    QString GetSelectedName();
    QString GetSelectedSummary() const;

    // Paints what the window shows at its scroll position into `painter`, whose device has the
    // window's size. Without a file, a hint says how to get one.
    void PaintContents(QPainter& painter);
    static const char* const kEmptyHint;

    // IDocumentView
    IDrawingSurface& GetMeasureSurface() override { return m_surface; }
    void ScrollToOrigin() override;
    void SetScrollSize(int32_t width, int32_t height) override;
    void Invalidate() override;
    void ShowWarning(const std::string& title, const std::string& text) override;

signals:
    // A parse starts or ends (finished, failed or cancelled).
    void busyChanged(bool busy, const QString& filePath);
    // How far the parse is: sent while it runs, once it has taken long enough to be shown.
    void parseProgress(qint64 bytesDone, qint64 fileSize);
    // Another document is shown (GetDocument is a new object), its file at `filePath`.
    void documentShown(const QString& filePath);
    // Another node, or none, is selected; also when a file was opened or closed.
    void selectionChanged(std::optional<size_t> node);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void UpdateScrollBars();
    void BeginBusy(const QString& filePath);
    void EndBusy();
    void StartBackgroundParse(std::unique_ptr<CBackgroundDocument> pending);
    // The timer's tick during a parse: the log lines so far, the progress, the end.
    void PollParse();
    // The log lines the parse wrote since the last call, into the log pane.
    void PassOnLog(CBackgroundDocument& parsing);
    // Shows the ended parse's document, unless it was cancelled.
    void FinishParse();
    void ShowDocument(std::unique_ptr<CBackgroundDocument> shown, int32_t result);
    // The context menu of the node whose body was clicked with the right button. The box
    // commands live here.
    void ShowBoxContextMenu(size_t node, const QPoint& globalPosition);
    // The arrow, Home, End and toggle keys on the selection; false for any other key.
    bool NavigateByKey(int key);
    // Moves the selection by a page, after the window has scrolled by one.
    void SelectPageAway(int direction);
    // The placement of the selected node among the displayed ones, or the geometry's count.
    size_t SelectedPlacement();
    void ScrollToShow(size_t placement);
    // The selection of a file just opened or parsed, and the keyboard focus for it.
    void ResetSelection();
    // Changes the selection, repaints, and tells assistive technology.
    void SetSelected(std::optional<size_t> node);
    // The viewport point in content coordinates.
    int64_t ContentX(int x) const;
    int64_t ContentY(int y) const;

    ILogWriter* m_logWriter;
    ISettingsStore& m_settings;
    CShellPrompts& m_prompts;
    CQtDrawingSurface m_surface;
    CTreeGeometry m_geometry;
    bool m_geometryDirty = true;
    QSize m_contentSize{1, 1};
    QFont m_offsetFont;
    QPixmap m_containerOpen;
    QPixmap m_containerClosed;
    QPixmap m_buttonExpanded;
    QPixmap m_buttonCollapsed;
    bool m_busy = false;
    std::optional<size_t> m_selected;
    QTimer m_parseTimer;
    QElapsedTimer m_parseClock;
    std::chrono::milliseconds m_quickParseWait{40};
    std::function<void(const CParseProgress&)> m_parseHook;
    // Declared after everything the documents reach through this view, so they go first; the
    // pending one first of all, its worker joined.
    std::unique_ptr<CBackgroundDocument> m_shown;
    std::unique_ptr<CBackgroundDocument> m_pending;
    COrvexDoc* m_document = nullptr;
    std::unique_ptr<CParseControl> m_parseControl;
    std::unique_ptr<CBoxCommands> m_boxCommands;
    CBoxFinder m_finder;
};
