// The locales the host machine knows, for tools that list them; what each
// one gives is asked through GetLocaleInfoA.
#pragma once

#include "hostwin/windows.h"

#include <vector>

namespace hostwin {

// The identifiers of every locale GetLocaleInfoA answers for, in table order.
std::vector<LCID> KnownLocales();

} // namespace hostwin
