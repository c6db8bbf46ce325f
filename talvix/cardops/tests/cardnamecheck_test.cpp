#include "talvix/cardops/CardNameCheck.h"

#include <gtest/gtest.h>

using namespace talvix;

TEST(CardNameCheck, EightDotThreeRules)
{
    const struct {
        const char* name;
        CardNameCheck::Verdict verdict;
    } cases[] = {
        {"abc.txt", CardNameCheck::Ok},       {"ABCDEFGH.TXT", CardNameCheck::Ok},
        {"ABCDEFGH", CardNameCheck::Ok},      {"A", CardNameCheck::Ok},
        {"ABCDEFGHI", CardNameCheck::BadChars}, {"A.B.C", CardNameCheck::BadChars},
        {"AB.CDEF", CardNameCheck::BadChars}, {"MY FILE", CardNameCheck::BadChars},
        {"A-B", CardNameCheck::BadChars},     {"A+B", CardNameCheck::BadChars},
        {"A[1]", CardNameCheck::BadChars},    {"A/B", CardNameCheck::BadChars},
        {"", CardNameCheck::BadLength},       {"ABCDEFGHI.TXT", CardNameCheck::BadLength},
        {"\x83\x5C" "A", CardNameCheck::Ok},  // the second byte looks like "\"
    };
    for (const auto& c : cases)
        EXPECT_EQ(CardNameCheck::Check(c.name, {}), c.verdict) << c.name;
}

TEST(CardNameCheck, DuplicatesAfterUpperCasing)
{
    EXPECT_EQ(CardNameCheck::Check("p1.jpg", {"P1.JPG", "P2.JPG"}), CardNameCheck::Duplicate);
    EXPECT_EQ(CardNameCheck::Check("p3.jpg", {"P1.JPG", "P2.JPG"}), CardNameCheck::Ok);
    EXPECT_EQ(CardNameCheck::Upper("abc.txt"), "ABC.TXT");
}
