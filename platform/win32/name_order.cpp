#include "platform/name_order.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

// The UTF-16 name of an entry without its last extension.
std::wstring TitleOf(const DirEntry& entry) {
    std::wstring name(entry.identity.size() / sizeof(wchar_t), L'\0');
    std::memcpy(name.data(), entry.identity.data(), name.size() * sizeof(wchar_t));
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

} // namespace

int CompareTitlesAsTheSystem(const DirEntry& a, const DirEntry& b) {
    const std::wstring titleA = TitleOf(a), titleB = TitleOf(b);
    switch (CompareStringOrdinal(titleA.c_str(), static_cast<int>(titleA.size()), titleB.c_str(),
                                 static_cast<int>(titleB.size()), TRUE)) {
    case CSTR_LESS_THAN:
        return -1;
    case CSTR_EQUAL:
        return 0;
    case CSTR_GREATER_THAN:
        return 1;
    default: // a failed call: no name is taken for another
        return titleA.compare(titleB) < 0 ? -1 : titleA == titleB ? 0 : 1;
    }
}
