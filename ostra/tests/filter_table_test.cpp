// The fixed-point weight tables against the straightforward version, over
// many size pairs: same phase counts, same weights to the unit.
#include "FilterTable.h"
#include "ReferenceResize.h"

#include <gtest/gtest.h>

namespace {

using ostra::FilterTable;
using ostra_reference::ReferenceResize;

TEST(OstraFilterTable, EqualsTheStraightforwardTablesAndFitsSixteenBits)
{
    const int sizes[] = {1, 2, 3, 5, 7, 15, 16, 31, 75, 100, 101, 480, 640, 641, 750, 1000, 1920, 2560, 3000, 4000};
    FilterTable table;
    for (int source : sizes) {
        for (int target : sizes) {
            SCOPED_TRACE(testing::Message() << source << " -> " << target);
            int phases = 0;
            const std::vector<int> expected = ReferenceResize::BuildFilter(source, target, &phases);
            ASSERT_EQ(table.Build(source, target), phases);
            ASSERT_EQ(table.phases(), phases);
            // Weights of a normalised kernel always fit the 16-bit vector path.
            EXPECT_TRUE(table.fitsInt16());
            for (int p = 0; p < phases; ++p) {
                for (int k = 0; k < FilterTable::kTaps; ++k) {
                    ASSERT_EQ(table.Taps(p)[k], expected[size_t(p) * FilterTable::kTaps + k]) << "phase " << p << " tap " << k;
                    ASSERT_EQ(table.PackedTaps(p)[k], expected[size_t(p) * FilterTable::kTaps + k]);
                }
                EXPECT_EQ(table.Taps(p)[FilterTable::kTaps], 0);
                EXPECT_EQ(table.PackedTaps(p)[FilterTable::kTaps], 0);
            }
        }
    }
}

TEST(OstraFilterTable, SameSizeIsOnePhaseWithCentreWeightOnly)
{
    FilterTable table;
    ASSERT_EQ(table.Build(640, 640), 1);
    for (int k = 0; k < FilterTable::kTaps; ++k) {
        EXPECT_EQ(table.Taps(0)[k], k == 7 ? 32767 : 0) << k;
    }
}

TEST(OstraFilterTable, PhaseCounts)
{
    struct Case {
        int source;
        int target;
        int phases;
    };
    const Case cases[] = {{640, 100, 5}, {480, 75, 5}, {641, 640, 640}, {640, 320, 1}, {4000, 1000, 1},
                          {640, 2560, 4}, {31 * 37, 37 * 41, 37 * 41}, {29 * 29, 29, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(FilterTable::ReducePhases(c.source, c.target), c.phases) << c.source << " -> " << c.target;
    }
}

}  // namespace
