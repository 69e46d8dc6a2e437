#include "engine/ResourceModule.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>
#include <utility>

#include "engine/EngineLog.h"
#include "engine/EngineUtils.h"
#include "engine/ResourcePack.h"
#include "platform/Folder.h"

namespace {

std::string FormatPackFailure(std::string_view name) {
    return "资源包" + std::string(name) + "加载失败!";
}

// Notice texts live as long as the program: the notice is posted, and its
// receiver drops it on a later frame without owning the text. One text is
// kept per distinct notice, and only so many: past them a notice takes the
// text without a name.
constexpr size_t kMaxKeptNoticeTexts = 64;

const char* KeepNoticeText(std::string text) {
    static std::set<std::string> texts;
    if (texts.size() >= kMaxKeptNoticeTexts && texts.count(text) == 0) {
        text = FormatPackFailure("");
    }
    return texts.insert(std::move(text)).first->c_str();
}

const char* MessageText(const void* p) {
    return static_cast<const char*>(p);
}

ResourceEntry MakePackEntry(const ResPackRecord& record) {
    ResourceEntry entry;
    entry.key = record.key;
    entry.extensionHash = record.extensionHash;
    entry.categoryHash = GetCategoryHash(record.extensionHash);
    entry.kind = kResourcePacked;
    entry.offset = record.offset;
    entry.size = record.size;
    return entry;
}

int CountOf(size_t n) {
    return n > static_cast<size_t>(std::numeric_limits<int>::max())
               ? std::numeric_limits<int>::max()
               : static_cast<int>(n);
}

bool EndsWithSeparator(std::string_view path) {
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

}  // namespace

int ResourceModule::Uninit() {
    for (const std::shared_ptr<platform::FileStream>& stream : packStreams_) {
        stream->Close();
    }
    packStreams_.clear();
    return 1;
}

int ResourceModule::HandleMessage(int id, void* p, int n) {
    const char* text = MessageText(p);
    switch (id) {
        case kResourceAddFileMessage:
            if (text != nullptr) {
                AddFile(text);
            }
            return 0;
        case kResourceAddFolderMessage:
            return text != nullptr ? AddFolder(text) : 0;
        case kResourceAddPackMessage:
            return text != nullptr ? AddPack(text) : 0;
        case kResourceAddPackFromMemoryMessage:
            return AddPackFromMemory(p, n < 0 ? 0 : static_cast<size_t>(n));
        default:
            return kEngineOk;
    }
}

ResKey ResourceModule::AddFile(std::string_view path, std::string_view alias) {
    platform::FileStream probe;
    if (!probe.Open(path)) {
        return ResKey{};
    }
    probe.Close();

    ResourceEntry entry;
    entry.key = GetResKey(alias.empty() ? GetResourceName(path) : GetResourceName(path, alias));
    entry.extensionHash = GetExtensionHash(path);
    entry.categoryHash = GetCategoryHash(entry.extensionHash);
    entry.kind = kResourceLoose;
    entry.filePath = std::string(path);
    const ResKey key = entry.key;
    Replace(std::move(entry));
    return key;
}

ResKey ResourceModule::AddMemoryResource(std::string_view name, const void* data, size_t size) {
    if ((data == nullptr && size > 0) || size > std::numeric_limits<uint32_t>::max()) {
        return ResKey{};
    }
    ResourceEntry entry;
    entry.data = AllocateResourceBuffer(size);
    if (!entry.data) {
        return ResKey{};
    }
    if (size > 0) {
        std::memcpy(entry.data.get(), data, size);
    }
    entry.key = GetResourceKey(name);
    entry.extensionHash = GetExtensionHash(name);
    entry.categoryHash = GetCategoryHash(entry.extensionHash);
    entry.kind = kResourceLoose;
    entry.size = static_cast<uint32_t>(size);
    const ResKey key = entry.key;
    Replace(std::move(entry));
    return key;
}

int ResourceModule::AddFolder(std::string_view folder) {
    std::string base(folder);
    if (!EndsWithSeparator(base)) {
        base.push_back('\\');
    }
    int added = 0;
    for (const std::string& name : platform::ListFolderFiles(folder)) {
        if (!AddFile(base + name).IsNull()) {
            ++added;
        }
    }
    return added;
}

int ResourceModule::AddPack(std::string_view path) {
    CResPackFile reader(path);
    auto stream = std::make_shared<platform::FileStream>();
    if (!reader.IsOpen() || !stream->Open(path)) {
        ReportPackFailure(std::string(path), std::string(path), reader.GetError());
        return 0;
    }
    packStreams_.push_back(stream);
    for (size_t i = 0; i < reader.RecordCount(); ++i) {
        const ResPackRecord& record = *reader.GetRecord(i);
        if (entries_.count(record.key) == 0) {
            ResourceEntry entry = MakePackEntry(record);
            entry.packStream = stream;
            entries_.emplace(record.key, std::move(entry));
        }
    }
    const int visited = CountOf(reader.RecordCount());
    reader.Close();
    return visited;
}

int ResourceModule::AddPackFromMemory(const void* image, size_t size) {
    CResPackMemory reader(image, size);
    if (!reader.IsOpen()) {
        // The log names the image by its address; the posted notice does
        // not, so refused images share one kept text.
        char address[32];
        std::snprintf(address, sizeof address, "%" PRIxPTR, reinterpret_cast<uintptr_t>(image));
        ReportPackFailure(address, "", reader.GetError());
        return 0;
    }
    for (size_t i = 0; i < reader.RecordCount(); ++i) {
        const ResPackRecord& record = *reader.GetRecord(i);
        if (entries_.count(record.key) != 0) {
            continue;
        }
        ResourceEntry entry = MakePackEntry(record);
        entry.data = reader.ReadEntryAlloc(i);
        if (!entry.data) {
            EngineLog("resource pack entry %zu does not fit in memory", i);
            continue;
        }
        entries_.emplace(record.key, std::move(entry));
    }
    const int visited = CountOf(reader.RecordCount());
    reader.Close();
    return visited;
}

int ResourceModule::HasResource(const ResKey& key) const {
    return entries_.count(key) != 0 ? 1 : 0;
}

const uint8_t* ResourceModule::GetResourceData(const ResKey& key) {
    const ResourceEntry* entry = LoadResource(key);
    return entry != nullptr ? entry->data.get() : nullptr;
}

const ResourceEntry* ResourceModule::LoadResource(const ResKey& key) {
    const auto found = entries_.find(key);
    if (found == entries_.end()) {
        return nullptr;
    }
    ResourceEntry& entry = found->second;
    if (entry.data) {
        return &entry;
    }
    if (!entry.HasSource() || !ReadSource(entry)) {
        return nullptr;
    }
    return &entry;
}

ResourceData ResourceModule::TakeResourceData(const ResKey& key) {
    ResourceData taken;
    const ResourceEntry* loaded = LoadResource(key);
    if (loaded == nullptr) {
        return taken;
    }
    ResourceEntry& entry = entries_.find(key)->second;
    taken.size = entry.size;
    taken.extensionHash = entry.extensionHash;
    if (entry.HasSource()) {
        taken.bytes = std::move(entry.data);
        return taken;
    }
    taken.bytes = AllocateResourceBuffer(entry.size);
    if (taken.bytes && entry.size > 0) {
        std::memcpy(taken.bytes.get(), entry.data.get(), entry.size);
    }
    return taken;
}

void ResourceModule::RemoveByName(std::string_view name) {
    RemoveResource(GetResourceKey(name));
}

void ResourceModule::RemoveResource(const ResKey& key) {
    // A loose file holds no open stream, and a pack's stream stays open for
    // the pack's other entries, so erasing the entry is all there is to do.
    entries_.erase(key);
}

void ResourceModule::Replace(ResourceEntry entry) {
    const ResKey key = entry.key;
    entries_.erase(key);
    entries_.emplace(key, std::move(entry));
}

bool ResourceModule::ReadSource(ResourceEntry& entry) {
    if (entry.packStream) {
        entry.data = ReadResourceBytes(*entry.packStream, entry.offset, entry.size);
        return entry.data != nullptr;
    }
    platform::FileStream file;
    if (!file.Open(entry.filePath)) {
        EngineLog("文件%s 打开失败!", entry.filePath.c_str());
        return false;
    }
    uint64_t size = entry.size;
    if (size == 0) {
        const std::optional<uint64_t> length = file.Length();
        if (!length || *length > std::numeric_limits<uint32_t>::max()) {
            return false;
        }
        size = *length;
    }
    entry.data = ReadResourceBytes(file, entry.offset, size);
    if (!entry.data) {
        return false;
    }
    entry.size = static_cast<uint32_t>(size);
    return true;
}

void ResourceModule::ReportPackFailure(const std::string& loggedName, const std::string& noticeName,
                                       const std::string& reason) {
    EngineLog("%s", FormatPackFailure(loggedName).c_str());
    if (!reason.empty()) {
        EngineLog("%s", reason.c_str());
    }
    PostMessage(kFailureNoticeModuleId, kNoticeModuleFault,
                const_cast<char*>(KeepNoticeText(FormatPackFailure(noticeName))), 0);
}
