#include "shell/BoxCommands.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>

#include "document/ParseControl.h"
#include "model/TextConversion.h"
#include "parsing/LogWriter.h"
#include "presentation/FixedMetricSurface.h"
#include "shell/ScriptedPrompts.h"

namespace {
class TestView : public IDocumentView {
public:
    IDrawingSurface& GetMeasureSurface() override { return surface; }
    void ScrollToOrigin() override {}
    void SetScrollSize(int32_t, int32_t) override {}
    void Invalidate() override {}
    void ShowWarning(const std::string&, const std::string&) override {}

    CFixedMetricSurface surface;
};

const QString kMediaFile = QStringLiteral(ORVEX_TEST_DATA_DIR "/h264_aac.mp4");

// A document with a parsed file and the commands on it, answering through scripted prompts.
struct Harness {
    explicit Harness(const QString& media = kMediaFile) {
        if (!media.isEmpty()) control.OpenFile(media.toStdString());
    }

    size_t IndexOf(const std::string& type) const {
        const auto& nodes = doc.GetViewBoxes();
        for (size_t i = 0; i < nodes.size(); ++i) {
            const CISOViewBoxLayer* layer = nodes[i]->GetShortTypeNameLayer();
            if (layer && layer->Text() == type) return i;
        }
        return nodes.size();
    }
    const CISOViewBox& Node(const std::string& type) const {
        return *doc.GetViewBoxes().at(IndexOf(type));
    }

    TestView view;
    CStringLogWriter log;
    CMemorySettingsStore settings;
    COrvexDoc doc{view, &log, settings};
    CParseControl control{doc, view, settings};
    CScriptedPrompts prompts;
    QWidget owner;
    CBoxCommands commands{doc, settings, prompts, owner};
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray BoxBytes(const CISOViewBox& node) {
    return ReadAll(kMediaFile)
        .mid(static_cast<qsizetype>(node.GetFileOffset()),
             static_cast<qsizetype>(node.GetBoxSize()));
}

QStringList TemporaryCopies() {
    return QDir(QDir::tempPath()).entryList(QStringList{QStringLiteral("_ix*")}, QDir::Files);
}
}  // namespace

class BoxCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void dumpWritesTheBoxBytes();
    void nodesThatAreNotBoxesAreNotDumped();
    void hexEditorGetsTheCopyAsOneArgument();
    void hexEditorIsAskedForWhenNoneIsSet();
    void hexEditorFailuresAreReported();
    void boxExportWritesItsTextInTextMode();
    void treeExportMatchesOrvexDump();
    void treeExportNeedsAParsedFile();
    void unwritableFilesAreReported();
    void contextMenuRunsTheCommandsOnItsNode();

private:
    // A temporary directory with a space in its name stands in for the system's.
    std::unique_ptr<QTemporaryDir> m_temp;
    QByteArray m_oldTmpDir;
};

void BoxCommandsTest::init() {
    m_temp =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/orvex box-XXXXXX"));
    QVERIFY(m_temp->isValid());
    m_oldTmpDir = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(m_temp->path()));
}

void BoxCommandsTest::cleanup() {
    qputenv("TMPDIR", m_oldTmpDir);
    m_temp.reset();
}

void BoxCommandsTest::dumpWritesTheBoxBytes() {
    Harness h;
    QVERIFY(h.doc.IsParsed());
    const CISOViewBox& trak = h.Node("trak");
    const QString out = m_temp->filePath(QStringLiteral("trak.bin"));
    h.prompts.saveAnswers = QStringList{out, QString()};
    h.commands.DumpToBinaryFile(trak);
    QCOMPARE(h.prompts.saveDialogs.size(), size_t{1});
    QCOMPARE(h.prompts.saveDialogs[0].filters,
             QStringList{QStringLiteral("Box's Dumped Binary File (*.bin)")});
    QCOMPARE(h.prompts.saveDialogs[0].defaultSuffix, QStringLiteral("bin"));
    QCOMPARE(h.prompts.saveDialogs[0].fileName, QStringLiteral("trak"));
    QVERIFY(trak.GetBoxSize() > 8);
    QCOMPARE(ReadAll(out), BoxBytes(trak));
    QVERIFY(h.prompts.messages.empty());

    // Cancelled: nothing is written.
    QFile::remove(out);
    h.commands.DumpToBinaryFile(trak);
    QVERIFY(!QFile::exists(out));
}

void BoxCommandsTest::nodesThatAreNotBoxesAreNotDumped() {
    Harness h;
    const CISOViewBox& quick = *h.doc.GetViewBoxes().front();
    QCOMPARE(quick.GetBoxSize(), uint64_t{0});
    h.commands.DumpToBinaryFile(quick);
    QVERIFY(h.prompts.saveDialogs.empty());
    QCOMPARE(h.prompts.messages.size(), size_t{1});
    QCOMPARE(h.prompts.messages[0].title, QStringLiteral("Note"));
    QCOMPARE(h.prompts.messages[0].text, QStringLiteral("This box is not appropriate for dump."));
}

namespace {
// A stand-in editor: records how many arguments it got, each argument, and a copy of the file
// it was given.
QString WriteFakeEditor(const QString& dir) {
    const QString script = dir + QStringLiteral("/fake editor.sh");
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(
        "#!/bin/sh\n"
        "here=$(dirname \"$0\")\n"
        "cp \"$1\" \"$here/seen.bin\"\n"
        "{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > \"$here/args.tmp\"\n"
        "mv \"$here/args.tmp\" \"$here/args.txt\"\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return script;
}
}  // namespace

void BoxCommandsTest::hexEditorGetsTheCopyAsOneArgument() {
    Harness h;
    const QString editor = WriteFakeEditor(m_temp->path());
    SetHexEditorPath(h.settings, editor.toStdString());
    const CISOViewBox& moov = h.Node("moov");
    h.commands.DumpAndOpenInHexEditor(moov);
    QVERIFY(h.prompts.messages.empty());

    const QString args = m_temp->filePath(QStringLiteral("args.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(args), 10000);
    const QStringList lines = QString::fromUtf8(ReadAll(args)).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("1"));
    const QString copy = lines.value(1);
    QVERIFY2(copy.startsWith(m_temp->path() + QStringLiteral("/_ix")), qPrintable(copy));
    QCOMPARE(ReadAll(m_temp->filePath(QStringLiteral("seen.bin"))), BoxBytes(moov));
    // The copy stays for the editor.
    QCOMPARE(ReadAll(copy), BoxBytes(moov));
}

void BoxCommandsTest::hexEditorIsAskedForWhenNoneIsSet() {
    Harness h;
    const QString editor = WriteFakeEditor(m_temp->path());
    // Declined: a warning, and no copy is made.
    h.commands.DumpAndOpenInHexEditor(h.Node("moov"));
    QCOMPARE(h.prompts.messages.size(), size_t{2});
    QCOMPARE(h.prompts.messages[0].icon, CShellPrompts::Icon::Information);
    QCOMPARE(h.prompts.messages[0].title, QStringLiteral("Note"));
    QCOMPARE(h.prompts.messages[0].text,
             QStringLiteral("You havn't set any hex editor yet.\nLet it set now."));
    QCOMPARE(h.prompts.messages[1].icon, CShellPrompts::Icon::Warning);
    QCOMPARE(h.prompts.messages[1].text, QStringLiteral("You havn't set any hex editor."));
    QCOMPARE(h.prompts.openDialogs.size(), size_t{1});
    QCOMPARE(h.prompts.openDialogs[0].filters.value(0),
             QStringLiteral("Hex Editor's Execution File Name (*.exe)"));
    QVERIFY(TemporaryCopies().isEmpty());

    // Chosen: stored and used at once.
    h.prompts.messages.clear();
    h.prompts.openAnswers = QStringList{editor};
    h.commands.DumpAndOpenInHexEditor(h.Node("ftyp"));
    std::string stored;
    QVERIFY(GetHexEditorPath(h.settings, stored));
    QCOMPARE(QString::fromStdString(stored), editor);
    QCOMPARE(h.prompts.messages.size(), size_t{1});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_temp->filePath(QStringLiteral("args.txt"))), 10000);
    QCOMPARE(ReadAll(m_temp->filePath(QStringLiteral("seen.bin"))), BoxBytes(h.Node("ftyp")));
}

void BoxCommandsTest::hexEditorFailuresAreReported() {
    Harness h;
    SetHexEditorPath(h.settings, WriteFakeEditor(m_temp->path()).toStdString());
    // A range beyond the file cannot be copied: the editor is not started, no copy is left.
    CISOViewBox beyond(nullptr, 0, 7000);
    beyond.SetBoxSize(4096);
    h.commands.DumpAndOpenInHexEditor(beyond);
    QCOMPARE(h.prompts.messages.size(), size_t{1});
    QCOMPARE(h.prompts.messages[0].title, QStringLiteral("Note"));
    QCOMPARE(h.prompts.messages[0].text, QStringLiteral("Operation failed"));
    QVERIFY(TemporaryCopies().isEmpty());

    // An editor that cannot be started.
    SetHexEditorPath(h.settings, m_temp->filePath(QStringLiteral("no such editor")).toStdString());
    h.commands.DumpAndOpenInHexEditor(h.Node("moov"));
    QCOMPARE(h.prompts.messages.size(), size_t{2});
    QCOMPARE(h.prompts.messages[1].text, QStringLiteral("Operation failed"));
    QTest::qWait(200);
    QVERIFY(!QFile::exists(m_temp->filePath(QStringLiteral("args.txt"))));
}

void BoxCommandsTest::boxExportWritesItsTextInTextMode() {
    Harness h;
    const CISOViewBox& mvhd = h.Node("mvhd");
    const QString out = m_temp->filePath(QStringLiteral("mvhd.txt"));
    h.prompts.saveAnswers = QStringList{out};
    h.commands.ExportToTextFile(mvhd);
    QCOMPARE(h.prompts.saveDialogs[0].filters, QStringList{QStringLiteral("Text File (*.txt)")});
    QCOMPARE(h.prompts.saveDialogs[0].defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(h.prompts.saveDialogs[0].fileName, QStringLiteral("mvhd"));
    const QByteArray bytes = ReadAll(out);
    // The plain form, every line break CR LF, ending with one more.
    const std::string text = mvhd.GetText(false);
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"),
             static_cast<qsizetype>(std::count(text.begin(), text.end(), '\n') + 1));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(QByteArray(bytes).replace("\r\n", "\n"),
             QByteArray::fromStdString(Utf8ToSingleByte(text + "\n")));
}

void BoxCommandsTest::treeExportMatchesOrvexDump() {
    Harness h;
    for (bool indented : {false, true}) {
        const QString out = m_temp->filePath(indented ? QStringLiteral("indented.txt")
                                                      : QStringLiteral("flat.txt"));
        h.prompts.saveAnswers = QStringList{out};
        QCOMPARE(h.commands.ExportTree(indented), 1);
        QProcess dump;
        QStringList arguments;
        if (indented) arguments << QStringLiteral("--indent");
        arguments << kMediaFile;
        dump.start(QStringLiteral(ORVEX_DUMP_PATH), arguments);
        QVERIFY(dump.waitForFinished(60000));
        QCOMPARE(dump.exitCode(), 0);
        const QByteArray expected = dump.readAllStandardOutput();
        QVERIFY(
            expected.startsWith("Parsed File Name : " + QFile::encodeName(kMediaFile) + "\r\n"));
        QCOMPARE(ReadAll(out), expected);
    }
    // Cancelled: 1, and nothing more is asked.
    QCOMPARE(h.commands.ExportTree(false), 1);
    QVERIFY(h.prompts.messages.empty());
}

void BoxCommandsTest::treeExportNeedsAParsedFile() {
    {
        Harness h{QString()};
        QCOMPARE(h.commands.ExportTree(false), 0);
        QVERIFY(h.prompts.saveDialogs.empty());
    }
    {
        // Opened but not parsed.
        Harness h{QString()};
        SetSwitchSetting(h.settings, SwitchAutoParse, false);
        QCOMPARE(h.control.OpenFile(kMediaFile.toStdString()), 1);
        QCOMPARE(h.commands.ExportTree(true), 0);
        QVERIFY(h.prompts.saveDialogs.empty());
    }
}

void BoxCommandsTest::unwritableFilesAreReported() {
    Harness h;
    const QString nowhere = m_temp->filePath(QStringLiteral("missing folder/out.txt"));
    h.prompts.saveAnswers = QStringList{nowhere, nowhere, nowhere};
    h.commands.DumpToBinaryFile(h.Node("moov"));
    h.commands.ExportToTextFile(h.Node("moov"));
    QCOMPARE(h.commands.ExportTree(false), 1);
    QCOMPARE(h.prompts.messages.size(), size_t{3});
    for (const auto& message : h.prompts.messages) {
        QCOMPARE(message.title, QStringLiteral("Note"));
        QCOMPARE(message.text, QStringLiteral("Operation failed"));
    }
    // The open media file itself is never the target of a dump.
    h.prompts.messages.clear();
    h.prompts.saveAnswers = QStringList{kMediaFile};
    const QByteArray before = ReadAll(kMediaFile);
    h.commands.DumpToBinaryFile(h.Node("ftyp"));
    QCOMPARE(h.prompts.messages.size(), size_t{1});
    QCOMPARE(ReadAll(kMediaFile), before);
}

void BoxCommandsTest::contextMenuRunsTheCommandsOnItsNode() {
    Harness h;
    const size_t trak = h.IndexOf("trak");
    std::unique_ptr<QMenu> menu = h.commands.CreateBoxContextMenu(trak);
    QCOMPARE(menu->title(), QStringLiteral("Box Context Menu"));
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions[0]->text(), QStringLiteral("&Dump This Box to Binary File"));
    QCOMPARE(actions[1]->text(), QStringLiteral("Dump This Box and Open In Hex Editor"));
    QVERIFY(actions[2]->isSeparator());
    QCOMPARE(actions[3]->text(), QStringLiteral("&Export This Box to Text File"));

    const QString out = m_temp->filePath(QStringLiteral("trak.txt"));
    h.prompts.saveAnswers = QStringList{out};
    actions[3]->trigger();
    QCOMPARE(h.prompts.saveDialogs.size(), size_t{1});
    QCOMPARE(h.prompts.saveDialogs[0].fileName, QStringLiteral("trak"));
    QVERIFY(QFile::exists(out));

    // The menu of a node that went away with its document does nothing.
    std::unique_ptr<QMenu> stale = h.commands.CreateBoxContextMenu(trak);
    h.control.ResetView();
    stale->actions()[0]->trigger();
    QCOMPARE(h.prompts.saveDialogs.size(), size_t{1});
    QVERIFY(h.prompts.messages.empty());
}

QTEST_MAIN(BoxCommandsTest)
#include "BoxCommands_test.moc"
