#include "platform/win32/this_user.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

// A SID that the process token carries as `kind`: TokenUser or TokenOwner.
std::vector<BYTE> TokenSid(TOKEN_INFORMATION_CLASS kind) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    std::vector<BYTE> sid;
    if (size > 0 && GetTokenInformation(token, kind, buffer.data(), size, &size)) {
        // TOKEN_USER and TOKEN_OWNER both start with the SID's address.
        const PSID found = kind == TokenUser
                               ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                               : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
        const auto* bytes = static_cast<const BYTE*>(found);
        sid.assign(bytes, bytes + GetLengthSid(found));
    }
    CloseHandle(token);
    return sid;
}

bool Equal(PSID sid, std::vector<BYTE>& other) {
    return !other.empty() && EqualSid(sid, other.data());
}

} // namespace

std::vector<BYTE> ThisUserSid() {
    return TokenSid(TokenUser);
}

bool OwnedByThisUser(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    // The token's default owner is what this user's new objects get: the
    // user, or the Administrators group for an elevated administrator.
    std::vector<BYTE> user = ThisUserSid();
    std::vector<BYTE> defaultOwner = TokenSid(TokenOwner);
    const bool ours = !owner || Equal(owner, user) || Equal(owner, defaultOwner);
    LocalFree(descriptor);
    return ours;
}

PSECURITY_DESCRIPTOR ThisUserOnly() {
    std::vector<BYTE> user = ThisUserSid();
    char* sidText = nullptr;
    if (user.empty() || !ConvertSidToStringSidA(user.data(), &sidText))
        return nullptr;
    // P: protected, nothing inherited; FA: all file access, to this user alone.
    const std::string sddl = std::string("D:P(A;;FA;;;") + sidText + ")";
    LocalFree(sidText);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return nullptr;
    return descriptor;
}
