#include <cstdio>

#include "support/utf8.h"
#include "vmhost/class_data_sharing.h"

void RemoveArchiveFile(const WideString& path) { std::remove(EncodeUtf8(path).c_str()); }
