// Files, folders, links and a process table in memory, for the settings'
// rules without an operating system. Paths are written with "/".
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/file_system.h"

class FakeFileSystem : public FileSystem {
  public:
    struct Node {
        std::string bytes;
        bool folder = false;
        bool readOnly = false;
        unsigned permissions = 0644;
    };
    std::map<std::string, Node> nodes;        // every file and folder, by path
    std::map<std::string, std::string> links; // a link's path and the path it leads to
    std::set<std::string> closedFolders;      // folders ("/s/") that refuse new files
    std::set<std::string> unreadable;         // files that refuse to be read
    WriteOutcome refusal;                     // what MayWrite answers for every file
    std::size_t room = std::string::npos;     // bytes the disk still takes
    std::set<std::uint64_t> running;          // other processes that are alive
    std::uint64_t pid = 7;
    std::vector<std::string> synced; // every folder synced, in order

    bool Has(const std::string& path) const { return nodes.count(path) != 0; }
    std::string Bytes(const std::string& path) const {
        return Has(path) ? nodes.at(path).bytes : "(none)";
    }

    Entry Inspect(const std::string& path) override {
        const auto node = nodes.find(ResolveLinks(path));
        if (node == nodes.end())
            return {};
        return {true, node->second.folder, node->second.readOnly, node->second.permissions};
    }
    bool Exists(const std::string& path) override { return Has(path) || links.count(path); }
    WriteOutcome MayWrite(const std::string&) override { return refusal; }
    std::string ResolveLinks(const std::string& path) override {
        return links.count(path) ? links.at(path) : path;
    }
    Read ReadStart(const std::string& path, std::size_t maxBytes) override {
        const auto node = nodes.find(ResolveLinks(path));
        if (node == nodes.end())
            return {false, 2, {}}; // ENOENT
        if (node->second.folder || unreadable.count(node->first))
            return {true, node->second.folder ? 21 : 13, {}}; // EISDIR, EACCES
        return {true, 0, node->second.bytes.substr(0, maxBytes)};
    }
    bool MakeFolder(const std::string& path) override {
        return nodes.try_emplace(path, Node{"", true}).first->second.folder;
    }
    Written WriteWhole(const std::string& path, Open how, unsigned permissions,
                       const std::string& bytes) override {
        const std::string folder = path.substr(0, path.rfind('/') + 1);
        if (folder.size() > 1 && !Inspect(folder.substr(0, folder.size() - 1)).isFolder)
            return {false, {WriteFailure::NoFolder, 2, "no folder"}};
        if (how == Open::CreateNew && (Has(path) || closedFolders.count(folder)))
            return {false, {WriteFailure::AccessDenied, 13, "refused"}};
        Node& node = nodes[path];
        if (how == Open::CreateNew)
            node.permissions = permissions;
        node.bytes = bytes.substr(0, room);
        if (bytes.size() > room)
            return {true, {WriteFailure::DiskFull, 28, "full"}};
        return {true, {}};
    }
    WriteOutcome Replace(const std::string& from, const std::string& to) override {
        nodes[to] = nodes.at(from);
        nodes.erase(from);
        return {};
    }
    void SyncFolder(const std::string& folder) override { synced.push_back(folder); }
    bool RemoveTemporaryFile(const std::string& path) override { return nodes.erase(path) != 0; }
    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::string& prefix) override {
        std::vector<std::string> names;
        for (const auto& [path, node] : nodes)
            if (!node.folder && path.rfind(folder + prefix, 0) == 0)
                names.push_back(path.substr(folder.size()));
        return names;
    }
    std::uint64_t ProcessId() override { return pid; }
    bool ProcessIsAlive(std::uint64_t processId) override { return running.count(processId); }
};
