#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/handles_win.h"
#include "support/wide_win.h"

// A fresh folder under the temporary folder, removed with everything in it at the end. Paths
// inside may exceed MAX_PATH, so removal goes through the long-path prefix.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        path = WideString(U(base));
        path.Append(u"qz-").Append(
            FromNarrow(std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter)));
        CreateDirectoryW(W(path), nullptr);
    }
    ~TempFolder() { RemoveTree(WideString(u"\\\\?\\") + path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const WideString& Path() const { return path; }
    WideString operator/(std::u16string_view name) const { return path + u"\\" + name; }

    static void WriteFile(const WideString& file, const std::string& bytes) {
        std::ofstream out(W(file), std::ios::binary);
        ASSERT_TRUE(out << bytes);
    }
    static std::string ReadFile(const WideString& file) {
        std::ifstream in(W(file), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool IsFolder(const WideString& folder) {
        const DWORD attributes = GetFileAttributesW(W(folder));
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

private:
    static void RemoveTree(const WideString& folder) {
        WIN32_FIND_DATAW data;
        UniqueFind search(FindFirstFileW(W(folder + u"\\*"), &data));
        if (search) {
            do {
                const WideString name(U(data.cFileName));
                if (name == WideString(u".") || name == WideString(u"..")) continue;
                const WideString child = folder + u"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(child);
                else
                    DeleteFileW(W(child));
            } while (FindNextFileW(search.get(), &data));
        }
        search.reset();
        RemoveDirectoryW(W(folder));
    }

    WideString path;
};

// Sets an environment variable (empty: unsets it) and restores it when the test ends.
class ScopedVariable {
public:
    ScopedVariable(const char16_t* variableName, const WideString& value) : name(variableName) {
        wchar_t buffer[32768];
        const DWORD length = GetEnvironmentVariableW(W(name), buffer, 32768);
        hadValue = length > 0;
        old = WideString(U(buffer), static_cast<int32_t>(length));
        SetEnvironmentVariableW(W(name), value.IsEmpty() ? nullptr : W(value));
    }
    ~ScopedVariable() { SetEnvironmentVariableW(W(name), hadValue ? W(old) : nullptr); }

private:
    WideString name;
    WideString old;
    bool hadValue = false;
};
