#include "UserDefaults.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/text/FixedText.h"

namespace qx {

bool GetUserNameA(char* buffer, uint32_t* size) {
    if (!size)
        return false;
    std::string name;
    long bufSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> work(bufSize > 0 ? static_cast<size_t>(bufSize) : 16384);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &pw, work.data(), work.size(), &found) == 0 && found &&
        found->pw_name)
        name = found->pw_name;
    else if (const char* env = std::getenv("USER"))
        name = env;
    if (name.empty())
        return false;
    const uint32_t needed = static_cast<uint32_t>(name.size() + 1);
    if (!buffer || *size < needed) {
        *size = needed;
        return false;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *size = needed;
    return true;
}

bool GetComputerNameA(char* buffer, uint32_t* size) {
    if (!buffer || !size || *size < 2)
        return false;
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == 0)
        return false;
    *size = static_cast<uint32_t>(CopyText(buffer, *size, host));
    return true;
}

LANGID GetUserDefaultLangID() {
    for (const char* variable : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return LangIdFromLocaleName(value);
    }
    return LANG_NEUTRAL;
}

namespace {

struct Country {
    const char* code;
    LANGID sub;
};
struct Language {
    const char* code;
    LANGID primary;
    const Country* countries;  // ends with a null code
};

constexpr Country kEnglish[] = {{"US", 1},  {"GB", 2},  {"AU", 3},  {"CA", 4},
                                {"NZ", 5},  {"IE", 6},  {"ZA", 7},  {"JM", 8},
                                {"BZ", 10}, {"TT", 11}, {"ZW", 12}, {"PH", 13},
                                {"IN", 16}, {"MY", 17}, {"SG", 18}, {nullptr, 0}};
constexpr Country kFrench[] = {{"FR", 1}, {"BE", 2}, {"CA", 3},   {"CH", 4},
                               {"LU", 5}, {"MC", 6}, {nullptr, 0}};
constexpr Country kGerman[] = {{"DE", 1}, {"CH", 2}, {"AT", 3}, {"LU", 4}, {"LI", 5}, {nullptr, 0}};
constexpr Country kSpanish[] = {
    {"ES", 1},  {"MX", 2},  {"GT", 4},  {"CR", 5},  {"PA", 6},  {"DO", 7},  {"VE", 8},
    {"CO", 9},  {"PE", 10}, {"AR", 11}, {"EC", 12}, {"CL", 13}, {"UY", 14}, {"PY", 15},
    {"BO", 16}, {"SV", 17}, {"HN", 18}, {"NI", 19}, {"PR", 20}, {"US", 21}, {nullptr, 0}};
constexpr Country kOther[] = {{nullptr, 0}};

constexpr Language kLanguages[] = {
    {"en", LANG_ENGLISH, kEnglish}, {"fr", LANG_FRENCH, kFrench}, {"de", LANG_GERMAN, kGerman},
    {"es", 0x0a, kSpanish},         {"it", 0x10, kOther},         {"ja", 0x11, kOther},
    {"ko", 0x12, kOther},           {"nl", 0x13, kOther},         {"pt", 0x16, kOther},
    {"sv", 0x1d, kOther},           {"zh", 0x04, kOther},         {"da", 0x06, kOther},
    {"fi", 0x0b, kOther},           {"nb", 0x14, kOther},         {"pl", 0x15, kOther},
    {"ru", 0x19, kOther},
};

}  // namespace

LANGID LangIdFromLocaleName(std::string_view locale) {
    // language[_COUNTRY][.codeset][@modifier]
    std::string_view name = locale.substr(0, locale.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX")
        return LANG_NEUTRAL;
    size_t sep = name.find_first_of("_-");
    std::string_view language = name.substr(0, sep);
    std::string_view country = sep == std::string_view::npos ? "" : name.substr(sep + 1);
    for (const Language& l : kLanguages) {
        if (language != l.code)
            continue;
        for (const Country* c = l.countries; c->code; ++c)
            if (country == c->code)
                return MakeLangId(l.primary, c->sub);
        return MakeLangId(l.primary, 1);
    }
    return LANG_NEUTRAL;
}

}  // namespace qx
