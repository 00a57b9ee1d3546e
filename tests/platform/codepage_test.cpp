// The code page follows the locale of character handling.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/text/CodePage.h"

using namespace qx;

namespace {

// Sets the locale variables for one case and puts the old ones back after.
class LocaleEnvironment {
  public:
    LocaleEnvironment(const char* all, const char* ctype, const char* lang) {
        Set("LC_ALL", all);
        Set("LC_CTYPE", ctype);
        Set("LANG", lang);
    }
    ~LocaleEnvironment() {
        for (const auto& [name, value] : m_saved) {
            if (value.second)
                setenv(name.c_str(), value.first.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

  private:
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        m_saved.push_back({name, {old ? old : "", old != nullptr}});
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> m_saved;
};

TEST(CodePageTest, FollowsTheCharacterLocale) {
    {
        LocaleEnvironment env(nullptr, nullptr, "ja_JP.UTF-8");
        EXPECT_EQ(ActiveCodePage(), kCodePageJapanese);
    }
    {
        LocaleEnvironment env(nullptr, "ko_KR.UTF-8", "ja_JP.UTF-8");
        EXPECT_EQ(ActiveCodePage(), kCodePageKorean);
    }
    {
        LocaleEnvironment env("zh_TW.UTF-8", "ja_JP.UTF-8", nullptr);
        EXPECT_EQ(ActiveCodePage(), kCodePageTraditionalChinese);
    }
    {
        LocaleEnvironment env(nullptr, nullptr, "zh_CN.GB18030");
        EXPECT_EQ(ActiveCodePage(), kCodePageSimplifiedChinese);
    }
    {
        LocaleEnvironment env("", "", "de_DE.UTF-8");
        EXPECT_EQ(ActiveCodePage(), kCodePageWesternEuropean);
    }
    {
        LocaleEnvironment env(nullptr, nullptr, nullptr);
        EXPECT_EQ(ActiveCodePage(), kCodePageWesternEuropean);
        SetActiveCodePageForTesting(kCodePageJapanese);
        EXPECT_EQ(ActiveCodePage(), kCodePageJapanese);
        SetActiveCodePageForTesting(0);
        EXPECT_EQ(ActiveCodePage(), kCodePageWesternEuropean);
    }
}

}  // namespace
