#include "config/ini_file.h"

// A value taken from the "+" section is returned as written: a space put in front of it would
// make every such class name, folder, switch or VM option unusable.
WideString LayerValue(const WideString& sectionValue, const WideString& plusSectionValue) {
    return sectionValue.IsEmpty() ? plusSectionValue : sectionValue;
}
