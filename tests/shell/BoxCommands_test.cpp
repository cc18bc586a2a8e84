#include "shell/BoxCommands.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "document/ParseControl.h"
#include "model/TextConversion.h"
#include "parsing/LogWriter.h"
#include "presentation/FixedMetricSurface.h"
#include "shell/ShellTestSupport.h"
#include "support/TestDocumentView.h"

namespace {

const QString kMediaFile = QStringLiteral(ORVEX_TEST_DATA_DIR "/h264_aac.mp4");

// The commands on a document of a real file, answering through scripted prompts.
struct Harness {
    explicit Harness(bool autoParse = true) {
        SetSwitchSetting(settings, SwitchAutoParse, autoParse);
        control.OpenFile(kMediaFile.toStdString());
    }

    const CISOViewBox& Node(const std::string& type) {
        return *doc.GetViewBoxes().at(FindType(doc, type));
    }

    CTestDocumentView view;
    CStringLogWriter log;
    CMemorySettingsStore settings;
    COrvexDoc doc{view, &log, settings};
    CParseControl control{doc, view, settings};
    CScriptedPrompts prompts;
    QWidget owner;
    CBoxCommands commands{doc, settings, prompts, owner};
};

QByteArray BoxBytes(const CISOViewBox& node) {
    return ReadWholeFile(kMediaFile)
        .mid(static_cast<qsizetype>(node.GetFileOffset()),
             static_cast<qsizetype>(node.GetBoxSize()));
}

QStringList TemporaryCopies() {
    return QDir(QDir::tempPath()).entryList(QStringList{QStringLiteral("_ix*")}, QDir::Files);
}

// A stand-in hex editor: records its arguments, one a line after their count, and a copy of
// the file it was given, beside itself.
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

class BoxCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void dumpWritesTheBoxBytesAndRefusesOtherNodes();
    void hexEditorGetsTheCopyAsOneArgument();
    void hexEditorIsAskedForWhenNoneIsSet();
    void failuresAreReported();
    void contextMenuRunsTheCommandsOnItsNode();

private:
    // The system's temporary directory, with a space in its name.
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

void BoxCommandsTest::dumpWritesTheBoxBytesAndRefusesOtherNodes() {
    Harness h;
    const CISOViewBox& trak = h.Node("trak");
    const QString out = m_temp->filePath(QStringLiteral("trak.bin"));
    h.prompts.saveAnswers = QStringList{out};
    h.commands.DumpToBinaryFile(trak);
    QCOMPARE(h.prompts.saveDialogs.at(0).filters,
             QStringList{QStringLiteral("Box's Dumped Binary File (*.bin)")});
    QCOMPARE(h.prompts.saveDialogs[0].defaultSuffix, QStringLiteral("bin"));
    QCOMPARE(h.prompts.saveDialogs[0].fileName, QStringLiteral("trak"));
    QVERIFY(trak.GetBoxSize() > 8);
    QCOMPARE(ReadWholeFile(out), BoxBytes(trak));

    // Quick Information is no box of the file.
    h.commands.DumpToBinaryFile(*h.doc.GetViewBoxes().front());
    QCOMPARE(h.prompts.saveDialogs.size(), size_t{1});
    QCOMPARE(h.prompts.messages.size(), size_t{1});
    QCOMPARE(h.prompts.messages[0].title, QStringLiteral("Note"));
    QCOMPARE(h.prompts.messages[0].text, QStringLiteral("This box is not appropriate for dump."));
}

void BoxCommandsTest::hexEditorGetsTheCopyAsOneArgument() {
    Harness h;
    SetHexEditorPath(h.settings, WriteFakeEditor(m_temp->path()).toStdString());
    const CISOViewBox& moov = h.Node("moov");
    h.commands.DumpAndOpenInHexEditor(moov);
    QVERIFY(h.prompts.messages.empty());

    const QString args = m_temp->filePath(QStringLiteral("args.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(args), 10000);
    const QStringList lines = QString::fromUtf8(ReadWholeFile(args)).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("1"));
    const QString copy = lines.value(1);
    QVERIFY2(copy.startsWith(m_temp->path() + QStringLiteral("/_ix")), qPrintable(copy));
    QCOMPARE(ReadWholeFile(m_temp->filePath(QStringLiteral("seen.bin"))), BoxBytes(moov));
    QCOMPARE(ReadWholeFile(copy), BoxBytes(moov));  // kept for the editor
}

void BoxCommandsTest::hexEditorIsAskedForWhenNoneIsSet() {
    Harness h;
    // Declined: a warning, and no copy is made.
    h.commands.DumpAndOpenInHexEditor(h.Node("moov"));
    QCOMPARE(h.prompts.messages.size(), size_t{2});
    QCOMPARE(h.prompts.messages[0].icon, CShellPrompts::Icon::Information);
    QCOMPARE(h.prompts.messages[0].text,
             QStringLiteral("You havn't set any hex editor yet.\nLet it set now."));
    QCOMPARE(h.prompts.messages[1].icon, CShellPrompts::Icon::Warning);
    QCOMPARE(h.prompts.messages[1].text, QStringLiteral("You havn't set any hex editor."));
    QVERIFY(TemporaryCopies().isEmpty());

    // Chosen: stored, and used at once.
    const QString editor = WriteFakeEditor(m_temp->path());
    h.prompts.openAnswers = QStringList{editor};
    h.commands.DumpAndOpenInHexEditor(h.Node("ftyp"));
    std::string stored;
    QVERIFY(GetHexEditorPath(h.settings, stored));
    QCOMPARE(QString::fromStdString(stored), editor);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_temp->filePath(QStringLiteral("args.txt"))), 10000);
}

void BoxCommandsTest::failuresAreReported() {
    Harness h;
    SetHexEditorPath(h.settings, WriteFakeEditor(m_temp->path()).toStdString());
    // A range beyond the file cannot be copied: no editor, no copy left behind.
    CISOViewBox beyond(nullptr, 0, 7000);
    beyond.SetBoxSize(4096);
    h.commands.DumpAndOpenInHexEditor(beyond);
    QVERIFY(TemporaryCopies().isEmpty());
    // An editor that cannot be started; files that cannot be created.
    SetHexEditorPath(h.settings, m_temp->filePath(QStringLiteral("no such editor")).toStdString());
    h.commands.DumpAndOpenInHexEditor(h.Node("moov"));
    const QString nowhere = m_temp->filePath(QStringLiteral("missing folder/out.txt"));
    h.prompts.saveAnswers = QStringList{nowhere, nowhere, nowhere};
    h.commands.DumpToBinaryFile(h.Node("moov"));
    h.commands.ExportToTextFile(h.Node("moov"));
    QCOMPARE(h.commands.ExportTree(false), 1);

    QCOMPARE(h.prompts.messages.size(), size_t{5});
    for (const auto& message : h.prompts.messages) {
        QCOMPARE(message.title, QStringLiteral("Note"));
        QCOMPARE(message.text, QStringLiteral("Operation failed"));
    }
}

void BoxCommandsTest::contextMenuRunsTheCommandsOnItsNode() {
    Harness h;
    const size_t mvhd = FindType(h.doc, "mvhd");
    std::unique_ptr<QMenu> menu = h.commands.CreateBoxContextMenu(mvhd);
    QCOMPARE(menu->title(), QStringLiteral("Box Context Menu"));
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions[0]->text(), QStringLiteral("&Dump This Box to Binary File"));
    QCOMPARE(actions[1]->text(), QStringLiteral("Dump This Box and Open In Hex Editor"));
    QVERIFY(actions[2]->isSeparator());
    QCOMPARE(actions[3]->text(), QStringLiteral("&Export This Box to Text File"));

    // The export: the node's plain text form and one more line break, in CR LF, one byte each.
    const QString out = m_temp->filePath(QStringLiteral("mvhd.txt"));
    h.prompts.saveAnswers = QStringList{out};
    actions[3]->trigger();
    QCOMPARE(h.prompts.saveDialogs.at(0).fileName, QStringLiteral("mvhd"));
    QCOMPARE(h.prompts.saveDialogs[0].defaultSuffix, QStringLiteral("txt"));
    std::string expected;
    AppendSingleByte(h.Node("mvhd").GetText(false) + "\n", expected, true);
    QCOMPARE(ReadWholeFile(out), QByteArray::fromStdString(expected));

    // A menu whose node went with its document does nothing.
    h.control.ResetView();
    actions[0]->trigger();
    QCOMPARE(h.prompts.saveDialogs.size(), size_t{1});
    QVERIFY(h.prompts.messages.empty());
}

QTEST_MAIN(BoxCommandsTest)
#include "BoxCommands_test.moc"
