#include <gtest/gtest.h>

#include <cwctype>

#include "support/text.h"

// The command line's trims follow the C runtime that the program itself runs with: every UTF-16
// unit is white space to the launcher exactly when iswspace says so.
TEST(WhiteSpace, AgreesWithTheCRuntimeOnEveryUnit) {
    int differences = 0;
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const bool runtime = std::iswspace(static_cast<wint_t>(unit)) != 0;
        if (IsWhiteSpace(static_cast<char16_t>(unit)) != runtime && ++differences <= 10)
            ADD_FAILURE() << "U+" << std::hex << unit << ": the C runtime says " << runtime;
    }
    EXPECT_EQ(differences, 0);
}
