// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Malformed UTF-8: every byte outside a well-formed sequence is a character of
// its own worth 0, so a broken sequence never hides the letter after it.
#include "WordValue.h"

#include <QRandomGenerator>
#include <QString>
#include <QTest>

#include <string>

using namespace psifonomoi;

namespace {

std::string_view View(const QByteArray &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// Qt's decoder, an independent reading of the same bytes: it replaces what is
// malformed and keeps every well-formed character.
WordValueInt ValueThroughQt(const QByteArray &bytes, TValueSystem system)
{
    return CalculateWordValue(QString::fromUtf8(bytes).toStdU16String(), system).WordValue;
}

} // namespace

class TestUtf8 : public QObject
{
    Q_OBJECT

private slots:
    void malformed_data();
    void malformed();
    void decodeSingle_data();
    void decodeSingle();
    void appendRoundTrip();
    void everyTwoByteTextBetweenLetters();
    void randomGreekHeavyBytes();
    void sameValueAtEveryOffset_data();
    void sameValueAtEveryOffset();
};

void TestUtf8::malformed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("invalidAt"); // -1: well formed
    QTest::addColumn<qint64>("classical");
    QTest::addColumn<QByteArray>("folded");

    QTest::newRow("well formed") << QByteArray("Ωμέγα") << -1LL << 849LL << QByteArray("ΩΜΕΓΑ");
    QTest::newRow("four-byte character")
        << QByteArray("\xF0\x9F\x98\x80α") << -1LL << 1LL << QByteArray("\xF0\x9F\x98\x80Α");
    QTest::newRow("truncated at end") << QByteArray("α\xCE") << 2LL << 1LL << QByteArray("Α\xCE");
    QTest::newRow("truncated before letter")
        << QByteArray("\xCEα") << 0LL << 1LL << QByteArray("\xCEΑ");
    QTest::newRow("lead before lead")
        << QByteArray("\xCF\xCF\x89") << 0LL << 800LL << QByteArray("\xCFΩ");
    QTest::newRow("three-byte cut after two")
        << QByteArray("\xE1\xBCα") << 0LL << 1LL << QByteArray("\xE1\xBCΑ");
    QTest::newRow("three-byte cut before extended letter")
        << QByteArray("\xE1\xE1\xBC\x80") << 0LL << 1LL << QByteArray("\xE1Α");
    QTest::newRow("four-byte cut before letter")
        << QByteArray("ω\xF0\x9F\x98ω") << 2LL << 1600LL << QByteArray("Ω\xF0\x9F\x98Ω");
    QTest::newRow("lone continuations")
        << QByteArray("\x80\xB1\xBFβ") << 0LL << 2LL << QByteArray("\x80\xB1\xBFΒ");
    QTest::newRow("overlong slash")
        << QByteArray("\xC0\xAFα") << 0LL << 1LL << QByteArray("\xC0\xAFΑ");
    QTest::newRow("overlong two-byte A")
        << QByteArray("\xC1\x81") << 0LL << 0LL << QByteArray("\xC1\x81");
    QTest::newRow("overlong three-byte α")
        << QByteArray("\xE0\x8E\xB1γ") << 0LL << 3LL << QByteArray("\xE0\x8E\xB1Γ");
    QTest::newRow("overlong four-byte α")
        << QByteArray("\xF0\x80\x8E\xB1") << 0LL << 0LL << QByteArray("\xF0\x80\x8E\xB1");
    QTest::newRow("high surrogate")
        << QByteArray("ΑΩ\xED\xA0\x80Α") << 4LL << 802LL << QByteArray("ΑΩ\xED\xA0\x80Α");
    QTest::newRow("low surrogate")
        << QByteArray("\xED\xBF\xBF") << 0LL << 0LL << QByteArray("\xED\xBF\xBF");
    QTest::newRow("past U+10FFFF")
        << QByteArray("\xF4\x90\x80\x80ι") << 0LL << 10LL << QByteArray("\xF4\x90\x80\x80Ι");
    QTest::newRow("F5 lead") << QByteArray("\xF5\x80\x80\x80") << 0LL << 0LL
                             << QByteArray("\xF5\x80\x80\x80");
    QTest::newRow("FE FF") << QByteArray("\xFE\xFFπ") << 0LL << 80LL << QByteArray("\xFE\xFFΠ");
    QTest::newRow("invalid after extended letter")
        << QByteArray("ἀ\xFF") << 3LL << 1LL << QByteArray("Α\xFF");
    QTest::newRow("invalid after ASCII run")
        << QByteArray("abcdefghijklmnop\x80") << 16LL << 0LL << QByteArray("abcdefghijklmnop\x80");
    QTest::newRow("ISO-8859-7 bytes")
        << QByteArray("\xC1\xC3\xC1\xD0\xC7") << 0LL << 0LL << QByteArray("\xC1\xC3\xC1\xD0\xC7");
}

void TestUtf8::malformed()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, invalidAt);
    QFETCH(qint64, classical);
    QFETCH(QByteArray, folded);

    const std::size_t expectedAt =
        invalidAt < 0 ? std::string_view::npos : static_cast<std::size_t>(invalidAt);
    QCOMPARE(FindInvalidUtf8(View(bytes)), expectedAt);
    QCOMPARE(ClassicalValue(View(bytes)), classical);
    QCOMPARE(ClassicalValue(View(bytes)), ValueThroughQt(bytes, vsClassical));
    QCOMPARE(PositionalValue(View(bytes)), ValueThroughQt(bytes, vsPositional));
    const std::string f = FoldText(View(bytes));
    QCOMPARE(QByteArray::fromStdString(f), folded);
    QCOMPARE(ClassicalValue(f), classical);
}

void TestUtf8::decodeSingle_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("length"); // 0: malformed at pos
    QTest::addColumn<uint>("codePoint");

    QTest::newRow("ASCII") << QByteArray("a") << 0 << 1 << 0x61u;
    QTest::newRow("NUL") << QByteArray("\0", 1) << 0 << 1 << 0u;
    QTest::newRow("α") << QByteArray("α") << 0 << 2 << 0x3B1u;
    QTest::newRow("ᾼ") << QByteArray("ᾼ") << 0 << 3 << 0x1FBCu;
    QTest::newRow("U+10FFFF") << QByteArray("\xF4\x8F\xBF\xBF") << 0 << 4 << 0x10FFFFu;
    QTest::newRow("U+FFFF") << QByteArray("\xEF\xBF\xBF") << 0 << 3 << 0xFFFFu;
    QTest::newRow("U+0080") << QByteArray("\xC2\x80") << 0 << 2 << 0x80u;
    QTest::newRow("U+0800") << QByteArray("\xE0\xA0\x80") << 0 << 3 << 0x800u;
    QTest::newRow("U+10000") << QByteArray("\xF0\x90\x80\x80") << 0 << 4 << 0x10000u;
    QTest::newRow("U+D7FF") << QByteArray("\xED\x9F\xBF") << 0 << 3 << 0xD7FFu;
    QTest::newRow("U+E000") << QByteArray("\xEE\x80\x80") << 0 << 3 << 0xE000u;
    QTest::newRow("second character") << QByteArray("αω") << 2 << 2 << 0x3C9u;
    QTest::newRow("at end") << QByteArray("α") << 2 << 0 << 0u;
    QTest::newRow("inside a character") << QByteArray("α") << 1 << 0 << 0u;
    QTest::newRow("truncated") << QByteArray("\xE1\xBC") << 0 << 0 << 0u;
    QTest::newRow("overlong C0") << QByteArray("\xC0\x80") << 0 << 0 << 0u;
    QTest::newRow("overlong E0") << QByteArray("\xE0\x9F\xBF") << 0 << 0 << 0u;
    QTest::newRow("overlong F0") << QByteArray("\xF0\x8F\xBF\xBF") << 0 << 0 << 0u;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << 0 << 0 << 0u;
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << 0 << 0 << 0u;
    QTest::newRow("bad third byte") << QByteArray("\xE1\xBC\x41") << 0 << 0 << 0u;
    QTest::newRow("bad fourth byte") << QByteArray("\xF0\x9F\x98\xCE") << 0 << 0 << 0u;
}

void TestUtf8::decodeSingle()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, pos);
    QFETCH(int, length);
    QFETCH(uint, codePoint);

    char32_t c = U'\uFFFD';
    QCOMPARE(DecodeUtf8(View(bytes), static_cast<std::size_t>(pos), c),
             static_cast<std::size_t>(length));
    if (length != 0)
        QCOMPARE(static_cast<uint>(c), codePoint);
}

// AppendUtf8 and DecodeUtf8 agree on every scalar value, and Qt agrees with both.
void TestUtf8::appendRoundTrip()
{
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        std::string s;
        AppendUtf8(s, c);
        char32_t back = 0;
        if (DecodeUtf8(s, 0, back) != s.size() || back != c)
            QFAIL(qPrintable(QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16)));
        if ((c & 0xFF) == 0 || c < 0x2000) {
            const QByteArray viaQt = QString::fromUcs4(&c, 1).toUtf8();
            QCOMPARE(QByteArray::fromStdString(s), viaQt);
        }
    }
}

// All 65,536 two-byte texts, between two letters: the letters always count,
// and the bytes between them count just as Qt's decoder reads them.
void TestUtf8::everyTwoByteTextBetweenLetters()
{
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            QByteArray bytes("ω");
            bytes.append(static_cast<char>(a)).append(static_cast<char>(b)).append("α");
            const QByteArray middle = bytes.mid(2, 2);
            const WordValueInt inner = ClassicalValue(View(middle));
            const WordValueInt whole = ClassicalValue(View(bytes));
            if (whole != inner + 801 || inner != ValueThroughQt(middle, vsClassical) ||
                PositionalValue(View(bytes)) != ValueThroughQt(bytes, vsPositional)) {
                QFAIL(qPrintable(QStringLiteral("bytes %1 %2: value %3, inner %4")
                                     .arg(a, 2, 16)
                                     .arg(b, 2, 16)
                                     .arg(whole)
                                     .arg(inner)));
            }
            const bool wellFormed = QString::fromUtf8(middle).toUtf8() == middle;
            QCOMPARE(FindInvalidUtf8(View(middle)) == std::string_view::npos, wellFormed);
        }
    }
}

// Random texts drawn mostly from the bytes that make up Greek letters, so that
// truncated and misplaced sequences are common; long enough that letters
// straddle every position of an eight-byte word.
void TestUtf8::randomGreekHeavyBytes()
{
    static const unsigned char pool[] = {0xCE, 0xCF, 0xCD, 0xE1, 0xBC, 0xBD, 0xBE, 0xBF,
                                         0x80, 0x85, 0x91, 0xA9, 0xB1, 0x89, 0xED, 0xA0,
                                         0xF0, 0x9F, 0xF4, 0x90, 0xC0, 0xFF, 0x41, 0x20};
    QRandomGenerator rng(20240613);
    for (int round = 0; round < 50'000; ++round) {
        QByteArray bytes;
        const int length = static_cast<int>(rng.bounded(1, 48));
        for (int i = 0; i < length; ++i)
            bytes.append(static_cast<char>(pool[rng.bounded(int(sizeof pool))]));
        const std::string_view v = View(bytes);
        const std::string folded = FoldText(v);
        for (const TValueSystem system : {vsClassical, vsPositional}) {
            const WordValueInt value = CalculateWordValue(v, system).WordValue;
            if (value != ValueThroughQt(bytes, system) ||
                CalculateWordValue(folded, system).WordValue != value)
                QFAIL(qPrintable(
                    QStringLiteral("bytes %1").arg(QString::fromLatin1(bytes.toHex(' ')))));
        }
        const bool wellFormed = QString::fromUtf8(bytes).toUtf8() == bytes;
        QCOMPARE(FindInvalidUtf8(v) == std::string_view::npos, wellFormed);
        if (wellFormed)
            QCOMPARE(QString::fromStdString(folded).size(), QString::fromUtf8(bytes).size());
    }
}

// The value of a text does not depend on where in memory, or after how many
// other bytes, it starts; nor does a broken sequence at its very end matter.
void TestUtf8::sameValueAtEveryOffset_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("classical");

    QTest::newRow("monotonic") << QByteArray("Ιησούς Χριστός") << 2368LL;
    QTest::newRow("polytonic") << QByteArray("ἐν ἀρχῇ ἦν ὁ λόγος") << 1265LL;
    QTest::newRow("broken inside") << QByteArray("ἀ\xE1\xBCγ\xCEά\xF0\x9Fπ\xE1η") << 93LL;
    QTest::newRow("cut extended at end") << QByteArray("ωω\xE1\xBC") << 1600LL;
    QTest::newRow("cut two-byte at end") << QByteArray("ωω\xCE") << 1600LL;
}

void TestUtf8::sameValueAtEveryOffset()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, classical);

    for (int offset = 0; offset < 24; ++offset) {
        const QByteArray shifted = QByteArray(offset, ' ') + text;
        QCOMPARE(ClassicalValue(View(shifted)), classical);
        QCOMPARE(ClassicalValue(View(shifted + "x")), classical);
        QCOMPARE(ClassicalValue(View(shifted).substr(static_cast<std::size_t>(offset))), classical);
    }
}

QTEST_APPLESS_MAIN(TestUtf8)
#include "tst_utf8.moc"
