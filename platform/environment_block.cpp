#include "platform/environment_block.h"

#include <algorithm>

#include "core/file_name.h"

namespace {

// An entry's name ends at the first "=" after its first character, so that
// "=C:=C:\dir" is named "=C:".
std::string_view NameOf(std::string_view entry) {
    return entry.substr(0, entry.find('=', 1));
}

void Append(std::string& block, std::string_view name, std::string_view value) {
    block.append(name);
    block += '=';
    block.append(value);
    block += '\0';
}

std::string WithFolder(std::string path, std::string_view folder) {
    if (folder.empty())
        return path;
    if (!path.empty() && path.back() != ';')
        path += ';';
    if (folder.find(';') == std::string_view::npos)
        return path.append(folder);
    return path.append("\"").append(folder).append("\"");
}

} // namespace

std::string ConverterEnvironmentBlock(const std::vector<std::string>& inherited,
                                      const ConverterEnvironment& added,
                                      std::string_view kovalinFolder) {
    ConverterEnvironment set = added;
    set.emplace_back("NoDefaultCurrentDirectoryInExePath", "1");
    const auto isSet = [&set](std::string_view name) {
        return std::any_of(set.begin(), set.end(), [name](const auto& variable) {
            return EqualsIgnoringAsciiCase(variable.first, name);
        });
    };

    std::string block;
    bool pathSeen = false;
    for (const std::string& entry : inherited) {
        const std::string_view name = NameOf(entry);
        if (isSet(name))
            continue;
        if (!pathSeen && name.size() < entry.size() && EqualsIgnoringAsciiCase(name, "PATH")) {
            pathSeen = true;
            Append(block, name, WithFolder(entry.substr(name.size() + 1), kovalinFolder));
            continue;
        }
        block += entry;
        block += '\0';
    }
    if (!pathSeen && !kovalinFolder.empty())
        Append(block, "PATH", WithFolder("", kovalinFolder));
    for (const auto& [name, value] : set)
        Append(block, name, value);
    block += '\0';
    return block;
}
