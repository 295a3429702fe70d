#include "platform/name_order.h"

#include "core/file_name.h"

// UTF-8: no byte of a longer character is an ASCII letter.
int CompareTitlesAsTheSystem(const DirEntry& a, const DirEntry& b) {
    return CompareIgnoringAsciiCase(FileTitle(a.name), FileTitle(b.name), nullptr);
}
