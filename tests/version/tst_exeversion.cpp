// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The version note reader on its own: finding the note in ELF images of every
// class and byte order, refusing damaged or hostile ones, and reading the file
// version out of the note's JSON.
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
const QByteArray kBlock = QByteArray::fromStdString(kJson) + '\0';

std::optional<QByteArray> FindIn(const std::vector<std::byte> &bytes)
{
    return ev::FindVersionInfo(bytes);
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
        image.noteSegments = segment ? 1 : 0;
        image.noteSections = section ? 1 : 0;
        const auto info = FindIn(image.build());
        QVERIFY(info.has_value());
        QCOMPARE(*info, kBlock);
        const auto fixed = ev::QueryFixedFileInfo(*info);
        QVERIFY(fixed.has_value());
        QCOMPARE(fixed->fileVersionMS, 0x00020000U);
        QCOMPARE(fixed->fileVersionLS, 0U);
    }

    void noNoteIsNoInfo()
    {
        QVERIFY(!FindIn(imageWith({{std::string("GNU", 4), 3, "abcd"}}).build()));
        QVERIFY(!FindIn(imageWith({}).build()));
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
        image.noteSections = sections ? 1 : 0;
        std::vector<std::byte> bytes = image.build();
        QCOMPARE(image.notesOffset, std::size_t(120)); // the offsets above rely on it
        QVERIFY(FindIn(bytes).has_value());
        image.set(bytes, std::size_t(offset), std::size_t(width), value);
        QVERIFY(!FindIn(bytes).has_value());
    }

    // Without a section header table, a section count is meaningless: it must
    // not make the reader walk a table that is not there.
    void sectionCountWithoutTable()
    {
        ElfImage image = imageWith({packageNote(kJson)});
        image.noteSections = 0;
        std::vector<std::byte> bytes = image.build();
        image.set(bytes, 60, 2, 5); // e_shnum, with e_shoff still 0
        QVERIFY(FindIn(bytes).has_value());
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
        QVERIFY(FindIn(whole).has_value());
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const std::vector<std::byte> cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
            if (FindIn(cut).has_value())
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
        bad("array", R"(["version","1.2.3.4"])");
        bad("trailing garbage", R"({"version":"1.2.3.4"}x)");
        bad("nul inside", QByteArray("{\"version\":\"1.2.3.4\"}\0x", 23));
        bad("empty", "");
    }
    void fileVersion()
    {
        QFETCH(QByteArray, block);
        QFETCH(bool, valid);
        const auto fixed = ev::QueryFixedFileInfo(block);
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
            QVERIFY(!ev::ReadVersionInfo(dir.filePath(QString::fromLatin1(name))));
        QVERIFY(!ev::ReadVersionInfo(QString()));
        QVERIFY(!ev::ReadVersionInfo(QString::fromLatin1("/proc/self/exe\0x", 16)));

        writeFile(dir.filePath("image"), imageWith({packageNote(kJson)}).build());
        QCOMPARE(ev::ReadVersionInfo(dir.filePath("image")).value_or(QByteArray()), kBlock);
    }

    // Half a million note headers, all listing the same megabyte of notes:
    // the reader must give up within its budget rather than walk them all.
    void hostileNoteTables()
    {
        ElfImage image;
        image.notes.assign(1024 * 1024 / 12, ElfNote{}); // empty notes, 12 bytes each
        image.noteSegments = 250000;
        image.noteSections = 250000;
        const std::vector<std::byte> bytes = image.build();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeFile(dir.filePath("hostile"), bytes);
        QVERIFY(!ev::ReadVersionInfo(dir.filePath("hostile")));
        QVERIFY(!FindIn(bytes));

        // The same tables with our note at the end of that megabyte are read:
        // the first region holds it, well within the budget.
        image.notes.push_back(packageNote(kJson));
        QCOMPARE(FindIn(image.build()).value_or(QByteArray()), kBlock);
    }
};

QTEST_APPLESS_MAIN(TestExeVersion)
#include "tst_exeversion.moc"
