#pragma once

namespace testing_support {

// True when the Windows build runs under Wine, whose system functions differ from Windows' in a
// few places; each test that meets one names it.
bool RunningUnderWine();

}  // namespace testing_support
