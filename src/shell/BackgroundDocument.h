#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "document/DocumentView.h"
#include "document/OrvexDoc.h"
#include "document/Settings.h"
#include "parsing/LogWriter.h"
#include "parsing/ParseProgress.h"
#include "shell/QtDrawingSurface.h"

// A log that a parse on a worker thread writes into: the text is held until the window's
// thread takes it, in the order written. Once attached to the window's log it writes there
// directly.
class CQueuedLogWriter : public CLogWriterBase {
public:
    int PrintText(std::string_view text) override;
    int Clear() override;
    int SaveToFile(const std::string& fileName) override;
    // The text written since the last call.
    std::string TakeText();
    // From now on text goes straight to `target`; nothing may write from another thread then.
    void Attach(ILogWriter* target);

private:
    std::mutex m_mutex;
    std::string m_text;
    ILogWriter* m_target = nullptr;
};

// What a document parsed off the window's thread sees of its view: its own surface to measure
// on and nothing else, until the document is shown; then everything goes to the real view.
class CRelayDocumentView : public IDocumentView {
public:
    explicit CRelayDocumentView(const FontSpec& font) : m_font(font) {}
    // Made on the thread that measures with it: fonts belong to the thread that loaded them.
    void MakeSurface();
    void Attach(IDocumentView& target) { m_target = &target; }

    IDrawingSurface& GetMeasureSurface() override;
    void ScrollToOrigin() override;
    void SetScrollSize(int32_t width, int32_t height) override;
    void Invalidate() override;
    // The window shows a failed parse's message itself once the document is shown.
    void ShowWarning(const std::string& title, const std::string& text) override;

private:
    FontSpec m_font;
    std::unique_ptr<CQtDrawingSurface> m_surface;
    IDocumentView* m_target = nullptr;
};

// One document with everything it reaches, made to be parsed on a worker thread while the
// window goes on showing the document before it. The switches are copied when it is made, so
// the parse reads no settings the window may change. Destroying it cancels a parse still
// running and waits for the thread.
class CBackgroundDocument {
public:
    CBackgroundDocument(const ISettingsStore& settings, const FontSpec& font);
    ~CBackgroundDocument();
    CBackgroundDocument(const CBackgroundDocument&) = delete;
    CBackgroundDocument& operator=(const CBackgroundDocument&) = delete;

    bool Open(const std::string& path);
    // Starts the parse on its own thread; `beforeBox` is the progress hook (may be empty).
    void StartParse(std::function<void(const CParseProgress&)> beforeBox);
    void Cancel() { m_progress.cancelRequested.store(true, std::memory_order_relaxed); }
    bool IsParsing() const { return m_worker.joinable(); }
    // Waits at most `timeout` for the parse to end; true when it has.
    bool WaitFor(std::chrono::milliseconds timeout);
    // Waits for the parse to end and the thread to finish; the parse result (ParseOk without
    // a parse).
    int32_t Join();
    uint64_t GetBytesDone() const { return m_progress.bytesDone.load(std::memory_order_relaxed); }
    uint64_t GetFileSize() const { return m_fileSize; }
    const std::string& GetPath() const { return m_path; }
    std::string TakeLogText() { return m_log.TakeText(); }
    // Hands the document to the window's view and log. Only after Join.
    void Attach(IDocumentView& view, ILogWriter* log);
    COrvexDoc& GetDocument() { return *m_document; }

private:
    CMemorySettingsStore m_settings;
    CQueuedLogWriter m_log;
    CRelayDocumentView m_view;
    CParseProgress m_progress;
    std::string m_path;
    uint64_t m_fileSize = 0;
    int32_t m_result = 0;
    std::mutex m_doneMutex;
    std::condition_variable m_doneSignal;
    bool m_done = false;
    // After everything it reads; the worker goes before all of them.
    std::unique_ptr<COrvexDoc> m_document;
    std::thread m_worker;
};
