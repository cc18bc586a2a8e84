#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "document/BoxFinder.h"
#include "document/DocumentView.h"
#include "document/OrvexDoc.h"
#include "document/ParseControl.h"
#include "document/Settings.h"
#include "document/TreeGeometry.h"
#include "shell/BoxCommands.h"
#include "shell/QtDrawingSurface.h"

class ILogWriter;
class CShellPrompts;

// The box view: the document's tree of boxes, each node a stack of framed layers indented by
// its depth, with its file offset in a band at the left. It owns the document, runs the parse
// of the file the main frame opens, and lets the user expand and collapse nodes. Dropped files
// are left to the main frame.
class COrvexView : public QAbstractScrollArea, public IDocumentView {
    Q_OBJECT

public:
    // Pixels scrolled by an arrow key or one step of a scroll bar.
    static constexpr int kLineSize = 15;

    COrvexView(ILogWriter* logWriter, ISettingsStore& settings, CShellPrompts& prompts,
               QWidget* parent = nullptr);
    ~COrvexView() override;

    // The file operations of the main frame: 1 when the file was opened (whatever its parse
    // gave), 0 when it could not be; the parse result; closing the file.
    int OpenFile(const QString& path);
    int32_t StartParsing();
    void ResetView();
    // The whole tree as a text file: 0 when there is no parsed file, else 1.
    int ExportTree(bool indented);
    int ExportTreeJson();
    // Finds the next box named `name` below the top of the window, selects it and scrolls it to
    // the top, or as far up as the tree allows: 1 when one was found, 0 when none is left.
    int FindNext(const QString& name);

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
    // A long operation on the file starts (the cursor is busy) or ends.
    void busyChanged(bool busy, const QString& filePath);
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
    class BusyScope;

    void UpdateScrollBars();
    void BeginBusy(const QString& filePath);
    void EndBusy();
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
    // Declared after everything the document reaches through this view, so it goes first.
    std::unique_ptr<COrvexDoc> m_document;
    std::unique_ptr<CParseControl> m_parseControl;
    std::unique_ptr<CBoxCommands> m_boxCommands;
    CBoxFinder m_finder;
};
