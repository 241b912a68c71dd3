// TXPMenu: its sets, properties, the activation walk and its lifetime rules.
#include "Xpmenu.h"

#include <gtest/gtest.h>

TEST(XPSets, MembersAreTheirBitNumbers)
{
    const struct {
        unsigned Member;
        unsigned Expected;
    } containers[] = {{xccForm, 0}, {xccFrame, 1}, {xccToolbar, 2}, {xccCoolbar, 3}, {xccControlbar, 4},
                      {xccPanel, 5}, {xccScrollBox, 6}, {xccGroupBox, 7}, {xccTabSheet, 8}, {xccPageScroller, 9}};
    for (const auto& c : containers)
        EXPECT_EQ(TXPContainers{static_cast<TXPContainer>(c.Member)}.Bits(), 1u << c.Expected);
    EXPECT_EQ(kAllXPContainers.Bits(), 0x03FF);

    EXPECT_EQ(TXPControls{xcMainMenu}.Bits(), 0x0001);
    EXPECT_EQ(TXPControls{xcCombo}.Bits(), 0x0010);
    EXPECT_EQ(TXPControls{xcCheckBox}.Bits(), 0x0200);
    EXPECT_EQ(TXPControls{xcButton}.Bits(), 0x0800);
    EXPECT_EQ(TXPControls{xcGroupBox}.Bits(), 0x8000);
    EXPECT_EQ((TXPControls{xcMainMenu, xcPopupMenu, xcToolbar}).Bits(), 0x0007);
    EXPECT_EQ(sizeof(TXPControls), 2u);
    EXPECT_EQ(sizeof(TXPContainers), 2u);
    EXPECT_TRUE(kAllXPControls.Contains(xcGroupBox));
    EXPECT_FALSE(kAllXPControls.Without(xcEdit).Contains(xcEdit));
}
