// The user that this process runs as, for the objects that only that user
// may own or open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The SID of the process token's user; empty when it cannot be read.
std::vector<BYTE> ThisUserSid();

// True when the kernel object's owner is this process's user or the owner
// that its new objects get, or when the owner cannot be told.
bool OwnedByThisUser(HANDLE object);

// A security descriptor that admits this process's user alone and inherits
// nothing from the folder: for CreateFileA's SECURITY_ATTRIBUTES. Null when
// it cannot be made; free it with LocalFree.
PSECURITY_DESCRIPTOR ThisUserOnly();
