// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The CLI library at its edges: lines split across reads, buffers that must
// grow or flush mid-text, the decoders' bad-byte bookkeeping, escaping.
#include "Cli.h"
#include "CliOptions.h"
#include "LineDecoder.h"
#include "Lookalikes.h"
#include "OutputBuffer.h"
#include "WordValue.h"

#include <QTest>

#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace psifonomoi;
using namespace psifonomoi::cli;

namespace {

// An anonymous in-memory file, closed on destruction.
class MemFile
{
public:
    explicit MemFile(const QByteArray &contents = {}) : m_fd(::memfd_create("tst_cli_core", 0))
    {
        if (m_fd < 0 ||
            ::write(m_fd, contents.data(), size_t(contents.size())) != contents.size() ||
            ::lseek(m_fd, 0, SEEK_SET) != 0)
            qFatal("memfd");
    }
    ~MemFile() { ::close(m_fd); }
    int fd() const { return m_fd; }
    QByteArray ReadAll() const
    {
        QByteArray all;
        char chunk[4096];
        ssize_t n;
        ::lseek(m_fd, 0, SEEK_SET);
        while ((n = ::read(m_fd, chunk, sizeof chunk)) > 0)
            all.append(chunk, n);
        return all;
    }

private:
    int m_fd;
};

struct Result
{
    int status;
    QByteArray out;
    QByteArray err;
    bool operator==(const Result &) const = default;
};

Result Run(std::vector<const char *> args, const QByteArray &input, std::size_t readBuffer,
           std::size_t outputBuffer)
{
    args.insert(args.begin(), "psifonomoi-cli");
    MemFile in(input), out, err;
    IoConfig io{in.fd(), out.fd(), err.fd(), readBuffer, outputBuffer};
    const int status = RunCli(int(args.size()), args.data(), io);
    return {status, out.ReadAll(), err.ReadAll()};
}

QByteArray Escaped(const QByteArray &text, std::size_t capacity)
{
    MemFile out;
    OutputBuffer buffer(out.fd(), capacity);
    if (!buffer.AppendEscaped(std::string_view(text.data(), size_t(text.size()))) ||
        !buffer.Flush())
        return "write failed";
    return out.ReadAll();
}

} // namespace

class TestCliCore : public QObject
{
    Q_OBJECT

private slots:
    void bufferEdges_data();
    void bufferEdges();
    void rawArguments_data();
    void rawArguments();
    void escape_data();
    void escape();
    void formatDecimal_data();
    void formatDecimal();
    void decoder_data();
    void decoder();
    void parse_data();
    void parse();
    void lookalikesAddNothingAndResembleLetters();
};

void TestCliCore::bufferEdges_data()
{
    QTest::addColumn<QByteArrayList>("args");
    QTest::addColumn<QByteArray>("input");

    const QByteArray words = "Ιησούς\r\nαγάπη\n\nλ\xceγος\r\n\r\r\n\0x\nΩ\r";
    QTest::newRow("mixed lines") << QByteArrayList{} << words;
    QTest::newRow("both systems") << QByteArrayList{"-s", "both"} << words;
    QTest::newRow("explain") << QByteArrayList{"--explain"} << words;
    QTest::newRow("find") << QByteArrayList{"--find", "93"} << words;
    QTest::newRow("long line") << QByteArrayList{} << QByteArray(300, 'o') + "ω\nα";
    QTest::newRow("windows-1253") << QByteArrayList{"--encoding", "windows-1253"}
                                  << QByteArray("\xc9\xe7\xf3\r\n\xd2\xe1\n\xff");
    QTest::newRow("only newlines") << QByteArrayList{} << QByteArray("\n\n\r\n\n");
}

void TestCliCore::bufferEdges()
{
    QFETCH(QByteArrayList, args);
    QFETCH(QByteArray, input);
    std::vector<const char *> argv;
    for (const QByteArray &a : args)
        argv.push_back(a.constData());

    // Whatever the buffer sizes, the result must be the one of big buffers.
    const Result reference = Run(argv, input, 1 << 20, 1 << 20);
    QVERIFY(reference.status == 0 || reference.status == 65);
    QVERIFY(!reference.out.isEmpty());
    for (std::size_t readBuffer : {1, 2, 3, 7, 16})
        for (std::size_t outputBuffer : {1, 64, 100}) {
            const Result small = Run(argv, input, readBuffer, outputBuffer);
            QVERIFY2(small == reference, qPrintable(QString("read %1, output %2:\n%3")
                                                        .arg(readBuffer)
                                                        .arg(outputBuffer)
                                                        .arg(QString::fromUtf8(small.out))));
        }
}

void TestCliCore::rawArguments_data()
{
    // Bytes that a test cannot pass through QProcess, which re-encodes arguments.
    QTest::addColumn<QByteArrayList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    QTest::newRow("invalid argument")
        << QByteArrayList{"Α", "\xce", "Β"} << 65
        << QByteArray("1\t1\tΑ\ninvalid\tinvalid\t\\xCE\n2\t2\tΒ\n")
        << QByteArray("psifonomoi-cli: argument 2: not valid UTF-8 at byte offset 0 (0xCE)\n");
    QTest::newRow("encoded argument") << QByteArrayList{"--encoding", "ISO-8859-7", "\xe1\xb6"} << 0
                                      << QByteArray("2\t2\tαΆ\n") << QByteArray();
}

void TestCliCore::rawArguments()
{
    QFETCH(QByteArrayList, args);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    std::vector<const char *> argv;
    for (const QByteArray &a : args)
        argv.push_back(a.constData());
    const Result r = Run(argv, {}, 16, 64);
    QCOMPARE(r.err, err);
    QCOMPARE(r.out, out);
    QCOMPARE(r.status, status);
}

void TestCliCore::escape_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain Greek") << QByteArray("Ψηφόνομοι") << QByteArray("Ψηφόνομοι");
    QTest::newRow("named escapes")
        << QByteArray("a\\b\tc\nd\re\0", 10) << QByteArray("a\\\\b\\tc\\nd\\re\\0");
    QTest::newRow("other C0 and DEL")
        << QByteArray("\x01\x1b\x1f\x7f") << QByteArray("\\x01\\x1B\\x1F\\x7F");
    QTest::newRow("C1 controls") << QByteArray("\xc2\x80\xc2\x85\xc2\x9f")
                                 << QByteArray("\\u0080\\u0085\\u009F");
    QTest::newRow("printable after C2")
        << QByteArray("\xc2\xa0\xc2\xab\xc2\xbf") << QByteArray("\xc2\xa0\xc2\xab\xc2\xbf");
    QTest::newRow("longer than the buffer") << QByteArray(500, 'x') + '\t' + QByteArray(70, 'y')
                                            << QByteArray(500, 'x') + "\\t" + QByteArray(70, 'y');
}

void TestCliCore::escape()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(Escaped(text, 1 << 16), expected);
    QCOMPARE(Escaped(text, 64), expected); // runs and escapes straddling flushes
}

void TestCliCore::formatDecimal_data()
{
    QTest::addColumn<quint64>("n");
    for (quint64 n : {0ull, 7ull, 10ull, 1234567890ull, 18446744073709551615ull})
        QTest::newRow(qPrintable(QString::number(n))) << n;
}

void TestCliCore::formatDecimal()
{
    QFETCH(quint64, n);
    char buffer[20];
    const std::size_t len = FormatDecimal(n, buffer);
    QCOMPARE(QByteArray(buffer, qsizetype(len)), QByteArray::number(n));
}

void TestCliCore::decoder_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("bad"); // triples: position in text, offset in raw, byte

    QTest::newRow("UTF-8, valid") << QByteArray() << QByteArray("αβ\0γ", 7)
                                  << QByteArray("αβ\0γ", 7) << QList<int>{};
    QTest::newRow("UTF-8, cut short at the end")
        << QByteArray("utf8") << QByteArray("α\xce") << QByteArray("α") << QList<int>{2, 2, 0xCE};
    QTest::newRow("UTF-8, overlong and surrogate")
        << QByteArray("UTF-8") << QByteArray("\xc0\xafx\xed\xa0\x80") << QByteArray("x")
        << QList<int>{0, 0, 0xC0, 0, 1, 0xAF, 1, 3, 0xED, 1, 4, 0xA0, 1, 5, 0x80};
    QTest::newRow("windows-1253 undefined")
        << QByteArray("windows-1253") << QByteArray("\xaa\xe1\xd2\xff") << QByteArray("α")
        << QList<int>{0, 0, 0xAA, 2, 2, 0xD2, 2, 3, 0xFF};
    QTest::newRow("iso-8859-7 undefined") << QByteArray("iso-8859-7") << QByteArray("\xe1\xae")
                                          << QByteArray("α") << QList<int>{2, 1, 0xAE};
    // A double-byte lead cut off by the end of the line (iconv's EINVAL).
    QTest::newRow("Shift_JIS cut short") << QByteArray("SHIFT_JIS") << QByteArray("a\x82")
                                         << QByteArray("a") << QList<int>{1, 1, 0x82};
}

void TestCliCore::decoder()
{
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, bad);

    std::string error;
    const auto decoder = LineDecoder::Create(encoding.toStdString(), error);
    QVERIFY2(decoder, error.c_str());
    // Twice, so that leftovers of one line cannot leak into the next.
    for (int round = 0; round < 2; ++round) {
        const DecodedLine line = decoder->Decode(std::string_view(raw.data(), size_t(raw.size())));
        QCOMPARE(QByteArray(line.text.data(), qsizetype(line.text.size())), text);
        QCOMPARE(FindInvalidUtf8(line.text), std::string_view::npos);
        QCOMPARE(qsizetype(line.bad.size() * 3), bad.size());
        for (std::size_t i = 0; i < line.bad.size(); ++i) {
            QCOMPARE(int(line.bad[i].at), bad[qsizetype(3 * i)]);
            QCOMPARE(int(line.bad[i].offset), bad[qsizetype(3 * i + 1)]);
            QCOMPARE(int(line.bad[i].byte), bad[qsizetype(3 * i + 2)]);
        }
        if (encoding.isEmpty())
            QCOMPARE(static_cast<const void *>(line.text.data()),
                     static_cast<const void *>(raw.data())); // valid UTF-8 is not copied
    }
}

void TestCliCore::parse_data()
{
    QTest::addColumn<QByteArrayList>("args");
    QTest::addColumn<int>("system");
    QTest::addColumn<qint64>("find"); // -1: none
    QTest::addColumn<QByteArrayList>("texts");

    QTest::newRow("defaults") << QByteArrayList{} << int(SystemChoice::Classical) << -1LL
                              << QByteArrayList{};
    QTest::newRow("options among texts")
        << QByteArrayList{"Α", "-s", "both", "Β", "--find=0"} << int(SystemChoice::Both) << 0LL
        << QByteArrayList{"Α", "Β"};
    QTest::newRow("last one wins") << QByteArrayList{"-spositional", "--find", "5", "--find", "7"}
                                   << int(SystemChoice::Positional) << 7LL << QByteArrayList{};
    QTest::newRow("dash and double dash")
        << QByteArrayList{"-", "--", "--explain", "-s"} << int(SystemChoice::Classical) << -1LL
        << QByteArrayList{"-", "--explain", "-s"};
}

void TestCliCore::parse()
{
    QFETCH(QByteArrayList, args);
    QFETCH(int, system);
    QFETCH(qint64, find);
    QFETCH(QByteArrayList, texts);
    std::vector<const char *> argv{"psifonomoi-cli"};
    for (const QByteArray &a : args)
        argv.push_back(a.constData());
    const ParseResult r = ParseArguments(int(argv.size()), argv.data());
    QCOMPARE(QByteArray::fromStdString(r.error), QByteArray());
    QCOMPARE(int(r.options.system), system);
    QCOMPARE(r.options.find.value_or(-1), find);
    QByteArrayList got;
    for (const std::string &t : r.options.texts)
        got << QByteArray::fromStdString(t);
    QCOMPARE(got, texts);
    QVERIFY(!r.options.explain);
}

void TestCliCore::lookalikesAddNothingAndResembleLetters()
{
    // Naming a character that does add something, or pointing at something
    // that is no letter, would mislead exactly where --explain should help.
    int found = 0;
    for (char32_t c = 0; c < 0x3000; ++c) {
        const Lookalike *look = FindLookalike(c);
        if (!look)
            continue;
        ++found;
        QCOMPARE(look->code, c);
        QCOMPARE(LetterIndex(c), 0);
        QVERIFY(LetterIndex(look->greek) != 0);
        QVERIFY(!look->name.empty());
    }
    QVERIFY(found >= 40);
    QVERIFY(FindLookalike(U'o') && FindLookalike(U'o')->greek == U'ο');
    QVERIFY(FindLookalike(U'\u0430') && FindLookalike(U'\u0430')->greek == U'α');
    QVERIFY(!FindLookalike(U'q'));
    QVERIFY(!FindLookalike(U'ο'));
}

QTEST_GUILESS_MAIN(TestCliCore)
#include "tst_cli_core.moc"
