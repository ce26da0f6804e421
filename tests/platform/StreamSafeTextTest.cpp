#include "platform/StreamSafeText.h"

#include <gtest/gtest.h>
#include <random>

namespace pellamor {
namespace {

const QString joiner(QChar(0x034F));

QString repeated(const QString& unit, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += unit;
    return text;
}

TEST(StreamSafeTextTest, OrdinaryTextIsLeftAsItIs)
{
    for (const QString& text : { QString(), QStringLiteral("Écran de contenu"), QStringLiteral("e\u0301cran"),
             QStringLiteral("Vi\u1EC7t Nam"), QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467"),
             "a" + repeated(QStringLiteral("\u0301\u0316"), 15),
             "a" + repeated(QStringLiteral("\u0301"), 30) + "b" + repeated(QStringLiteral("\u0316"), 30) })
        EXPECT_EQ(streamSafe(text), text);
}

TEST(StreamSafeTextTest, AJoinerBreaksEveryRunOfMoreThanThirtyNonStarters)
{
    QString mark = QStringLiteral("\u0301");
    EXPECT_EQ(streamSafe("a" + repeated(mark, 31)), "a" + repeated(mark, 30) + joiner + mark);
    QString thirty = repeated(mark, 30);
    EXPECT_EQ(streamSafe("a" + repeated(mark, 100) + "b"),
        "a" + thirty + joiner + thirty + joiner + thirty + joiner + repeated(mark, 10) + "b");
    // A joiner already there is a starter: the run starts again after it.
    QString broken = "a" + thirty + joiner + thirty;
    EXPECT_EQ(streamSafe(broken), broken);
}

TEST(StreamSafeTextTest, ACharacterCountsTheNonStartersOfItsDecomposition)
{
    QString mark = QStringLiteral("\u0301");
    // U+1EC7 ends in two non-starters: e, U+0323, U+0302.
    EXPECT_EQ(streamSafe("\u1EC7" + repeated(mark, 28)), "\u1EC7" + repeated(mark, 28));
    EXPECT_EQ(streamSafe("\u1EC7" + repeated(mark, 29)), "\u1EC7" + repeated(mark, 28) + joiner + mark);
    // U+0344 is two non-starters; U+FF9E is one once decomposed for compatibility, though a starter itself.
    QString dialytikaTonos = QStringLiteral("\u0344");
    EXPECT_EQ(
        streamSafe("a" + repeated(dialytikaTonos, 16)), "a" + repeated(dialytikaTonos, 15) + joiner + dialytikaTonos);
    QString voicedMark = QStringLiteral("\uFF9E");
    EXPECT_EQ(streamSafe("a" + repeated(voicedMark, 31)), "a" + repeated(voicedMark, 30) + joiner + voicedMark);
    // A mark outside the Basic Multilingual Plane counts once, and is never split from its low surrogate.
    QString tremolo = QStringLiteral("\U0001D167");
    EXPECT_EQ(streamSafe("a" + repeated(tremolo, 31)), "a" + repeated(tremolo, 30) + joiner + tremolo);
}

// Letters, precomposed and compatibility characters, marks of both planes and Hangul, mixed at random with no run
// of marks past 30, over many pieces: decomposed as Qt decomposes the whole.
TEST(StreamSafeTextTest, DecomposedTextIsQtsOwnDecompositionOfOrdinaryText)
{
    const std::vector<QString> starters { "a", " ", "\u00e9", "\u1EC7", "\uAC00", "\uFB01", "\u2460", "\U0001D15E" };
    const std::vector<QString> marks { "\u0301", "\u0316", "\u0344", "\uFF9E", "\U0001D167" };
    std::mt19937 random(7);
    QString text;
    int run = 0;
    while (text.size() < 20000) {
        bool mark = run < 12 && random() % 3 == 0;
        const std::vector<QString>& from = mark ? marks : starters;
        text += from[random() % from.size()];
        run = mark ? run + 2 : 0;
    }
    ASSERT_EQ(streamSafe(text), text);
    for (auto form : { QString::NormalizationForm_D, QString::NormalizationForm_KD })
        EXPECT_EQ(decomposedText(text, form), text.normalized(form)) << form;
    QString run31 = "a" + repeated(QStringLiteral("\u0301"), 31);
    EXPECT_EQ(decomposedText(run31, QString::NormalizationForm_D), streamSafe(run31));
}

} // namespace
} // namespace pellamor
