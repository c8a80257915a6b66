#include "config/settings.h"

#include "launch/launcher.h"
#include "support/text.h"

namespace {
struct VmProviderRow {
    const char16_t* name;
    bool jrockitAccepted, jrockitFavored, sunAccepted, sunFavored, ibmAccepted, ibmFavored;
};

// The first row holds the defaults; it has no name and is never matched.
constexpr VmProviderRow kVmProviders[] = {
    {u"", false, false, true, true, false, false},
    {u"jrockit", true, true, false, false, false, false},
    {u"ibm", false, false, false, false, true, true},
    {u"favor_sun", true, false, true, true, true, false},
    {u"favor_jrockit", true, true, true, false, true, false},
    {u"favor_ibm", true, false, true, false, true, true},
    {u"any", true, false, true, false, true, false},
};
}  // namespace

JavaVersion MinimumVersionSetting(const WideString& value) {
    JavaVersion version;
    if (!EqualsExact(value, u"any")) ParseJavaVersion(value, kVersionFillMinimum, version);
    return version;
}

JavaVersion MaximumVersionSetting(const WideString& value) {
    JavaVersion version;
    if (EqualsExact(value, u"any") || !ParseJavaVersion(value, kVersionFillMaximum, version))
        version = JavaVersion{kVersionFillMaximum, kVersionFillMaximum, kVersionFillMaximum,
                              kVersionFillMaximum};
    return version;
}

int32_t JvmTypeSetting(const WideString& value) {
    if (EqualsExact(value, u"server")) return 1;
    if (EqualsExact(value, u"favor_server")) return 2;
    return 0;
}

void ApplyJvmSource(const WideString& value, Launcher& launcher) {
    if (!value.IsEmpty())
        launcher.anyKindAccepted = EqualsExact(value, u"favor_JRE") || EqualsExact(value, u"favor_JDK");
    launcher.jdkWanted = value.IsEmpty() || EqualsExact(value, u"favor_JDK") ||
                         EqualsExact(value, u"only_JDK");
    launcher.jreWanted = value.IsEmpty() || EqualsExact(value, u"favor_JRE") ||
                         EqualsExact(value, u"only_JRE");
}

void ApplyVmProvider(const WideString& value, Launcher& launcher) {
    if (value.IsEmpty()) return;
    for (const VmProviderRow& row : kVmProviders) {
        if (row.name[0] == u'\0' || !EqualsNoCase(value, row.name)) continue;
        launcher.jrockitAccepted = row.jrockitAccepted;
        launcher.jrockitFavored = row.jrockitFavored;
        launcher.sunAccepted = row.sunAccepted;
        launcher.sunFavored = row.sunFavored;
        launcher.ibmAccepted = row.ibmAccepted;
        launcher.ibmFavored = row.ibmFavored;
        return;
    }
}

bool IsYes(const WideString& value) { return EqualsNoCase(value, u"Yes"); }
