#include "browser/url_text.h"

#include <gtest/gtest.h>

namespace kvt::browser {
namespace {

TEST(UrlTextTest, RestoresOnlyTheCharactersTheControlsRulesReadBack) {
    const struct {
        const char16_t* canonical;
        const char16_t* restored;
    } cases[] = {
        {u"http://h/a?code=rid%7B101%7D", u"http://h/a?code=rid{101}"},
        {u"http://h/rid%7b101%7d", u"http://h/rid{101}"},
        {u"zq://key/%22a/b%22", u"zq://key/\"a/b\""},
        {u"zq://key/%27a/b%27/%60", u"zq://key/'a/b'/`"},
        {u"http://h/a%20b%2Fc%26d", u"http://h/a%20b%2Fc%26d"},
        {u"http://h/%7", u"http://h/%7"},
        {u"http://h/%", u"http://h/%"},
        {u"%7B%7D", u"{}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RestorePageWrittenUrl(c.canonical), c.restored);
    }
}

}  // namespace
}  // namespace kvt::browser
