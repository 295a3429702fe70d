#include "platform/win32/this_user.h"

#include <aclapi.h>
#include <sddl.h>

std::vector<BYTE> ThisUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    std::vector<BYTE> sid;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        const PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        const auto* bytes = static_cast<const BYTE*>(user);
        sid.assign(bytes, bytes + GetLengthSid(user));
    }
    CloseHandle(token);
    return sid;
}

bool OwnedByThisUser(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    std::vector<BYTE> user = ThisUserSid();
    const bool ours = owner && (user.empty() || EqualSid(owner, user.data()));
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
