// The interface language shared by the tool family: read at start-up, written straight back.
#include <gtest/gtest.h>

#include <algorithm>

#include "StartedMagnifier.h"

namespace {

using platform::fake::FakePlatform;
using namespace testsupport;

const std::string kHu = "Nagy\xC3\xADt\xC3\xB3";

long languageWrites(const FakePlatform& fake) {
    const auto& log = fake.registry.writeLog();
    return std::count(log.begin(), log.end(), std::string("Language"));
}

using LanguageTest = MagnifierTest;

TEST_F(LanguageTest, FirstStartIsEnglishAndStoresItAtOnce) {
    window.start();
    EXPECT_EQ(window.AppLang, 1);
    ASSERT_FALSE(fake.registry.writeLog().empty());
    EXPECT_EQ(fake.registry.writeLog().front(), "Language");
    const auto value = fake.registry.get(familyKey(), "Language");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->data, (Bytes{1, 0}));
    EXPECT_EQ(value->type, platform::REG_BINARY);
    EXPECT_EQ(window.getLang("hu", "en"), "en");
}

TEST_F(LanguageTest, StoredZeroIsHungarian) {
    storeBytes(fake, familyKey(), "Language", Bytes{0, 0});
    window.start();
    EXPECT_EQ(window.AppLang, 0);
    EXPECT_EQ(window.getLang("hu", "en"), "hu");
    EXPECT_EQ(languageWrites(fake), 1);
    EXPECT_EQ(storedBytes(fake, familyKey(), "Language"), (Bytes{0, 0}));
}

TEST_F(LanguageTest, OtherStoredValuesAreEnglishAndWrittenBackAsTheyAre) {
    // Another tool of the family may know more languages; the value is kept for it.
    storeBytes(fake, familyKey(), "Language", Bytes{2, 0});
    window.start();
    EXPECT_EQ(window.AppLang, 2);
    EXPECT_EQ(window.getLang("hu", "en"), "en");
    EXPECT_EQ(languageWrites(fake), 1);
    EXPECT_EQ(storedBytes(fake, familyKey(), "Language"), (Bytes{2, 0}));
    fake.toolkit.lastForm()->tick();
    EXPECT_EQ(fake.toolkit.lastForm()->Caption(), "Magnifier [2:1]");
}

TEST_F(LanguageTest, UnreadableLanguageIsEnglishAndOverwritten) {
    storeBytes(fake, familyKey(), "Language", Bytes{0, 0, 0, 0}, platform::REG_DWORD);
    window.start();
    EXPECT_EQ(window.AppLang, 1);
    EXPECT_EQ(storedBytes(fake, familyKey(), "Language"), (Bytes{1, 0}));
}

TEST_F(LanguageTest, SetLangWritesEvenWhenUnchanged) {
    window.start();
    const long writes = languageWrites(fake);
    window.setLang(1);
    window.setLang(1);
    EXPECT_EQ(languageWrites(fake), writes + 2);
    window.setLang(0);
    EXPECT_EQ(window.AppLang, 0);
    EXPECT_EQ(storedBytes(fake, familyKey(), "Language"), (Bytes{0, 0}));
    EXPECT_EQ(languageWrites(fake), writes + 3);
}

TEST_F(LanguageTest, NewLanguageShowsAtTheNextTick) {
    window.start();
    auto& form = *fake.toolkit.lastForm();
    form.tick();
    window.setLang(0);
    EXPECT_EQ(form.Caption(), "Magnifier [2:1]");
    form.tick();
    EXPECT_EQ(form.Caption(), kHu + " [2:1]");
}

TEST_F(LanguageTest, UnwritableStoreStillChangesTheLanguage) {
    window.start();
    fake.registry.failSet = platform::ERROR_ACCESS_DENIED;
    window.setLang(0);
    EXPECT_EQ(window.AppLang, 0);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
}

}  // namespace
