// The news feed: its lines, and how a web feed takes over from the game server's lists.
#include <gtest/gtest.h>

#include "web/haber.h"

namespace {

TEST(Haber, FeedLines) {
    auto h = webhaber::coz("a|b|c\r\nsatir yok\n\nx|y|z|w\nk|l|\n|bos|");
    ASSERT_EQ(h.size(), 4u);
    EXPECT_EQ(h[0].metin, "c");
    EXPECT_EQ(h[1].kisa, "x");
    EXPECT_EQ(h[1].baslik, "y");
    EXPECT_EQ(h[1].metin, "z|w");
    EXPECT_EQ(h[2].metin, "");
    EXPECT_EQ(h[3].kisa, "");
    EXPECT_TRUE(webhaber::coz("yok\nhic|\n").empty());
}

TEST(Haber, WebFeedReplacesServerListsAndBadFeedChangesNothing) {
    haberler = {{"s", "sunucudan", ""}};
    webhaber::var = false;
    webhaber::uygula("yalniz\nsatirlar\n");
    EXPECT_FALSE(webhaber::var);
    ASSERT_EQ(haberler.size(), 1u);
    EXPECT_EQ(haberler[0].baslik, "sunucudan");
    webhaber::uygula("08.12|Kış|Metin\n05.12|Bakım|\n");
    EXPECT_TRUE(webhaber::var);
    ASSERT_EQ(haberler.size(), 2u);
    EXPECT_EQ(haberler[0].baslik, "Kış");
    haberler.clear();
    webhaber::var = false;
}

}  // namespace
