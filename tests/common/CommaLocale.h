// A locale with a comma as its decimal mark (de_DE.UTF-8), for tests that show a number is read
// the C way whatever the locale says. Name its folder in LOCPATH.
#pragma once

#include "common/ScratchLocale.h"

namespace cm::test {

struct CommaLocale : ScratchLocale {
    CommaLocale() : ScratchLocale("de_DE") {}
};

}  // namespace cm::test
