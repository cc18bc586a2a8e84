#include "shell/BoxCommands.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <string>

#include "model/TextConversion.h"
#include "shell/ShellTestSupport.h"
#include "support/TestDocumentView.h"

namespace {

const QString kMediaFile = TestDataFile("h264_aac.mp4");

// The commands on a document of a real file, answering through scripted prompts. The system's
// temporary folder, where the hex editor's copies go, is a folder of ours with a space in its
// name while the harness lives.
struct Harness : TestDocument {
    Harness() {
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        control.OpenFile(kMediaFile.toStdString());
    }
    ~Harness() { qputenv("TMPDIR", oldTmpDir); }

    const CISOViewBox& Node(const std::string& type) { return TestDocument::Node(IndexOf(type)); }
    QString Path(const char* name) const { return temp.filePath(QString::fromLatin1(name)); }
    QStringList Copies() const { return QDir(temp.path()).entryList({QStringLiteral("_ix*")}); }

    // A stand-in hex editor: writes its argument count and arguments, one a line, and a copy of
    // the file it was given beside itself.
    QString FakeEditor() const {
        QFile file(Path("fake editor.sh"));
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write(
            "#!/bin/sh\nhere=$(dirname \"$0\")\ncp \"$1\" \"$here/seen.bin\"\n"
            "{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > \"$here/args.tmp\"\n"
            "mv \"$here/args.tmp\" \"$here/args.txt\"\n");
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return file.fileName();
    }

    const QByteArray oldTmpDir = qgetenv("TMPDIR");
    const QTemporaryDir temp{QDir::tempPath() + QStringLiteral("/orvex box-XXXXXX")};
    CScriptedPrompts prompts;
    QWidget owner;
    CBoxCommands commands{doc, settings, prompts, owner};
};

QByteArray BoxBytes(const CISOViewBox& node) {
    return ReadWholeFile(kMediaFile)
        .mid(qsizetype(node.GetFileOffset()), qsizetype(node.GetBoxSize()));
}

}  // namespace

class BoxCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void theContextMenuDumpsAndExportsItsNode() {
        Harness h;
        std::unique_ptr<QMenu> menu = h.commands.CreateBoxContextMenu(h.IndexOf("trak"));
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{"&Dump This Box to Binary File",
                                     "Dump This Box and Open In Hex Editor", "",
                                     "&Export This Box to Text File"}));
        QVERIFY(menu->actions()[2]->isSeparator());

        // The dump: the box's bytes, header and all.
        h.prompts.saveAnswers = QStringList{h.Path("trak.bin"), h.Path("trak.txt")};
        menu->actions()[0]->trigger();
        const CShellPrompts::FileDialog& dump = h.prompts.saveDialogs.at(0);
        QCOMPARE(dump.filters, QStringList{QStringLiteral("Box's Dumped Binary File (*.bin)")});
        QCOMPARE(dump.defaultSuffix + QLatin1Char(' ') + dump.fileName, QStringLiteral("bin trak"));
        // Each purpose starts in the media file's folder until a file was chosen for it.
        const QString mediaFolder = QFileInfo(kMediaFile).absolutePath();
        QCOMPARE(dump.directory, mediaFolder);
        QCOMPARE(ReadWholeFile(h.Path("trak.bin")), BoxBytes(h.Node("trak")));
        // The export: the node's plain text form and one more line break, in CR LF, one byte
        // each.
        menu->actions()[3]->trigger();
        const CShellPrompts::FileDialog& text = h.prompts.saveDialogs.at(1);
        QCOMPARE(text.defaultSuffix + QLatin1Char(' ') + text.fileName, QStringLiteral("txt trak"));
        QCOMPARE(text.directory, mediaFolder);
        std::string expected;
        AppendSingleByte(h.Node("trak").GetText(false) + "\n", expected, true);
        QCOMPARE(ReadWholeFile(h.Path("trak.txt")), QByteArray::fromStdString(expected));
        // Once a file was chosen for a purpose, its folder is where that purpose starts next.
        QCOMPARE(h.commands.ExportTree(false), 1);
        QCOMPARE(h.prompts.saveDialogs.at(2).directory, h.temp.path());

        // Quick Information is no box of the file.
        h.commands.DumpToBinaryFile(h.doc.GetNodes().Node(0));
        QCOMPARE(h.prompts.messages.at(0).title + ": " + h.prompts.messages[0].text,
                 QStringLiteral("Note: This box is not appropriate for dump."));
        // A menu whose node went with its document does nothing.
        h.control.ResetView();
        menu->actions()[0]->trigger();
        QCOMPARE(h.prompts.saveDialogs.size(), size_t{3});
        QCOMPARE(h.prompts.messages.size(), size_t{1});
    }

    void theHexEditorIsAskedForThenGetsTheCopyAsOneArgument() {
        Harness h;
        // Declined: a warning, and no copy is made.
        h.commands.DumpAndOpenInHexEditor(h.Node("moov"));
        QCOMPARE(h.prompts.messages.size(), size_t{2});
        QCOMPARE(h.prompts.messages[0].text,
                 QStringLiteral("You havn't set any hex editor yet.\nLet it set now."));
        QCOMPARE(h.prompts.messages[1].icon, CShellPrompts::Icon::Warning);
        QCOMPARE(h.prompts.messages[1].text, QStringLiteral("You havn't set any hex editor."));
        QVERIFY(h.Copies().isEmpty());

        // Chosen: stored, and started at once on a copy of the box, which is kept while the
        // commands last.
        auto commands = std::make_unique<CBoxCommands>(h.doc, h.settings, h.prompts, h.owner);
        h.prompts.openAnswers = QStringList{h.FakeEditor()};
        commands->DumpAndOpenInHexEditor(h.Node("moov"));
        std::string stored;
        QVERIFY(GetHexEditorPath(h.settings, stored));
        QCOMPARE(QString::fromStdString(stored), h.FakeEditor());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(h.Path("args.txt")), 10000);
        const QStringList args = QString::fromUtf8(ReadWholeFile(h.Path("args.txt"))).split('\n');
        QCOMPARE(args.value(0), QStringLiteral("1"));
        QVERIFY2(args.value(1).startsWith(h.Path("_ix")), qPrintable(args.value(1)));
        QCOMPARE(ReadWholeFile(h.Path("seen.bin")), BoxBytes(h.Node("moov")));
        QCOMPARE(ReadWholeFile(args.value(1)), BoxBytes(h.Node("moov")));
        QCOMPARE(h.prompts.messages.size(), size_t{3});  // asked again, nothing failed
        QFile::remove(h.Path("args.txt"));
        commands->DumpAndOpenInHexEditor(h.Node("ftyp"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(h.Path("args.txt")), 10000);
        QCOMPARE(commands->GetTemporaryFiles().size(), size_t{2});
        QCOMPARE(h.Copies().size(), 2);
        // Gone with the commands, when Orvex exits; a copy removed meanwhile is no trouble.
        QFile::remove(commands->GetTemporaryFiles().back());
        commands.reset();
        QVERIFY2(h.Copies().isEmpty(), qPrintable(h.Copies().join(QLatin1Char(' '))));
    }

    void failuresNameTheFileAndTheSystemsReason() {
        Harness h;
        const QString nowhere = h.Path("missing folder/out.txt");
        const QString missingEditor = h.Path("no such editor");
        const QString noSuchFile = QStringLiteral(": No such file or directory");
        const struct {
            const char* what;
            QString editor;  // empty: the fake one
            QString answer;  // the file chosen in the save dialog
            std::function<void(CBoxCommands&, Harness&)> run;
            QString path, reason;
        } cases[] = {
            // A range beyond the file cannot be copied; the copy is removed at once.
            {"copy beyond the file",
             {},
             {},
             [](CBoxCommands& c, Harness&) {
                 CISOViewBox beyond(nullptr, 0, 7000);
                 beyond.SetBoxSize(4096);
                 c.DumpAndOpenInHexEditor(beyond);
             },
             h.Path("_ix"),
             QStringLiteral(": the system gave no reason")},
            {"editor missing",
             missingEditor,
             {},
             [](CBoxCommands& c, Harness& h) { c.DumpAndOpenInHexEditor(h.Node("moov")); },
             missingEditor,
             QStringLiteral(": execv") + noSuchFile},
            {"dump",
             {},
             nowhere,
             [](CBoxCommands& c, Harness& h) { c.DumpToBinaryFile(h.Node("moov")); },
             nowhere,
             noSuchFile},
            {"box text",
             {},
             nowhere,
             [](CBoxCommands& c, Harness& h) { c.ExportToTextFile(h.Node("moov")); },
             nowhere,
             noSuchFile},
            {"tree into /proc",
             {},
             QStringLiteral("/proc/orvex.txt"),
             [](CBoxCommands& c, Harness&) { QCOMPARE(c.ExportTree(false), 1); },
             QStringLiteral("/proc/orvex.txt"),
             noSuchFile},
            // Opened, then not written: the reason comes from the write.
            {"tree onto a full disk",
             {},
             QStringLiteral("/dev/full"),
             [](CBoxCommands& c, Harness&) { QCOMPARE(c.ExportTree(true), 1); },
             QStringLiteral("/dev/full"),
             QStringLiteral(": No space left on device")},
            {"JSON",
             {},
             nowhere,
             [](CBoxCommands& c, Harness&) { QCOMPARE(c.ExportTreeJson(), 1); },
             nowhere,
             noSuchFile},
        };
        for (const auto& c : cases) {
            h.prompts.messages.clear();
            h.prompts.saveAnswers = QStringList{c.answer};
            SetHexEditorPath(h.settings,
                             (c.editor.isEmpty() ? h.FakeEditor() : c.editor).toStdString());
            c.run(h.commands, h);
            QCOMPARE(h.prompts.messages.size(), size_t{1});
            const auto& message = h.prompts.messages[0];
            QCOMPARE(message.title, QStringLiteral("Note"));
            const QString text = message.text;
            QVERIFY2(text.startsWith(QStringLiteral("Operation failed\n\n") + c.path) &&
                         text.endsWith(c.reason),
                     qPrintable(QStringLiteral("%1: %2").arg(QString::fromLatin1(c.what), text)));
            QVERIFY2(h.Copies().isEmpty(), c.what);
        }
    }
};

QTEST_MAIN(BoxCommandsTest)
#include "BoxCommands_test.moc"
