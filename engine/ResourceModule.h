#pragma once
// The resource module (id 1001): maps resource names to bytes. Resources come
// from loose files, whole folders, memory blocks and ".kor" packs, and are
// found by the ResKey of their name (file title plus category suffix).
//
// Rules:
//  - A loose file is only test-opened when it is added; its path is kept and
//    the file is read at the first load, which also learns its size. Each
//    pack keeps one open stream, shared by its entries, until Uninit.
//  - A new loose file or memory resource replaces an entry with the same
//    key; a pack entry never replaces one.
//  - Loaded data is size + 1 bytes, the last one 0, and stays with its entry
//    until the entry is removed or handed over with TakeResourceData.
//  - Memory resources and memory packs are copied: the module never keeps or
//    frees a caller's block.
//  - Packs are checked against their real size before they are used; a bad
//    one is refused whole with an engine-log line and notice 1002.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ModuleBase.h"
#include "engine/ResKey.h"
#include "platform/FileStream.h"

inline constexpr uint32_t kResourceOwnsSource = 0x10;
inline constexpr uint32_t kResourceLoose = 0x11;   // a loose file or a memory block
inline constexpr uint32_t kResourcePacked = 0x21;  // an entry of a pack

inline constexpr int kResourceAddFileMessage = 1038;
inline constexpr int kResourceAddFolderMessage = 1039;
inline constexpr int kResourceAddPackMessage = 1040;
inline constexpr int kResourceAddPackFromMemoryMessage = 1041;

// One resource of the module's map.
struct ResourceEntry {
    ResKey key;
    uint32_t extensionHash = 0;
    uint32_t categoryHash = 0;
    uint32_t kind = kResourceLoose;
    uint32_t offset = 0;              // of the data in its source
    uint32_t size = 0;                // in bytes; 0 for a loose file not loaded yet
    std::unique_ptr<uint8_t[]> data;  // size + 1 bytes, or null until loaded

    // Where the bytes are read from: a loose file's path, or a pack's shared
    // stream. Neither for memory resources and memory packs.
    std::string filePath;
    std::shared_ptr<platform::FileStream> packStream;

    bool HasSource() const { return !filePath.empty() || packStream != nullptr; }
};

// A resource's bytes handed over to a caller, who owns them from then on.
struct ResourceData {
    std::unique_ptr<uint8_t[]> bytes;  // size + 1 bytes, the last one 0
    uint32_t size = 0;
    uint32_t extensionHash = 0;
};

class ResourceModule : public ModuleBase {
public:
    ResourceModule() = default;
    ~ResourceModule() override = default;

    int Init() override { return 1; }
    int Uninit() override;
    int Tick() override { return 1; }
    int GetModuleID() const override { return kResourceModuleId; }
    const char* GetModuleName() const override { return "ResourceModule"; }
    // 1038 AddFile (p path) answers 0; 1039 AddFolder, 1040 AddPack (p path)
    // and 1041 AddPackFromMemory (p image, n size) answer their counts; any
    // other id answers kEngineOk.
    int HandleMessage(int id, void* p, int n) override;

    // Keyed by the alias (when not empty) or the file's title, plus the
    // category suffix of the file's extension. A file that cannot be opened
    // gives the null key and adds nothing.
    virtual ResKey AddFile(std::string_view path, std::string_view alias = {});
    // A copy of the bytes, keyed by the name's title and category. Null data
    // with a nonzero size gives the null key.
    virtual ResKey AddMemoryResource(std::string_view name, const void* data, size_t size);
    // AddFile of every file directly in the folder, in byte order of their
    // names; how many were added.
    virtual int AddFolder(std::string_view folder);
    // The number of records in use of the pack, or 0 when it is refused.
    virtual int AddPack(std::string_view path);
    virtual int AddPackFromMemory(const void* image, size_t size);

    virtual int HasResource(const ResKey& key) const;
    // The entry's data, loaded first when needed; null when it cannot be.
    virtual const uint8_t* GetResourceData(const ResKey& key);
    // The entry with its data loaded; null for an unknown key or data that
    // cannot be read (a missing or shortened file, a range past its end).
    virtual const ResourceEntry* LoadResource(const ResKey& key);
    // Hands the loaded bytes over. An entry with a source gives its own
    // buffer and forgets it, so the next load reads the source again; one
    // without a source gives a copy and keeps its own. Empty bytes when the
    // resource cannot be loaded.
    virtual ResourceData TakeResourceData(const ResKey& key);
    virtual void RemoveByName(std::string_view name);
    virtual void RemoveResource(const ResKey& key);

    size_t ResourceCount() const { return entries_.size(); }
    size_t OpenPackCount() const { return packStreams_.size(); }

private:
    using EntryMap = std::map<ResKey, ResourceEntry, ResKeyLess>;

    // Inserts or replaces; the entry's key is the map key.
    void Replace(ResourceEntry entry);
    bool ReadSource(ResourceEntry& entry);
    // Logs the failure under loggedName and posts notice 1002 under
    // noticeName to module 1010.
    void ReportPackFailure(const std::string& loggedName, const std::string& noticeName,
                           const std::string& reason);

    EntryMap entries_;
    std::vector<std::shared_ptr<platform::FileStream>> packStreams_;
};
