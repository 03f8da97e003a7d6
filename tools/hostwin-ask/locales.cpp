// hostwin-ask locales: the host's locale table, as GetLocaleInfoA gives it:
// each locale's three-letter language abbreviation (the extension of a
// language resource file) and ANSI code page.
#include "ask.h"

#include "locale_table.h"
#include "platform/win32.h"

#include <cstdio>
#include <cstdlib>

namespace hostwin_ask {

int AskLocales(const std::vector<std::string>& arguments) {
    if (!arguments.empty()) {
        std::fputs("hostwin-ask locales: no arguments (see hostwin-ask --help)\n", stderr);
        return 2;
    }
    for (LCID lcid : hostwin::KnownLocales()) {
        char abbreviation[16] = {}, codePage[16] = {};
        GetLocaleInfoA(lcid, LOCALE_SABBREVLANGNAME, abbreviation, sizeof abbreviation);
        GetLocaleInfoA(lcid, LOCALE_IDEFAULTANSICODEPAGE, codePage, sizeof codePage);
        JsonObject answer;
        answer.Number("lcid", lcid)
            .Utf8("abbreviation", abbreviation)
            .Number("code_page", std::atol(codePage));
        std::puts(answer.Close().c_str());
    }
    return 0;
}

} // namespace hostwin_ask
