#include <gtest/gtest.h>

#include "frame/panels/LabeledSlider.h"

TEST(LabeledSlider, SetValueKeepsTheValueWithin0To100) {
    CLabeledSlider slider;
    EXPECT_EQ(slider.SetValue(37), 37);
    EXPECT_DOUBLE_EQ(slider.GetPercent(), 0.37);
    EXPECT_EQ(slider.SetValue(101), 101);
    EXPECT_EQ(slider.SetValue(-1), -1);
    EXPECT_EQ(slider.GetValue(), 37);
}
