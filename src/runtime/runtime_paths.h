#pragma once

#include <cstddef>
#include <cstdint>

#include "support/wide_string.h"

// n times: cut the path just before its last "\"; a path without one stays as it is.
WideString StripComponents(const WideString& path, int32_t n);
// The runtime folder of a VM library path (two components up), with its final "\":
// C:\rt\bin\server\jvm.dll gives C:\rt\. Empty for a path without any "\".
WideString RuntimeHome(const WideString& libraryPath);
// The runtime folder published as QZ_JVM_HOME: three components up from the VM library, with
// the separator kept where that is a drive's root ("R:\", never the drive-relative "R:").
WideString PublishedRuntimeHome(const WideString& libraryPath);
// The runtime folder shipped beside the executable: "jre64\" for the 64-bit build, "jre\" for
// the 32-bit one.
const char16_t* ShippedRuntimeFolderName();

// Machine types of the PE file header.
inline constexpr uint16_t kMachineX86 = 0x014C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
// The offset of the PE headers ("PE\0\0" then the file header) in a mapped image, when the data
// holds a DOS header, an e_lfanew inside the data, the signature and a whole file header. false
// for anything shorter or malformed: nothing outside the data is ever read.
bool LocatePeHeaders(const unsigned char* data, size_t size, size_t& headersOffset);
// The machine field of the headers found by LocatePeHeaders.
uint16_t PeMachine(const unsigned char* data, size_t headersOffset);
inline constexpr uint16_t kMachineArm64 = 0xAA64;
// Whether a VM library built for `machine` is the twin's: exactly the other architecture of this
// build (x86 for the 64-bit build, x64 for the 32-bit one), not merely another machine.
bool IsForeignMachine(uint16_t machine, bool build64);
// The processor a machine field names, for people: "x86", "x64", "ARM64" or "another processor".
const char16_t* MachineName(uint16_t machine);
// The machine a VM library registered in a registry view must be built for: this build's own in
// its own view, the twin's in the other view.
uint16_t VmMachineOfView(bool otherView, bool build64);
