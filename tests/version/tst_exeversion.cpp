// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The version note reader on its own: finding the note in ELF images of every
// class and byte order, refusing damaged ones, and reading the file version
// out of the note's JSON.
#include "ElfImage.h"
#include "ExeVersion.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <fstream>

using psifonomoi::testing::ElfImage;
using psifonomoi::testing::ElfNote;
using psifonomoi::testing::packageNote;
namespace ev = psifonomoi::exeversion;

namespace {

const std::string kJson = R"({"name":"psifonomoi","version":"2.0.0.0","codepage":1253})";

std::optional<std::string> findIn(const std::vector<std::byte> &bytes)
{
    return ev::findVersionInfo(ev::MemorySource(bytes));
}

ElfImage imageWith(std::vector<ElfNote> notes, bool is64 = true, bool bigEndian = false)
{
    ElfImage image;
    image.is64 = is64;
    image.bigEndian = bigEndian;
    image.notes = std::move(notes);
    return image;
}

void writeFile(const QString &path, const std::vector<std::byte> &bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

class TestExeVersion : public QObject
{
    Q_OBJECT

private slots:
    void findsTheNote_data()
    {
        QTest::addColumn<bool>("is64");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<bool>("segment");
        QTest::addColumn<bool>("section");
        for (const bool is64 : {false, true})
            for (const bool be : {false, true})
                for (const auto &[seg, sec] : {std::pair{true, true}, {true, false}, {false, true}})
                    QTest::addRow("%s-%s-%s", is64 ? "64" : "32", be ? "be" : "le",
                                  seg && sec ? "both"
                                  : seg      ? "segment"
                                             : "section")
                        << is64 << be << seg << sec;
    }
    void findsTheNote()
    {
        QFETCH(bool, is64);
        QFETCH(bool, bigEndian);
        QFETCH(bool, segment);
        QFETCH(bool, section);
        // Other notes come first in real files; a look-alike must not match.
        ElfImage image = imageWith({{std::string("GNU", 4), 3, std::string(20, '\x11')},
                                    {std::string("FDO", 4), 1, "wrong type"},
                                    {std::string("FDOX", 5), 0xcafe1a7eU, "wrong owner"},
                                    packageNote(kJson)},
                                   is64, bigEndian);
        image.noteSegment = segment;
        image.noteSection = section;
        const auto info = findIn(image.build());
        QVERIFY(info.has_value());
        QCOMPARE(*info, kJson + std::string(1, '\0'));
        const auto fixed = ev::queryFixedFileInfo(*info);
        QVERIFY(fixed.has_value());
        QCOMPARE(fixed->fileVersionMS, 0x00020000U);
        QCOMPARE(fixed->fileVersionLS, 0U);
    }

    void noNoteIsNoInfo()
    {
        QVERIFY(!findIn(imageWith({{std::string("GNU", 4), 3, "abcd"}}).build()));
        QVERIFY(!findIn(imageWith({}).build()));
    }

    // Every damage must give "no information", never a read outside the image
    // (the sanitizer build checks the latter).
    void refusesDamagedImages_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::addColumn<quint64>("value");
        QTest::addColumn<bool>("sections");
        // Offsets for the 64-bit little-endian image built below.
        QTest::newRow("magic") << 1 << 1 << quint64('X') << true;
        QTest::newRow("class 3") << 4 << 1 << quint64(3) << true;
        QTest::newRow("byte order 0") << 5 << 1 << quint64(0) << true;
        QTest::newRow("ident version 0") << 6 << 1 << quint64(0) << true;
        QTest::newRow("phoff beyond end") << 32 << 8 << quint64(0x10000) << true;
        QTest::newRow("phoff wraps") << 32 << 8 << ~quint64(0) << true;
        QTest::newRow("shoff beyond end") << 40 << 8 << quint64(0x10000) << true;
        QTest::newRow("phentsize too small") << 54 << 2 << quint64(55) << true;
        QTest::newRow("shentsize too small") << 58 << 2 << quint64(63) << true;
        QTest::newRow("phnum too many") << 56 << 2 << quint64(0xfffe) << true;
        QTest::newRow("phnum escape without sections") << 56 << 2 << quint64(0xffff) << false;
        QTest::newRow("segment offset beyond end") << 64 + 8 << 8 << quint64(0x10000) << true;
        QTest::newRow("segment size beyond end") << 64 + 32 << 8 << quint64(0x10000) << true;
        QTest::newRow("segment offset wraps") << 64 + 8 << 8 << ~quint64(0) << true;
        QTest::newRow("note namesz huge") << 120 << 4 << quint64(0xffffffff) << true;
        QTest::newRow("note descsz huge") << 124 << 4 << quint64(0xffffffff) << true;
        QTest::newRow("note descsz past region") << 124 << 4 << quint64(0x1000) << true;
    }
    void refusesDamagedImages()
    {
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(quint64, value);
        QFETCH(bool, sections);
        ElfImage image = imageWith({packageNote(kJson)});
        image.noteSection = sections;
        std::vector<std::byte> bytes = image.build();
        QCOMPARE(image.notesOffset, std::size_t(120)); // the offsets above rely on it
        QVERIFY(findIn(bytes).has_value());
        image.set(bytes, std::size_t(offset), std::size_t(width), value);
        QVERIFY(!findIn(bytes).has_value());
    }

    // Without a section header table, a section count is meaningless: it must
    // not make the reader walk a table that is not there.
    void sectionCountWithoutTable()
    {
        ElfImage image = imageWith({packageNote(kJson)});
        image.noteSection = false;
        std::vector<std::byte> bytes = image.build();
        image.set(bytes, 60, 2, 5); // e_shnum, with e_shoff still 0
        QVERIFY(findIn(bytes).has_value());
    }

    void refusesEveryTruncation_data()
    {
        QTest::addColumn<bool>("is64");
        QTest::addColumn<bool>("bigEndian");
        for (const bool is64 : {false, true})
            for (const bool be : {false, true})
                QTest::addRow("%s-%s", is64 ? "64" : "32", be ? "be" : "le") << is64 << be;
    }
    void refusesEveryTruncation()
    {
        QFETCH(bool, is64);
        QFETCH(bool, bigEndian);
        const std::vector<std::byte> whole =
            imageWith({packageNote(kJson)}, is64, bigEndian).build();
        QVERIFY(findIn(whole).has_value());
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const std::vector<std::byte> cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
            if (findIn(cut).has_value())
                QFAIL(qPrintable(
                    QStringLiteral("accepted at %1 of %2 bytes").arg(n).arg(whole.size())));
        }
    }

    void fileVersion_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<quint32>("ms");
        QTest::addColumn<quint32>("ls");
        auto ok = [](const char *name, QByteArray block, quint32 ms, quint32 ls) {
            QTest::newRow(name) << block << true << ms << ls;
        };
        auto bad = [](const char *name, QByteArray block) {
            QTest::newRow(name) << block << false << 0U << 0U;
        };
        ok("ours", QByteArray(R"({"version":"2.0.0.0","language":"0x0408","codepage":1253})"),
           0x00020000, 0);
        ok("ten twelve", R"({"version":"10.12.3.4"})", 0x000a000c, 0x00030004);
        ok("largest", R"({"version":"65535.65535.65535.65535"})", 0xffffffff, 0xffffffff);
        ok("leading zeros", R"({"version":"02.00.0.0"})", 0x00020000, 0);
        ok("nul padding", QByteArray(R"({"version":"1.2.3.4"})") + QByteArray(3, '\0'), 0x00010002,
           0x00030004);
        ok("white space", " {\n\t\"version\" : \"1.2.3.4\" ,\"x\":[1,-2.5e+3,true,null,{}]}\r\n",
           0x00010002, 0x00030004);
        ok("escaped", R"({"ver\u0073ion":"\u0031.2.3.4","a\"b":"\\"})", 0x00010002, 0x00030004);
        ok("nested version ignored", R"({"x":{"version":"9.9.9.9"},"version":"1.2.3.4"})",
           0x00010002, 0x00030004);
        bad("above 16 bits", R"({"version":"70000.1.2.3"})");
        bad("just above 16 bits", R"({"version":"1.2.3.65536"})");
        bad("long digits", R"({"version":"99999999999999999999.0.0.0"})");
        bad("two numbers", R"({"version":"2.0"})");
        bad("five numbers", R"({"version":"1.2.3.4.5"})");
        bad("letters", R"({"version":"abc"})");
        bad("empty number", R"({"version":"1..2.3"})");
        bad("trailing dot", R"({"version":"1.2.3.4."})");
        bad("sign", R"({"version":"-1.2.3.4"})");
        bad("plus", R"({"version":"+1.2.3.4"})");
        bad("space inside", R"({"version":" 1.2.3.4"})");
        bad("suffix", R"({"version":"1.2.3.4x"})");
        bad("empty version", R"({"version":""})");
        bad("number not string", R"({"version":2.0})");
        bad("object not string", R"({"version":{"major":2}})");
        bad("missing", R"({"name":"psifonomoi"})");
        bad("only nested", R"({"x":{"version":"1.2.3.4"}})");
        bad("twice", R"({"version":"1.2.3.4","version":"1.2.3.4"})");
        bad("array", R"(["version","1.2.3.4"])");
        bad("unterminated string", R"({"version":"1.2.3.4)");
        bad("unterminated object", R"({"version":"1.2.3.4")");
        bad("trailing garbage", R"({"version":"1.2.3.4"}x)");
        bad("trailing comma", R"({"version":"1.2.3.4",})");
        bad("bad escape", R"({"version":"1.2.3.4","x":"\q"})");
        bad("short unicode escape", R"({"version":"1.2.3.4","x":"\u12"})");
        bad("control character", QByteArray("{\"version\":\"1.2.3.4\",\"x\":\"a\nb\"}"));
        bad("bad number", R"({"version":"1.2.3.4","x":01})");
        bad("bad literal", R"({"version":"1.2.3.4","x":tru})");
        bad("nul inside", QByteArray("{\"version\":\"1.2.3.4\"}\0x", 23));
        bad("empty", "");
        bad("deep nesting", "{\"x\":" + QByteArray(100000, '[') + QByteArray(100000, ']') +
                                ",\"version\":\"1.2.3.4\"}");
    }
    void fileVersion()
    {
        QFETCH(QByteArray, block);
        QFETCH(bool, valid);
        const auto fixed = ev::queryFixedFileInfo(std::string_view(block.data(), block.size()));
        QCOMPARE(fixed.has_value(), valid);
        if (valid) {
            QTEST(fixed->fileVersionMS, "ms");
            QTEST(fixed->fileVersionLS, "ls");
        }
    }

    void filesThatAreNotExecutables()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeFile(dir.filePath("empty"), {});
        QVERIFY(::mkfifo(dir.filePath("fifo").toLocal8Bit().constData(), 0600) == 0);
        // A FIFO must be refused at once, not waited on for a writer.
        // "" names the directory itself.
        for (const char *name : {"missing", "empty", "fifo", ""})
            QCOMPARE(ev::versionInfoSize(dir.filePath(QString::fromLatin1(name)).toStdString()),
                     std::size_t(0));
        QCOMPARE(ev::versionInfoSize(""), std::size_t(0));
        QCOMPARE(ev::versionInfoSize(std::string("/proc/self/exe\0x", 16)), std::size_t(0));
    }

    void readsWhatTheSizeAnnounced()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("image");
        writeFile(path, imageWith({packageNote(kJson)}).build());
        const std::size_t size = ev::versionInfoSize(path.toStdString());
        QCOMPARE(size, kJson.size() + 1);
        std::vector<char> block(size);
        QVERIFY(ev::readVersionInfo(path.toStdString(), block));
        QCOMPARE(std::string(block.data(), block.size()), kJson + std::string(1, '\0'));
        // A block of another size means the file changed between the questions.
        std::vector<char> wrong(size - 1);
        QVERIFY(!ev::readVersionInfo(path.toStdString(), wrong));
    }
};

QTEST_APPLESS_MAIN(TestExeVersion)
#include "tst_exeversion.moc"
