#include <gtest/gtest.h>

#include <cwctype>

#include "support/text.h"

// The command line's trims follow the C runtime that the program itself runs with: every UTF-16
// unit is white space to the launcher exactly when iswspace says so.
TEST(WhiteSpace, AgreesWithTheCRuntimeOnEveryUnit) {
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit)
        ASSERT_EQ(IsWhiteSpace(static_cast<char16_t>(unit)), std::iswspace(static_cast<wint_t>(unit)) != 0)
            << "U+" << std::hex << unit;
}
