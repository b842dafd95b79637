// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Word values, primary numbers and folding of whole texts, each checked through
// both the UTF-8 and the UTF-16 entry points.
#include "WordValue.h"

#include <QString>
#include <QTest>

#include <cstdint>
#include <limits>
#include <string>

using namespace psifonomoi;

namespace {

std::u16string ToUtf16(const QByteArray &utf8)
{
    return QString::fromUtf8(utf8).toStdU16String();
}

qsizetype CodePoints(const QByteArray &utf8)
{
    return QString::fromUtf8(utf8).toUcs4().size();
}

// Repeated digit sum worked on the decimal text, the way a person would do it.
int DigitRootOfText(std::string digits)
{
    do {
        std::uint64_t s = 0;
        for (const char d : digits)
            s += static_cast<std::uint64_t>(d - '0');
        digits = std::to_string(s);
    } while (digits.size() > 1);
    return digits[0] - '0';
}

int DigitRootFormula(std::uint64_t magnitude)
{
    return magnitude == 0 ? 0 : static_cast<int>(1 + (magnitude - 1) % 9);
}

} // namespace

class TestWordValue : public QObject
{
    Q_OBJECT

private slots:
    void calculate_data();
    void calculate();
    void sameLetterAnyForm_data();
    void sameLetterAnyForm();
    void milesian_data();
    void milesian();
    void foldText_data();
    void foldText();
    void beyond32Bits_data();
    void beyond32Bits();
    void primaryNumberRanges_data();
    void primaryNumberRanges();
    void primaryNumberFixed_data();
    void primaryNumberFixed();
};

void TestWordValue::calculate_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("classical");
    QTest::addColumn<int>("classicalPrimary");
    QTest::addColumn<qint64>("positional");
    QTest::addColumn<int>("positionalPrimary");

    QTest::newRow("empty") << QByteArray() << 0LL << 0 << 0LL << 0;
    QTest::newRow("spaces") << QByteArray("   \t ") << 0LL << 0 << 0LL << 0;
    QTest::newRow("latin") << QByteArray("Agape, OMEGA!") << 0LL << 0 << 0LL << 0;
    QTest::newRow("digits") << QByteArray("0123456789") << 0LL << 0 << 0LL << 0;
    QTest::newRow("A then digit 1") << QByteArray("Α1") << 1LL << 1 << 1LL << 1;
    QTest::newRow("ΑΓΑΠΗ") << QByteArray("ΑΓΑΠΗ") << 93LL << 3 << 28LL << 1;
    QTest::newRow("αγάπη") << QByteArray("αγάπη") << 93LL << 3 << 28LL << 1;
    QTest::newRow("Ιησούς") << QByteArray("Ιησούς") << 888LL << 6 << 87LL << 6;
    QTest::newRow("ΙΗΣΟΥΣ") << QByteArray("ΙΗΣΟΥΣ") << 888LL << 6 << 87LL << 6;
    QTest::newRow("Άρης") << QByteArray("Άρης") << 309LL << 3 << 43LL << 7;
    QTest::newRow("αρης") << QByteArray("αρης") << 309LL << 3 << 43LL << 7;
    QTest::newRow("ι alone") << QByteArray("ι") << 10LL << 1 << 9LL << 9;
    // Letters with dialytika count as their letter.
    QTest::newRow("ϊ alone") << QByteArray("ϊ") << 10LL << 1 << 9LL << 9;
    QTest::newRow("Προϊόν") << QByteArray("Προϊόν") << 380LL << 2 << 85LL << 4;
    QTest::newRow("ΰ Ϋ ϋ") << QByteArray("ΰ Ϋ ϋ") << 1200LL << 3 << 60LL << 6;
    QTest::newRow("ΐ Ϊ") << QByteArray("ΐΪ") << 20LL << 2 << 18LL << 9;
    // Ζ 7, Π 80, Ρ 100 and Ω 800: no obsolete numerals in the classical column.
    QTest::newRow("ζ π ρ ω") << QByteArray("ζ π ρ ω") << 987LL << 6 << 63LL << 9;
    QTest::newRow("whole alphabet")
        << QByteArray("αβγδεζηθικλμνξοπρστυφχψω") << 3999LL << 3 << 300LL << 3;
    QTest::newRow("whole alphabet capitals")
        << QByteArray("ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ") << 3999LL << 3 << 300LL << 3;
    QTest::newRow("text kept as given") << QByteArray("  Α Β\n") << 3LL << 3 << 3LL << 3;
    // Polytonic spelling and the forms of iota subscript and adscript.
    QTest::newRow("Ἰησοῦς") << QByteArray("Ἰησοῦς") << 888LL << 6 << 87LL << 6;
    QTest::newRow("ἀγάπη") << QByteArray("ἀγάπη") << 93LL << 3 << 28LL << 1;
    QTest::newRow("ᾳ") << QByteArray("ᾳ") << 1LL << 1 << 1LL << 1;
    QTest::newRow("ᾼ") << QByteArray("ᾼ") << 1LL << 1 << 1LL << 1;
    QTest::newRow("α + U+0345") << QByteArray("α\xCD\x85") << 1LL << 1 << 1LL << 1;
    QTest::newRow("ῥ Ῥ ῤ") << QByteArray("ῥῬῤ") << 300LL << 3 << 51LL << 6;
    QTest::newRow("decomposed ί") << QByteArray("ι\xCC\x81") << 10LL << 1 << 9LL << 9;
    QTest::newRow("ᾯ ῷ ὦ") << QByteArray("ᾯῷὦ") << 2400LL << 6 << 72LL << 9;
    QTest::newRow("numeral sign") << QByteArray("Αʹ") << 1LL << 1 << 1LL << 1;
    // Letter variants are the letters they stand for.
    QTest::newRow("ϐ ϑ ϴ") << QByteArray("ϐϑϴ") << 20LL << 2 << 18LL << 9;
    QTest::newRow("ϒ ϓ ϔ") << QByteArray("ϒϓϔ") << 1200LL << 3 << 60LL << 6;
    QTest::newRow("ϕ ϖ ϰ") << QByteArray("ϕϖϰ") << 600LL << 6 << 47LL << 2;
    QTest::newRow("ϱ ϲ Ϲ ϵ") << QByteArray("ϱϲϹϵ") << 505LL << 1 << 58LL << 4;
    // The obsolete numeral letters and Coptic letters are worth nothing.
    QTest::newRow("stigma digamma") << QByteArray("ϚϛϜϝͶͷ") << 0LL << 0 << 0LL << 0;
    QTest::newRow("koppa sampi") << QByteArray("ϞϟϘϙϠϡͲͳ") << 0LL << 0 << 0LL << 0;
    QTest::newRow("coptic, yot, kai") << QByteArray("ϢϣϳͿϏϗ") << 0LL << 0 << 0LL << 0;
    QTest::newRow("micro sign is not μ") << QByteArray("µ") << 0LL << 0 << 0LL << 0;
    QTest::newRow("latin o, cyrillic о") << QByteArray("oо") << 0LL << 0 << 0LL << 0;
    QTest::newRow("outside BMP") << QByteArray("😀α𝛂") << 1LL << 1 << 1LL << 1;
    QTest::newRow("ohm sign") << QByteArray("\u2126") << 800LL << 8 << 24LL << 6;
    QTest::newRow("ohm signs among quotes")
        << QByteArray("ΑΒΓΔΕΖΗΘ \u2126 \u2019\u2019\u2126") << 1639LL << 1 << 84LL << 3;
    QTest::newRow("look-alike symbols")
        << QByteArray("𝛀𝚨\u2127\u212A\u212B") << 0LL << 0 << 0LL << 0;
}

void TestWordValue::calculate()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, classical);
    QFETCH(int, classicalPrimary);
    QFETCH(qint64, positional);
    QFETCH(int, positionalPrimary);

    const std::string_view utf8(text.constData(), static_cast<std::size_t>(text.size()));
    const std::u16string utf16 = ToUtf16(text);
    const TWordValueResult c{classical, classicalPrimary};
    const TWordValueResult p{positional, positionalPrimary};

    QCOMPARE(CalculateWordValue(utf8, vsClassical), c);
    QCOMPARE(CalculateWordValue(utf16, vsClassical), c);
    QCOMPARE(CalculateWordValue(utf8, vsPositional), p);
    QCOMPARE(CalculateWordValue(utf16, vsPositional), p);
    QCOMPARE(ClassicalValue(utf8), classical);
    QCOMPARE(ClassicalValue(utf16), classical);
    QCOMPARE(PositionalValue(utf8), positional);
    QCOMPARE(PositionalValue(utf16), positional);
}

// Every spelling of one letter (small, capital, tonos, polytonic) has the value
// of its plain capital, which is the letter that FoldChar gives.
void TestWordValue::sameLetterAnyForm_data()
{
    QTest::addColumn<QString>("forms");
    QTest::addColumn<QString>("capital");
    QTest::addColumn<int>("classical");
    QTest::addColumn<int>("positional");

    QTest::newRow("Α") << "ΑαάἀἁἂἃἄἅἆἇἈἉἊἋἌἍἎἏὰάᾀᾈᾰᾱᾲᾳᾴᾶᾷᾸᾹᾺΆᾼΆ"
                       << "Α" << 1 << 1;
    QTest::newRow("Ε") << "ΕεέἐἑἒἓἔἕἘἙἚἛἜἝὲέῈΈΈϵ"
                       << "Ε" << 5 << 5;
    QTest::newRow("Η") << "ΗηήἠἡἢἣἤἥἦἧἨἩἪἫἬἭἮἯὴήᾐᾘῂῃῄῆῇῊΉῌΉ"
                       << "Η" << 8 << 7;
    QTest::newRow("Ι") << "ΙιίἰἱἲἳἴἵἶἷἸἹἺἻἼἽἾἿὶίῐῑῒΐῖῗῘῙῚΊΊϊΐΪ"
                       << "Ι" << 10 << 9;
    QTest::newRow("Ο") << "ΟοόὀὁὂὃὄὅὈὉὊὋὌὍὸόῸΌΌ"
                       << "Ο" << 70 << 15;
    QTest::newRow("Ρ") << "ΡρῤῥῬϱ"
                       << "Ρ" << 100 << 17;
    QTest::newRow("Σ") << "ΣσςϲϹ"
                       << "Σ" << 200 << 18;
    QTest::newRow("Υ") << "ΥυύὐὑὒὓὔὕὖὗὙὛὝὟὺύῠῡῢΰῦῧῨῩῪΎΎϋΰΫϒϓϔ"
                       << "Υ" << 400 << 20;
    QTest::newRow("Ω") << "ΩωώὠὡὢὣὤὥὦὧὨὩὪὫὬὭὮὯὼώᾠᾨᾯῲῳῴῶῷῺΏΏῼ\u2126"
                       << "Ω" << 800 << 24;
    QTest::newRow("ϐ") << "ϐ"
                       << "Β" << 2 << 2;
    QTest::newRow("ϑ") << "ϑϴ"
                       << "Θ" << 9 << 8;
    QTest::newRow("ϰ") << "ϰ"
                       << "Κ" << 20 << 10;
    QTest::newRow("ϖ") << "ϖ"
                       << "Π" << 80 << 16;
    QTest::newRow("ϕ") << "ϕ"
                       << "Φ" << 500 << 21;
}

void TestWordValue::sameLetterAnyForm()
{
    QFETCH(QString, forms);
    QFETCH(QString, capital);
    QFETCH(int, classical);
    QFETCH(int, positional);

    const char32_t cap = capital.toUcs4().at(0);
    for (const char32_t c : forms.toUcs4()) {
        const QByteArray label = QString::number(static_cast<uint>(c), 16).toLatin1();
        QVERIFY2(FoldChar(c) == cap, label);
        QVERIFY2(LetterValue(c, vsClassical) == classical, label);
        QVERIFY2(LetterValue(c, vsPositional) == positional, label);
        const QString one = QString::fromUcs4(&c, 1);
        QVERIFY2(ClassicalValue(one.toStdU16String()) == classical, label);
        const QByteArray utf8 = one.toUtf8();
        QVERIFY2(PositionalValue(std::string_view(utf8.constData(), utf8.size())) == positional,
                 label);
    }
}

void TestWordValue::milesian_data()
{
    QTest::addColumn<QString>("forms");
    QTest::addColumn<int>("value");
    QTest::newRow("stigma, digamma") << "ϚϛϜϝ" << 6;
    QTest::newRow("koppa") << "ϘϙϞϟ" << 90;
    QTest::newRow("sampi") << "ϠϡͲͳ" << 900;
}

// The full numerals are the classical ones plus the numeral letters: every
// code point where the two differ is one of these forms, worth `value`.
void TestWordValue::milesian()
{
    QFETCH(QString, forms);
    QFETCH(int, value);
    int differing = 0, ours = 0;
    for (char32_t c = 0; c < 0x30000; ++c) {
        if (LetterValue(c, vsMilesian) == LetterValue(c, vsClassical))
            continue;
        ++differing;
        QVERIFY(LetterIndex(c) == 0 && FoldChar(c) == c && LetterValue(c, vsPositional) == 0);
        QCOMPARE(LetterValue(c, vsMilesian), NumeralLetterValue(c));
        ours += forms.toUcs4().contains(c);
    }
    QCOMPARE(differing, 12);
    QCOMPARE(ours, 4);
    for (const char32_t c : forms.toUcs4())
        QCOMPARE(NumeralLetterValue(c), value);
    // Whole texts, long enough for the eight-byte steps, through both encodings.
    const QString text = forms + " Ιησοῦς " + forms + forms;
    const QByteArray utf8 = text.toUtf8();
    const std::string_view view(utf8.constData(), std::size_t(utf8.size()));
    QCOMPARE(SystemValue(view, vsMilesian), 888 + 12 * value);
    QCOMPARE(SystemValue(text.toStdU16String(), vsMilesian), 888 + 12 * value);
    QCOMPARE(CalculateWordValue(view, vsMilesian).WordValue, 888 + 12 * value);
    QCOMPARE(ClassicalValue(view), 888);
}

void TestWordValue::foldText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("folded");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("small tonos") << QByteArray("άέήίόύώ") << QByteArray("ΑΕΗΙΟΥΩ");
    QTest::newRow("capital tonos") << QByteArray("ΆΈΉΊΌΎΏ") << QByteArray("ΑΕΗΙΟΥΩ");
    QTest::newRow("σς") << QByteArray("σς") << QByteArray("ΣΣ");
    QTest::newRow("dialytika") << QByteArray("ϊϋΐΰΪΫ") << QByteArray("ΙΥΙΥΙΥ");
    QTest::newRow("latin digits spaces")
        << QByteArray("Hello World 2024 ,.;!?") << QByteArray("Hello World 2024 ,.;!?");
    QTest::newRow("latin greek mix") << QByteArray("aλbάc1ςZ") << QByteArray("aΛbΑc1ΣZ");
    QTest::newRow("greek question mark kept") << QByteArray("τί;·") << QByteArray("ΤΙ;·");
    QTest::newRow("polytonic") << QByteArray("Ἰησοῦς ᾠδή") << QByteArray("ΙΗΣΟΥΣ ΩΔΗ");
    QTest::newRow("combining marks kept")
        << QByteArray("α\xCD\x85ι\xCC\x81") << QByteArray("Α\xCD\x85Ι\xCC\x81");
    QTest::newRow("obsolete numerals kept") << QByteArray("ϛϟϡ") << QByteArray("ϛϟϡ");
    QTest::newRow("outside BMP kept") << QByteArray("α😀β") << QByteArray("Α😀Β");
}

void TestWordValue::foldText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, folded);

    const std::string utf8 = FoldText(std::string_view(text.constData(), text.size()));
    QCOMPARE(QByteArray::fromStdString(utf8), folded);
    QCOMPARE(CodePoints(QByteArray::fromStdString(utf8)), CodePoints(text));

    const std::u16string source = ToUtf16(text);
    const std::u16string utf16 = FoldText(source);
    QCOMPARE(QString::fromStdU16String(utf16), QString::fromUtf8(folded));
    QCOMPARE(utf16.size(), source.size());
    // Only characters that changed may be Greek: everything else stays put.
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (utf16[i] != source[i])
            QVERIFY(LetterIndex(source[i]) != 0);
    }
}

void TestWordValue::beyond32Bits_data()
{
    QTest::addColumn<QByteArray>("letter");
    QTest::addColumn<int>("count");
    QTest::addColumn<TValueSystem>("system");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("primary");

    QTest::newRow("Ω classical") << QByteArray("Ω") << 2'700'000 << vsClassical << 2'160'000'000LL
                                 << 9;
    QTest::newRow("ω positional") << QByteArray("ω") << 2'700'000 << vsPositional << 64'800'000LL
                                  << 9;
    QTest::newRow("ὦ classical") << QByteArray("ὦ") << 2'700'000 << vsClassical << 2'160'000'000LL
                                 << 9;
    QTest::newRow("ψ classical") << QByteArray("ψ") << 3'100'000 << vsClassical << 2'170'000'000LL
                                 << 1;
}

void TestWordValue::beyond32Bits()
{
    QFETCH(QByteArray, letter);
    QFETCH(int, count);
    QFETCH(TValueSystem, system);
    QFETCH(qint64, value);
    QFETCH(int, primary);

    const QByteArray utf8 = letter.repeated(count);
    const std::u16string utf16 = ToUtf16(utf8);
    const TWordValueResult expected{value, primary};
    QCOMPARE(CalculateWordValue(std::string_view(utf8.constData(), utf8.size()), system), expected);
    QCOMPARE(CalculateWordValue(utf16, system), expected);
}

// Sweeps of consecutive values, checked against the closed formula and against
// digit sums of the decimal text.
void TestWordValue::primaryNumberRanges_data()
{
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("count");

    constexpr qint64 max = std::numeric_limits<qint64>::max();
    QTest::newRow("0 to 2 million") << 0LL << 2'000'000LL;
    QTest::newRow("around 2^31") << 2'147'383'647LL << 200'000LL;
    QTest::newRow("around 10^12") << 999'999'900'000LL << 200'000LL;
    QTest::newRow("around 10^18") << 999'999'999'999'900'000LL << 200'000LL;
    QTest::newRow("top of int64") << max - 199'999 << 200'000LL;
    QTest::newRow("negative") << -100'000LL << 100'000LL;
}

void TestWordValue::primaryNumberRanges()
{
    QFETCH(qint64, first);
    QFETCH(qint64, count);

    for (qint64 i = 0; i < count; ++i) {
        const qint64 n = first + i;
        const std::uint64_t magnitude =
            n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
        const int got = PrimaryNumber(n);
        if (got != DigitRootFormula(magnitude))
            QFAIL(qPrintable(QStringLiteral("PrimaryNumber(%1) = %2").arg(n).arg(got)));
        if (i % 997 == 0)
            QCOMPARE(got, DigitRootOfText(std::to_string(magnitude)));
    }
}

void TestWordValue::primaryNumberFixed_data()
{
    QTest::addColumn<qint64>("n");
    QTest::addColumn<int>("primary");

    QTest::newRow("0") << 0LL << 0;
    QTest::newRow("9") << 9LL << 9;
    QTest::newRow("10") << 10LL << 1;
    QTest::newRow("99") << 99LL << 9;
    QTest::newRow("1000") << 1000LL << 1;
    QTest::newRow("93") << 93LL << 3;
    QTest::newRow("888") << 888LL << 6;
    QTest::newRow("int32 max") << 2'147'483'647LL << 1;
    QTest::newRow("int64 max") << std::numeric_limits<qint64>::max() << 7;
    QTest::newRow("int64 min, sign dropped") << std::numeric_limits<qint64>::min() << 8;
    QTest::newRow("-93, sign dropped") << -93LL << 3;
    QTest::newRow("all nines") << 999'999'999'999'999'999LL << 9;
}

void TestWordValue::primaryNumberFixed()
{
    QFETCH(qint64, n);
    QFETCH(int, primary);
    QCOMPARE(PrimaryNumber(n), primary);
}

QTEST_APPLESS_MAIN(TestWordValue)
#include "tst_wordvalue.moc"
