// How the binding and duplex settings decide the booklet, with records
// filled by hand.
#include <gtest/gtest.h>

#include "order_settings.h"

namespace {

BindingSettings BindingWith(INT option)
{
    BindingSettings binding;
    binding.scope = kSettingScopeJob;
    binding.option = option;
    return binding;
}

DuplexSettings DuplexWith(INT kind, INT mode = kDuplexModeNone)
{
    DuplexSettings duplex;
    duplex.scope = kSettingScopeJob;
    duplex.kind = kind;
    duplex.mode = mode;
    return duplex;
}

TEST(OrderSettings, OneSidedAndLongEdgeDuplexDropABookletForBindLeft)
{
    for (INT kind : {kDuplexOneSided, kDuplexLongEdge, kDuplexLongEdgeManual}) {
        for (INT booklet : {kBindBooklet, kBindBookletReverseFlip}) {
            OrderSettings settings = ReconcileOrderSettings(BindingWith(booklet), DuplexWith(kind));
            EXPECT_EQ(settings.bookletScope, kNoBooklet) << kind << " " << booklet;
            EXPECT_EQ(settings.bindingOption, kBindLeft) << kind << " " << booklet;
        }
    }
}

TEST(OrderSettings, ShortEdgeOrNoDuplexSettingKeepsTheBooklet)
{
    OrderSettings shortEdge =
        ReconcileOrderSettings(BindingWith(kBindBookletReverseFlip), DuplexWith(kDuplexShortEdge));
    EXPECT_EQ(shortEdge.bookletScope, kBookletOverJob);
    EXPECT_EQ(shortEdge.bindingOption, kBindBookletReverseFlip);

    OrderSettings manual =
        ReconcileOrderSettings(BindingWith(kBindBooklet), DuplexWith(kDuplexShortEdgeManual, kDuplexModeManual));
    EXPECT_EQ(manual.bookletScope, kBookletOverJob);
    EXPECT_EQ(manual.duplexMode, kDuplexModeManual);

    // The ticket says nothing about duplex: the record keeps the preset
    // kind, one-sided, which then does not count.
    DuplexSettings absent;
    OrderSettings none = ReconcileOrderSettings(BindingWith(kBindBooklet), absent);
    EXPECT_EQ(none.bookletScope, kBookletOverJob);
    EXPECT_EQ(none.bindingOption, kBindBooklet);
    EXPECT_EQ(none.duplexMode, kDuplexModeNone);
}

TEST(OrderSettings, OtherBindingsAreNoBookletWhateverTheDuplex)
{
    for (INT option : {kBindBottom, kBindLeft, kBindRight, kBindTop}) {
        OrderSettings settings = ReconcileOrderSettings(BindingWith(option), DuplexWith(kDuplexShortEdge));
        EXPECT_EQ(settings.bookletScope, kNoBooklet);
        EXPECT_EQ(settings.bindingOption, option);
    }
}

TEST(OrderSettings, SetsAreTakenOverWithAtLeastOneSheet)
{
    BindingSettings binding = BindingWith(kBindBooklet);
    binding.bookletMethod = kDivideIntoSets;
    const INT given[] = {7, 1, 0, -3};
    const INT taken[] = {7, 1, 1, 1};
    for (size_t i = 0; i < 4; ++i) {
        binding.sheetsPerSet = given[i];
        OrderSettings settings = ReconcileOrderSettings(binding, DuplexSettings());
        EXPECT_EQ(settings.bookletMethod, kDivideIntoSets);
        EXPECT_EQ(settings.sheetsPerSet, taken[i]) << given[i];
    }
}

}  // namespace
