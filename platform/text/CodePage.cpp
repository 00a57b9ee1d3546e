#include "CodePage.h"

#include <atomic>
#include <cstdlib>
#include <string>

namespace qx {

namespace {

std::atomic<int> g_override{0};

// The locale name that governs character handling, POSIX precedence.
std::string CharacterLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != 0)
            return value;
    }
    return "C";
}

}  // namespace

int ActiveCodePage() {
    if (int cp = g_override.load(); cp != 0)
        return cp;
    const std::string locale = CharacterLocale();
    auto startsWith = [&](const char* prefix) { return locale.rfind(prefix, 0) == 0; };
    if (startsWith("ja"))
        return kCodePageJapanese;
    if (startsWith("ko"))
        return kCodePageKorean;
    if (startsWith("zh_TW") || startsWith("zh_HK") || startsWith("zh_MO"))
        return kCodePageTraditionalChinese;
    if (startsWith("zh"))
        return kCodePageSimplifiedChinese;
    return kCodePageWesternEuropean;
}

void SetActiveCodePageForTesting(int codePage) {
    g_override.store(codePage);
}

}  // namespace qx
