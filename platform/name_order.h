// How the system orders the titles of two entries of one folder.
#pragma once

#include "core/dir_entry.h"

// Platform::CompareTitles.
// - POSIX: the bytes of the names, the case of ASCII letters ignored.
// - Windows: the UTF-16 names (DirEntry::identity) by the system's own case
//   rule for file names (CompareStringOrdinal, case ignored), so that "ω"
//   and "Ω" are one title and "ア" and "ヂ", alike in their code page 932
//   bytes but for the case of an ASCII letter, are two.
int CompareTitlesAsTheSystem(const DirEntry& a, const DirEntry& b);
