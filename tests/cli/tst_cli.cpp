// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// psifonomoi-cli end to end: arguments, standard input from a file and from a
// pipe, the encodings, the error paths and their exit statuses.
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the CLI with `input` as standard input, given as a regular file (the
// usual case for word lists) unless `viaPipe`.
Run RunCli(const QStringList &args, const QByteArray &input = {}, bool viaPipe = false)
{
    QProcess p;
    QTemporaryFile file;
    if (!viaPipe) {
        if (!file.open() || file.write(input) != input.size() || !file.flush())
            qFatal("cannot write the input file");
        p.setStandardInputFile(file.fileName());
    }
    p.start(QStringLiteral(PSIFONOMOI_CLI_PATH), args);
    if (!p.waitForStarted())
        qFatal("psifonomoi-cli did not start");
    if (viaPipe) {
        p.write(input);
        p.closeWriteChannel();
    }
    if (!p.waitForFinished(120000))
        qFatal("psifonomoi-cli did not finish");
    Run run;
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

QByteArray U8(const char *s)
{
    return QByteArray(s);
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void invalidLines_data();
    void invalidLines();
    void usageErrors_data();
    void usageErrors();
    void explainMarksLookalikes();
    void explainInvalidByte();
    void versionAndHelp();
    void writeErrorIsNotSuccess();
    void longLine();
};

void TestCli::values_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("viaPipe");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray none;
    QTest::newRow("arguments") << QStringList{"Ιησούς", "ΑΓΑΠΗ"} << none << false
                               << U8("888\t6\tΙησούς\n93\t3\tΑΓΑΠΗ\n");
    QTest::newRow("arguments win over stdin")
        << QStringList{"Ω"} << U8("Α\n") << false << U8("800\t8\tΩ\n");
    QTest::newRow("positional") << QStringList{"-s", "positional", "ΑΓΑΠΗ"} << none << false
                                << U8("28\t1\tΑΓΑΠΗ\n");
    QTest::newRow("both") << QStringList{"--system", "both", "Ιησούς"} << none << false
                          << U8("888\t6\t87\t6\tΙησούς\n");
    QTest::newRow("both, joined forms")
        << QStringList{"--system=both", "-sclassical", "-sboth", "Ω"} << none << false
        << U8("800\t8\t24\t6\tΩ\n");
    QTest::newRow("text after --")
        << QStringList{"--", "-s", "--find"} << none << false << U8("0\t0\t-s\n0\t0\t--find\n");
    QTest::newRow("stdin file") << QStringList{} << U8("Άρης\nαρης\n\n123 abc\n") << false
                                << U8("309\t3\tΆρης\n309\t3\tαρης\n0\t0\t\n0\t0\t123 abc\n");
    QTest::newRow("stdin pipe") << QStringList{} << U8("Άρης\nαρης\n") << true
                                << U8("309\t3\tΆρης\n309\t3\tαρης\n");
    QTest::newRow("empty input") << QStringList{} << none << false << none;
    QTest::newRow("no final newline")
        << QStringList{} << U8("α\nβ") << false << U8("1\t1\tα\n2\t2\tβ\n");
    QTest::newRow("CRLF") << QStringList{} << U8("α\r\nβ\r\n\r\n") << false
                          << U8("1\t1\tα\n2\t2\tβ\n0\t0\t\n");
    QTest::newRow("lone CR stays visible")
        << QStringList{} << U8("α\rβ\nγ\r") << false << U8("3\t3\tα\\rβ\n3\t3\tγ\\r\n");
    QTest::newRow("NUL bytes") << QStringList{} << QByteArray("α\0β\n\0\n", 8) << false
                               << U8("3\t3\tα\\0β\n0\t0\t\\0\n");
    QTest::newRow("argument with newline")
        << QStringList{"α\nβ", "γ"} << none << false << U8("3\t3\tα\\nβ\n3\t3\tγ\n");
    QTest::newRow("tabs, backslash, controls")
        << QStringList{} << U8("α\tβ\\\x1b[2J\x7f\xc2\x9b\xc2\xa0\n") << false
        << U8("3\t3\tα\\tβ\\\\\\x1B[2J\\x7F\\u009B\xc2\xa0\n");
    QTest::newRow("find") << QStringList{"--find", "888"} << U8("Ιησούς\nΑΓΑΠΗ\nιησους\n") << false
                          << U8("888\t6\tΙησούς\n888\t6\tιησους\n");
    QTest::newRow("find, none") << QStringList{"--find=1"} << U8("Β\nΓ") << false << QByteArray();
    QTest::newRow("find both, positional match")
        << QStringList{"-s", "both", "--find", "24"} << U8("Ω\nΚΔ\nΑ\n") << false
        << U8("800\t8\t24\t6\tΩ\n24\t6\t14\t5\tΚΔ\n");
    QTest::newRow("windows-1253") << QStringList{"--encoding", "windows-1253"}
                                  << QByteArray("\xc9\xe7\xf3\xef\xfd\xf2\n\xa2\xf1\xe7\xf2\n")
                                  << false << U8("888\t6\tΙησούς\n309\t3\tΆρης\n");
    // 0xB6 is Ά in ISO-8859-7 but the pilcrow in windows-1253.
    QTest::newRow("iso-8859-7") << QStringList{"--encoding=iso-8859-7"}
                                << QByteArray("\xb6\xf1\xe7\xf2\r\n") << false
                                << U8("309\t3\tΆρης\n");
    QTest::newRow("same bytes, windows-1253")
        << QStringList{"--encoding=windows-1253"} << QByteArray("\xb6\xf1\xe7\xf2") << false
        << U8("308\t2\t¶ρης\n");
}

void TestCli::values()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(bool, viaPipe);
    QFETCH(QByteArray, expected);
    const Run run = RunCli(args, input, viaPipe);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, expected);
    QCOMPARE(run.status, 0);
}

void TestCli::invalidLines_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArrayList>("messages"); // one per bad line, in order

    QTest::newRow("UTF-8") << QStringList{} << QByteArray("αγάπη\nλ\xceγος\nΩ\n\xff")
                           << U8("93\t3\tαγάπη\ninvalid\tinvalid\tλ\\xCEγος\n800\t8\tΩ\n"
                                 "invalid\tinvalid\t\\xFF\n")
                           << QByteArrayList{"line 2: not valid UTF-8 at byte offset 2 (0xCE)",
                                             "line 4: not valid UTF-8 at byte offset 0 (0xFF)"};
    QTest::newRow("UTF-8, both systems")
        << QStringList{"-s", "both"} << QByteArray("\xed\xa0\x80x\nΑ\n")
        << U8("invalid\tinvalid\tinvalid\tinvalid\t\\xED\\xA0\\x80x\n1\t1\t1\t1\tΑ\n")
        << QByteArrayList{"line 1: not valid UTF-8 at byte offset 0 (0xED)"};
    // Two undefined bytes of ISO-8859-7 that together would spell valid UTF-8.
    QTest::newRow("iso-8859-7") << QStringList{"--encoding", "iso-8859-7"}
                                << QByteArray("\xe1\xd2\xae\xe1\n\xe2\n")
                                << U8("invalid\tinvalid\tα\\xD2\\xAEα\n2\t2\tβ\n")
                                << QByteArrayList{
                                       "line 1: not valid iso-8859-7 at byte offset 1 (0xD2)"};
    QTest::newRow("find skips bad lines")
        << QStringList{"--find", "1"} << QByteArray("\xff\nα\n") << U8("1\t1\tα\n")
        << QByteArrayList{"line 1: not valid UTF-8"};
}

void TestCli::invalidLines()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArrayList, messages);
    const Run run = RunCli(args, input);
    QCOMPARE(run.out, expected);
    QCOMPARE(run.status, 65);
    const QByteArrayList lines = run.err.split('\n');
    for (qsizetype i = 0; i < messages.size(); ++i) {
        QVERIFY2(i < lines.size() && lines[i].contains(messages[i]), run.err.constData());
        QVERIFY(lines[i].startsWith("psifonomoi-cli: "));
    }
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("unknown option") << QStringList{"-x", "Α"} << U8("unknown option '-x'");
    QTest::newRow("unknown long option") << QStringList{"--systems=both"} << U8("--systems");
    QTest::newRow("bad system") << QStringList{"--system", "greek"} << U8("unknown system 'greek'");
    QTest::newRow("system without value") << QStringList{"-s"} << U8("needs a value");
    QTest::newRow("find, not a number") << QStringList{"--find", "12a"} << U8("--find");
    QTest::newRow("find, negative") << QStringList{"--find=-5"} << U8("--find");
    QTest::newRow("find, too large")
        << QStringList{"--find", "99999999999999999999"} << U8("--find");
    QTest::newRow("value on a flag") << QStringList{"--explain=yes"} << U8("takes no value");
    QTest::newRow("Greek suffix") << QStringList{"-ος"}
                                  << U8("unknown option '-ος' (put '--' before texts that begin "
                                        "with a hyphen)");
    QTest::newRow("runs without find") << QStringList{"--runs"} << U8("--runs needs --find");
    QTest::newRow("paragraphs alone") << QStringList{"--paragraphs"} << U8("--paragraphs applies");
    QTest::newRow("group and runs")
        << QStringList{"--group", "--runs", "--find=1"} << U8("one of --group and --runs");
    QTest::newRow("group, both") << QStringList{"--group", "-s", "both"} << U8("single system");
    QTest::newRow("runs, both") << QStringList{"--runs", "--find=1", "-s", "both"}
                                << U8("single system");
    QTest::newRow("max-words alone")
        << QStringList{"--max-words", "2"} << U8("--max-words applies");
    QTest::newRow("max-words 0") << QStringList{"--runs", "--find=1", "--max-words=0"}
                                 << U8("at least 1");
    QTest::newRow("explain, group")
        << QStringList{"--explain", "--group"} << U8("--explain cannot");
    QTest::newRow("numeral, bad case") << QStringList{"--numeral=greek"} << U8("lower or upper");
    QTest::newRow("unknown encoding") << QStringList{"--encoding", "klingon"} << U8("klingon");
    QTest::newRow("LF not one byte") << QStringList{"--encoding", "UTF-16LE"} << U8("0x0A");
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, message);
    const Run run = RunCli(args, "Α\n");
    QCOMPARE(run.status, 64);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.contains(message), run.err.constData());
    QVERIFY(run.err.contains("Usage: psifonomoi-cli"));
    QCOMPARE(QString::fromUtf8(run.err).toUtf8(), run.err); // no character cut in half
}

void TestCli::explainMarksLookalikes()
{
    // A Latin o in place of ο: λoγος is worth 303, not 373.
    const Run run = RunCli({"--explain", "λoγος", "ΑΩ"});
    QCOMPARE(run.status, 0);
    const QByteArrayList lines = run.out.split('\n');
    QCOMPARE(lines.value(0), U8("argument 1: λoγος"));
    QCOMPARE(lines.value(1), U8("   30  U+03BB   λ → Λ"));
    QCOMPARE(lines.value(2),
             U8("    0  U+006F   o  adds nothing: Latin small letter o, looks like Greek ο"));
    QCOMPARE(lines.value(4), U8("   70  U+03BF   ο → Ο"));
    QCOMPARE(lines.value(6), U8("  303  total, primary number 6"));
    QCOMPARE(lines.value(7), U8("       letters 4 (vowels 1, consonants 3), words 1, characters "
                                "that count nothing 1"));
    QCOMPARE(lines.value(8), QByteArray());
    QCOMPARE(lines.value(9), U8("argument 2: ΑΩ"));

    // A numeral letter, counted by the full numerals only.
    const Run numeral = RunCli({"--explain", "ϛα, β", "-s", "milesian"});
    QCOMPARE(numeral.out.split('\n').value(1), U8("  6  U+03DB   ϛ  numeral letter"));
    QCOMPARE(numeral.out.split('\n').value(7),
             U8("     letters 2 (vowels 1, consonants 1), words 2, characters that count "
                "nothing 2"));
    QCOMPARE(RunCli({"--explain", "ϛ"}).out.split('\n').value(1),
             U8("  0  U+03DB   ϛ  adds nothing here: numeral letter, worth 6 in milesian"));

    const Run cyrillic = RunCli({"--explain", "-s", "both"}, U8("\xd0\xb0 \xcc\x81\n"));
    const QByteArrayList rows = cyrillic.out.split('\n');
    QCOMPARE(rows.value(0), U8("line 1: \xd0\xb0 \xcc\x81"));
    QCOMPARE(rows.value(1), U8("  0  0  U+0430   а  adds nothing: Cyrillic small letter a, "
                               "looks like Greek α"));
    QCOMPARE(rows.value(2), U8("  0  0  U+0020   (space)  adds nothing"));
    QCOMPARE(rows.value(3), U8("  0  0  U+0301   \xe2\x97\x8c\xcc\x81  adds nothing"));
    QCOMPARE(rows.value(4), U8("  0  0  total; primary numbers 0 (classical), 0 (positional)"));
}

void TestCli::explainInvalidByte()
{
    const Run run = RunCli({"--explain"}, QByteArray("\xe1\xff\n", 3));
    QCOMPARE(run.status, 65);
    QVERIFY(run.err.contains("line 1: not valid UTF-8 at byte offset 0 (0xE1)"));
    const QByteArrayList lines = run.out.split('\n');
    QCOMPARE(lines.value(0), U8("line 1: \\xE1\\xFF"));
    QCOMPARE(lines.value(1), U8("  -  0xE1    not valid UTF-8"));
    QCOMPARE(lines.value(2), U8("  -  0xFF    not valid UTF-8"));
    QCOMPARE(lines.value(3), U8("  -  no total: the text is not valid UTF-8"));
}

void TestCli::versionAndHelp()
{
    const Run version = RunCli({"--version"});
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QByteArray("psifonomoi-cli " PSIFONOMOI_VERSION "\n"));

    const Run help = RunCli({"--help", "--bogus-after-help-is-still-an-error"});
    QCOMPARE(help.status, 64);
    const Run help2 = RunCli({"-h"});
    QCOMPARE(help2.status, 0);
    for (const char *option : {"--system", "--find", "--explain", "--encoding", "either"})
        QVERIFY2(help2.out.contains(option), option);
}

void TestCli::writeErrorIsNotSuccess()
{
    if (!QFile::exists("/dev/full"))
        QSKIP("no /dev/full");
    for (const QStringList &args : {QStringList{"Α"}, QStringList{"--version"}}) {
        QProcess p;
        p.setStandardInputFile(QProcess::nullDevice());
        p.setStandardOutputFile("/dev/full");
        p.start(QStringLiteral(PSIFONOMOI_CLI_PATH), args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 74);
        QVERIFY(p.readAllStandardError().contains("error writing standard output"));
    }
}

void TestCli::longLine()
{
    // Longer than the read buffer, so the buffer has to grow mid-line.
    QByteArray line;
    for (int i = 0; i < 3 * 1024 * 1024 / 10; ++i)
        line += "αβγδε"; // 10 bytes, worth 15
    const Run run = RunCli({}, "Ω\n" + line + "\nΑ");
    QCOMPARE(run.status, 0);
    const QByteArray value = QByteArray::number(15LL * (3 * 1024 * 1024 / 10));
    QVERIFY(run.out.startsWith("800\t8\tΩ\n" + value + "\t"));
    QVERIFY(run.out.endsWith(line + "\n1\t1\tΑ\n"));
    QCOMPARE(run.out.count('\n'), 3);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
