#include <gtest/gtest.h>

#include <algorithm>

#include "common/wide_printer.h"
#include "support/growing_read.h"

namespace {
// Stand-ins for the three ways a system call reports a cut value.
const std::u16string kLong(700, u'p');

uint32_t LikeModuleFileName(char16_t* buffer, int32_t size) {  // fills the buffer, no zero
    const size_t copied = std::min(kLong.size(), static_cast<size_t>(size));
    std::copy_n(kLong.begin(), copied, buffer);
    return static_cast<uint32_t>(copied);
}
uint32_t LikeProfileString(char16_t* buffer, int32_t size) {  // cuts to size - 1 and zero
    const size_t copied = std::min(kLong.size(), static_cast<size_t>(size - 1));
    std::copy_n(kLong.begin(), copied, buffer);
    buffer[copied] = 0;
    return static_cast<uint32_t>(copied);
}
uint32_t LikeEnvironment(char16_t* buffer, int32_t size) {  // too small: the size it needs
    if (kLong.size() + 1 > static_cast<size_t>(size)) return static_cast<uint32_t>(kLong.size() + 1);
    std::copy(kLong.begin(), kLong.end(), buffer);
    return static_cast<uint32_t>(kLong.size());
}
}  // namespace

TEST(ReadGrowing, ReadsValuesLongerThanTheFirstBufferWhole) {
    int calls = 0;
    const WideString module = ReadGrowing(
        260, [&](char16_t* b, int32_t s) { ++calls; return LikeModuleFileName(b, s); },
        [](uint32_t written, int32_t size) { return written == static_cast<uint32_t>(size); });
    EXPECT_EQ(module.Std(), kLong);
    EXPECT_EQ(calls, 3);  // 260, 520, 1040

    const WideString profile = ReadGrowing(256, LikeProfileString, [](uint32_t w, int32_t s) {
        return w == static_cast<uint32_t>(s) - 1;
    });
    EXPECT_EQ(profile.Std(), kLong);

    const WideString environment = ReadGrowing(260, LikeEnvironment, [](uint32_t w, int32_t s) {
        return w >= static_cast<uint32_t>(s);
    });
    EXPECT_EQ(environment.Std(), kLong);
}
