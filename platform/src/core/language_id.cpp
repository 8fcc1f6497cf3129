// The system's language as a language identifier, from the POSIX locale.
#include <cstdlib>
#include <string_view>

#include "platform/base.h"

namespace {

struct LocaleLanguage {
    std::string_view locale;  // "ll_CC" or "ll" for the language's usual country
    LANGID id;
};

// The languages most print jobs are in; a language alone stands for its
// first row.
constexpr LocaleLanguage kLanguages[] = {
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"de_DE", 0x0407}, {"de_AT", 0x0C07},
    {"de_CH", 0x0807}, {"fr_FR", 0x040C}, {"fr_CA", 0x0C0C}, {"fr_BE", 0x080C}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A},
    {"it_IT", 0x0410}, {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"sv_SE", 0x041D},
    {"da_DK", 0x0406}, {"nb_NO", 0x0414}, {"fi_FI", 0x040B}, {"pl_PL", 0x0415}, {"cs_CZ", 0x0405}, {"hu_HU", 0x040E},
    {"ru_RU", 0x0419}, {"tr_TR", 0x041F}, {"el_GR", 0x0408}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412}, {"zh_CN", 0x0804},
    {"zh_TW", 0x0404}, {"zh_HK", 0x0C04},
};

constexpr LANGID kEnglishUnitedStates = 0x0409;

}  // namespace

LANGID GetSystemDefaultLangID()
{
    const char* locale = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = std::getenv(variable);
        if (locale != nullptr && *locale != '\0') break;
    }
    if (locale == nullptr) return kEnglishUnitedStates;
    std::string_view name(locale);
    // "de_DE.UTF-8@euro" is "de_DE".
    name = name.substr(0, name.find_first_of(".@"));
    for (const LocaleLanguage& language : kLanguages)
        if (language.locale == name) return language.id;
    std::string_view primary = name.substr(0, name.find('_'));
    for (const LocaleLanguage& language : kLanguages)
        if (language.locale.substr(0, 2) == primary && primary.size() == 2) return language.id;
    return kEnglishUnitedStates;
}
