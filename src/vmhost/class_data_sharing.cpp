#include "vmhost/class_data_sharing.h"

#include "launch/launcher.h"
#include "support/fatal.h"
#include "support/text.h"
#include "support/trace.h"

namespace {
// A dynamic archive begins with 0xf00baba8, little-endian.
constexpr unsigned char kDynamicArchiveMagic[] = {0xa8, 0xab, 0x0b, 0xf0};

bool StartsWith(const NarrowString& option, std::string_view prefix) {
    return option.View().substr(0, prefix.size()) == prefix;
}

// The user's own sharing options decide alone; an -Xlog of theirs naming cds keeps its output.
bool UserDecidesSharing(const NarrowStringList& options, bool& userLogsSharing) {
    bool decides = false;
    for (const NarrowString& option : options) {
        decides = decides || StartsWith(option, "-XX:SharedArchiveFile") ||
                  StartsWith(option, "-XX:ArchiveClassesAtExit") ||
                  StartsWith(option, "-Xshare:off") ||
                  StartsWith(option, "-XX:+AutoCreateSharedArchive");
        if (StartsWith(option, "-Xlog") && option.View().find("cds") != std::string_view::npos)
            userLogsSharing = true;
    }
    return decides;
}
}  // namespace

ArchiveState ArchiveStateOf(const unsigned char* header, size_t size) {
    if (size == 0) return ArchiveState::Missing;
    if (size < sizeof kDynamicArchiveMagic) return ArchiveState::Broken;
    for (size_t i = 0; i < sizeof kDynamicArchiveMagic; ++i)
        if (header[i] != kDynamicArchiveMagic[i]) return ArchiveState::Broken;
    return ArchiveState::Usable;
}

int32_t FeatureRelease(const JavaVersion& version) {
    return version.major == 1 ? version.minor : version.major;
}

WideString ClassDataArchiveName(const WideString& vmLibraryPath, const JavaVersion& version) {
    // FNV-1a over the path's units, folded to lower case, and the version's numbers.
    uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](uint32_t value) { hash = (hash ^ value) * 1099511628211ull; };
    for (const char16_t unit : std::u16string_view(vmLibraryPath))
        mix(unit >= u'A' && unit <= u'Z' ? unit + 32 : unit);
    for (const int32_t part : {version.major, version.minor, version.micro, version.update})
        mix(static_cast<uint32_t>(part));
    char16_t text[40];
    const int32_t digits =
        FormatUnsignedDecimal(static_cast<uint64_t>(FeatureRelease(version)), text);
    WideString name(std::u16string_view(text, static_cast<size_t>(digits)));
    name.Append(u'-');
    for (int shift = 60; shift >= 0; shift -= 4)
        name.Append(u"0123456789abcdef"[(hash >> shift) & 15]);
    return name.Append(u".jsa");
}

void Launcher::AddClassDataSharingOptions(const WideString& archive, ArchiveState state,
                                          bool mayWrite) {
    bool userLogsSharing = false;
    if (UserDecidesSharing(vmOptions, userLogsSharing)) {
        Trace(u"class data sharing: the VM parameters choose it themselves");
        return;
    }
    const int32_t release = FeatureRelease(runtimeVersion);
    if (release < 13) {
        Trace(release == 0
                  ? u"class data sharing: the runtime's version is unknown"
                  : u"class data sharing: Java %d has no archive of an application's classes",
              {release});
        return;
    }
    if (state == ArchiveState::Broken && mayWrite) {
        // Such as a write cut short: the VM would neither use nor replace it.
        RemoveArchiveFile(archive);
        Trace(u"class data sharing: %s was no archive: removed", {archive});
        state = ArchiveState::Missing;
    }
    const char16_t* plan = nullptr;
    WideString option;
    if (release >= 19 && mayWrite) {
        // The VM maps the archive, and writes it anew at exit when it is missing or out of date.
        if (!vmOptions.Append("-XX:+AutoCreateSharedArchive")) FatalOutOfMemory();
        option = u"-XX:SharedArchiveFile=";
        plan = u"made or renewed when needed";
    } else if (release < 19 && state == ArchiveState::Usable) {
        option = u"-XX:SharedArchiveFile=";
        plan = u"used";
    } else if (release < 19 && mayWrite) {
        option = u"-XX:ArchiveClassesAtExit=";
        plan = u"made at exit";
    } else {
        // Another instance may write the archive: mapping it would make that write fail.
        Trace(u"class data sharing: %s is being made by another instance", {archive});
        return;
    }
    if (!vmOptions.Append(ToNarrow(option + archive))) FatalOutOfMemory();
    // The VM reports on the archive on standard output: that is the program's output.
    if (!userLogsSharing && !vmOptions.Append("-Xlog:cds*=off")) FatalOutOfMemory();
    Trace(u"class data sharing: Java %d, archive %s %s", {release, archive, plan});
}
