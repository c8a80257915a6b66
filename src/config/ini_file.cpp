#include "config/ini_file.h"

WideString LayerValue(const WideString& sectionValue, const WideString& plusSectionValue) {
    if (!sectionValue.IsEmpty() || plusSectionValue.IsEmpty()) return sectionValue;
    WideString out;
    if (plusSectionValue[0] != u' ') out.Append(u' ');
    return out.Append(plusSectionValue);
}
