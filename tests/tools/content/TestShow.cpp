#include "TestShow.h"

namespace cm::content::test {

const ShowData& Show() {
    static const ShowData show = BuildShow();
    return show;
}

}  // namespace cm::content::test
