// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The CLI library at its edges: lines split across reads, buffers that must
// grow or flush mid-text, the decoders' bad-byte bookkeeping, escaping.
#include "Cli.h"
#include "CliOptions.h"
#include "LineDecoder.h"
#include "Lookalikes.h"
#include "Numeral.h"
#include "OutputBuffer.h"
#include "WordValue.h"

#include <QProcess>
#include <QTest>

#include <iconv.h>
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

// text (UTF-8) in the given encoding, from the initial state and flushed;
// null when the encoding cannot hold it.
QByteArray Encode(const QByteArray &text, const QByteArray &encoding)
{
    const iconv_t cd = ::iconv_open(encoding.constData(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray out(text.size() * 8 + 64, '\0');
    char *in = const_cast<char *>(text.constData()), *o = out.data();
    std::size_t inLeft = size_t(text.size()), outLeft = size_t(out.size());
    const bool ok = ::iconv(cd, &in, &inLeft, &o, &outLeft) == 0 &&
                    ::iconv(cd, nullptr, nullptr, &o, &outLeft) == 0;
    ::iconv_close(cd);
    return ok ? out.left(o - out.data()) : QByteArray();
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
    void modes_data();
    void modes();
    void numeral_data();
    void numeral();
    void everyEncodingRoundTrips_data();
    void everyEncodingRoundTrips();
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
    QTest::newRow("bidi controls and line separators")
        << QByteArray("a\u202Eb\u2028\u2029\u200E\u200F\u202A\u202D\u2066\u2069")
        << QByteArray("a\\u202Eb\\u2028\\u2029\\u200E\\u200F\\u202A\\u202D\\u2066\\u2069");
    QTest::newRow("their neighbours stay")
        << QByteArray("\u200D\u2010\u2019\u2027\u202F\u2065\u206A\u2126\u20AC")
        << QByteArray("\u200D\u2010\u2019\u2027\u202F\u2065\u206A\u2126\u20AC");
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
        QCOMPARE(qsizetype(line.badCount * 3), bad.size());
        if (!bad.isEmpty())
            QCOMPARE((QList<int>{int(line.firstBad), int(line.firstByte)}), bad.mid(1, 2));
        // The walk gives the same text with each bad byte where it stood.
        QByteArray walked;
        QList<int> walkedBad;
        PiecesOf pieces(
            [&](std::string_view t) { return walked.append(t.data(), qsizetype(t.size())), true; },
            [&](std::size_t offset, unsigned char b) {
                return walkedBad << int(walked.size()) << int(offset) << b, true;
            });
        QVERIFY(decoder->Walk(std::string_view(raw.data(), size_t(raw.size())), pieces));
        QCOMPARE(walked, text);
        QCOMPARE(walkedBad, bad);
        if (encoding.isEmpty())
            QCOMPARE(static_cast<const void *>(line.text.data()),
                     static_cast<const void *>(raw.data())); // valid UTF-8 is not copied
    }
}

void TestCliCore::modes_data()
{
    QTest::addColumn<QByteArrayList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("out");

    const QByteArray verse = "ΑΒΡΑΞΑΣ\nx\n\nΜΕΙΘΡΑΣ\n \nΝεῖλος\nα\n";
    QTest::newRow("milesian, numeral, csv")
        << QByteArrayList{"-s", "milesian", "--numeral", "--csv"} << QByteArray("ϛϟϡ\n\n")
        << QByteArray("milesian_value,milesian_primary,milesian_numeral,text\r\n"
                      "996,6,ϡϟϛ\u0374,ϛϟϡ\r\n0,0,-,\r\n");
    QTest::newRow("numerals of both")
        << QByteArrayList{"-s", "both", "--numeral=upper"} << QByteArray("Ιησούς")
        << QByteArray("888\t6\tΩΠΗ\u0374\t87\t6\tΠΖ\u0374\tΙησούς\n");
    QTest::newRow("explain, csv")
        << QByteArrayList{"--explain", "--csv", "-s", "milesian"} << QByteArray("o,ϛ\n\xff")
        << QByteArray("line,code_point,character,folded,milesian_value,note\r\n"
                      "1,U+006F,o,,0,\"adds nothing: Latin small letter o, looks like Greek ο\"\r\n"
                      "1,U+002C,\",\",,0,adds nothing\r\n1,U+03DB,ϛ,,6,numeral letter\r\n"
                      "2,,\\xFF,,,not valid UTF-8\r\n");
    QTest::newRow("group") << QByteArrayList{"--group"} << verse
                           << QByteArray(
                                  "365\t5\t1\tΑΒΡΑΞΑΣ\n365\t5\t4\tΜΕΙΘΡΑΣ\n365\t5\t6\tΝεῖλος\n");
    QTest::newRow("group of one value") << QByteArrayList{"--group", "--find=1"} << verse + "Α\n"
                                        << QByteArray("1\t1\t7\tα\n1\t1\t8\tΑ\n");
    QTest::newRow("group, paragraphs")
        << QByteArrayList{"--group", "--paragraphs", "--numeral"}
        << verse + "\nΝεῖλος\n\xff\nΝεῖλος"
        << QByteArray("365\t5\tτξε\u0374\t1\tΑΒΡΑΞΑΣ / x\n365\t5\tτξε\u0374\t4\tΜΕΙΘΡΑΣ\n");
    QTest::newRow("group, csv quoting")
        << QByteArrayList{"--group", "--csv"} << QByteArray("\"α\",\nα\n")
        << QByteArray("value,primary,line,text\r\n1,1,1,\"\"\"α\"\",\"\r\n1,1,2,α\r\n");
    // Νέρων = ἰδίαν μητέρα ἀπέκτεινε = 1005: a run of a whole record, one at its end.
    QTest::newRow("runs") << QByteArrayList{"--find", "1005", "--runs"}
                          << QByteArray(
                                 "ἰδίαν μητέρα ἀπέκτεινε\n— 0 ἰδίαν μητέρα, ἀπέκτεινε Νέρων.")
                          << QByteArray("1005\t6\t1\t1\t3\tἰδίαν μητέρα ἀπέκτεινε\n"
                                        "1005\t6\t2\t2\t3\tἰδίαν μητέρα, ἀπέκτεινε\n"
                                        "1005\t6\t2\t5\t1\tΝέρων\n");
    QTest::newRow("runs, bounded, across lines")
        << QByteArrayList{"--find", "1005", "--runs", "--max-words=2", "--paragraphs"}
        << QByteArray("ἰδίαν μητέρα\nἀπέκτεινε Νέρων") << QByteArray("1005\t6\t1\t4\t1\tΝέρων\n");
    QTest::newRow("runs, zeros inside, not at the ends")
        << QByteArrayList{"--find", "3", "--runs"} << QByteArray("x α x β x γ")
        << QByteArray("3\t3\t1\t2\t3\tα x β\n3\t3\t1\t6\t1\tγ\n");
}

void TestCliCore::modes()
{
    QFETCH(QByteArrayList, args);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, out);
    std::vector<const char *> argv;
    for (const QByteArray &a : args)
        argv.push_back(a.constData());
    const Result r = Run(argv, input, 7, 64);
    QCOMPARE(r.out, out);
    QCOMPARE(r.status, input.contains('\xff') ? 65 : 0);
}

void TestCliCore::numeral_data()
{
    QTest::addColumn<quint64>("n");
    QTest::addColumn<QByteArray>("lower");
    QTest::newRow("0") << 0ull << QByteArray();
    QTest::newRow("6") << 6ull << QByteArray("ϛ\u0374");
    QTest::newRow("90") << 90ull << QByteArray("ϟ\u0374");
    QTest::newRow("900") << 900ull << QByteArray("ϡ\u0374");
    QTest::newRow("1000") << 1000ull << QByteArray("͵α\u0374");
    QTest::newRow("1006") << 1006ull << QByteArray("͵αϛ\u0374");
    QTest::newRow("2011") << 2011ull << QByteArray("͵βια\u0374");
    QTest::newRow("9999") << 9999ull << QByteArray("͵θϡϟθ\u0374");
    QTest::newRow("10000") << 10000ull << QByteArray("͵ι\u0374");
    QTest::newRow("123456") << 123456ull << QByteArray("͵ρ͵κ͵γυνϛ\u0374");
    QTest::newRow("999999") << 999999ull << QByteArray("͵ϡ͵ϟ͵θϡϟθ\u0374");
    QTest::newRow("1000000") << 1000000ull << QByteArray();
}

void TestCliCore::numeral()
{
    QFETCH(quint64, n);
    QFETCH(QByteArray, lower);
    char buffer[kNumeralMax];
    QCOMPARE(QByteArray(buffer, qsizetype(GreekNumeral(n, false, buffer))), lower);
    // Capitals, letter for letter; the numeral signs have no case.
    const QString upper =
        QString::fromUtf8(QByteArray(buffer, qsizetype(GreekNumeral(n, true, buffer))));
    QCOMPARE(upper, QString::fromUtf8(lower).toUpper());
}

void TestCliCore::everyEncodingRoundTrips_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QProcess list;
    list.start("iconv", {"--list"});
    QVERIFY(list.waitForFinished());
    const QByteArrayList names =
        list.readAllStandardOutput().replace("//", " ").replace(',', ' ').simplified().split(' ');
    QVERIFY(names.size() > 100);
    for (const QByteArray &name : names)
        QTest::newRow(name.constData()) << name;
}

void TestCliCore::everyEncodingRoundTrips()
{
    QFETCH(QByteArray, encoding);
    // The first line the encoding can hold: Greek, Greek capitals without
    // accents (as in the Japanese sets), or else Latin, so that converters
    // without Greek still show whether they keep a line's last character.
    for (const QByteArray line : {"Ιησούς Χριστός", "ΙΗΣΟΥΣ", "abc"}) {
        const QByteArray encodedLine = Encode(line, encoding);
        const QByteArray lineFeed = Encode("\n", encoding);
        if (encodedLine.isEmpty() || lineFeed.isEmpty())
            continue;
        // A line with its line feed and a last one without.
        const Result r = Run({"--encoding", encoding.constData()},
                             encodedLine + lineFeed + encodedLine, 1 << 16, 1 << 16);
        if (lineFeed != "\n") {
            QCOMPARE(r.status, 64);
        } else {
            const Result utf8 = Run({}, line + '\n' + line, 1 << 16, 1 << 16);
            QCOMPARE(r.out, utf8.out);
            QCOMPARE(r.err, utf8.err);
            QCOMPARE(r.status, utf8.status);
        }
        return;
    }
    QSKIP("holds none of the lines");
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
