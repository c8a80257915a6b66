#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/environment.h"
#include "support/text.h"
#include "support/wide_win.h"

// A fresh folder under the temporary folder, removed with everything in it at the end (paths
// inside may exceed MAX_PATH: Wine, which runs these tests, removes those without the long-path
// prefix, which the standard library's removal cannot take).
struct TempFolder {
    TempFolder() {
        wchar_t base[MAX_PATH];
        const int32_t length = static_cast<int32_t>(GetTempPathW(MAX_PATH, base));
        static int32_t counter = 0;
        path = WideString(U(base), length) +
               Format(u"qz-%d-%d", {static_cast<int32_t>(GetCurrentProcessId()), ++counter});
        CreateDirectoryW(W(path), nullptr);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(W(path), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    WideString operator/(std::u16string_view name) const { return path + u"\\" + name; }

    static void WriteFile(const WideString& file, const std::string& bytes) {
        std::ofstream out(W(file), std::ios::binary);
        ASSERT_TRUE(out << bytes);
    }
    static bool IsFolder(const WideString& folder) {
        const DWORD attributes = GetFileAttributesW(W(folder));
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    WideString path;
};

// Sets an environment variable (empty: unsets it) and restores it (unset when it was empty) when
// the test ends.
struct ScopedVariable {
    ScopedVariable(const char16_t* variableName, const WideString& value)
        : name(variableName), old(ReadEnvironmentVariable(variableName)) {
        SetEnvironmentVariableW(W(name), value.IsEmpty() ? nullptr : W(value));
    }
    ~ScopedVariable() { SetEnvironmentVariableW(W(name), old.IsEmpty() ? nullptr : W(old)); }

    WideString name, old;
};
