#pragma once
// The multibyte code page in use, as the original platform reports it: fonts
// and layouts of the user interface differ for some East Asian code pages. It
// follows the locale of character handling (LC_ALL, LC_CTYPE, LANG).

namespace qx {

constexpr int kCodePageWesternEuropean = 1252;
constexpr int kCodePageJapanese = 932;
constexpr int kCodePageSimplifiedChinese = 936;
constexpr int kCodePageKorean = 949;
constexpr int kCodePageTraditionalChinese = 950;

int ActiveCodePage();

// Tests fix the code page; 0 returns to the locale's.
void SetActiveCodePageForTesting(int codePage);

}  // namespace qx
