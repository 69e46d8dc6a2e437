#include "engine/ResourceModule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "engine/GameCore.h"
#include "engine/ResourcePack.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/TempProgramFolder.h"
#include "tools/kor_pack/KorPackWriter.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

void PutU32(std::vector<uint8_t>& image, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
    }
}

size_t RecordField(size_t record, size_t field) {
    return kResPackIndexOffset + record * kResPackRecordSize + field;
}

std::vector<uint8_t> BuildPack(const std::vector<KorPackItem>& items) {
    std::vector<uint8_t> image;
    std::string error;
    EXPECT_TRUE(BuildKorPack(items, image, error)) << error;
    return image;
}

class ResourceModuleTest : public ::testing::Test {
protected:
    ResourceModuleTest() { EXPECT_EQ(core.LoadModule(module, 1, 1), kEngineOk); }

    std::string PathOf(const std::string& name) const { return folder.Path() + "/" + name; }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path path = PathOf(name);
        std::filesystem::create_directories(path.parent_path());
        folder.Write(name, bytes);
        return path.string();
    }

    std::string WritePack(const std::string& name, const std::vector<uint8_t>& image) const {
        return Write(name, std::string(image.begin(), image.end()));
    }

    // The loaded bytes of a resource; checks the trailing 0 on the way.
    std::string Loaded(const ResKey& key) {
        const ResourceEntry* entry = module->LoadResource(key);
        if (entry == nullptr) {
            return "<none>";
        }
        EXPECT_EQ(entry->data[entry->size], 0);
        return std::string(reinterpret_cast<const char*>(entry->data.get()), entry->size);
    }
    std::string Loaded(const char* name) { return Loaded(GetResourceKey(name)); }

    bool LogHas(const std::string& text) const {
        return folder.Read("Game20240305.log").find(text) != std::string::npos;
    }

    TempProgramFolder folder;
    ManualTime time;
    GameCore core{time.MakeClock()};
    ResourceModule* module = new ResourceModule;
};

TEST_F(ResourceModuleTest, LooseFilesAreKeyedByTitleAndCategoryAndLoadedOnce) {
    Write("Skin/Logo.PNG", "picture");
    const ResKey key = module->AddFile(folder.Path() + "\\Skin\\Logo.PNG");
    EXPECT_EQ(key, GetResKey("Logo.imge"));
    ASSERT_EQ(module->HasResource(key), 1);

    const ResourceEntry* entry = module->LoadResource(key);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->size, 7u);  // learnt at the first load
    EXPECT_EQ(entry->kind, kResourceLoose);
    EXPECT_EQ(entry->categoryHash, GetNameHash(".imge"));
    EXPECT_EQ(Loaded(key), "picture");
    const uint8_t* first = module->GetResourceData(key);
    EXPECT_EQ(module->GetResourceData(key), first);

    // A name that differs only in case finds the file; the key keeps the
    // title as given. An alias replaces the title.
    EXPECT_EQ(module->AddFile(PathOf("skin/LOGO.png")), GetResKey("LOGO.imge"));
    EXPECT_EQ(module->AddFile(PathOf("Skin/Logo.PNG"), "banner"), GetResKey("banner.imge"));
    EXPECT_EQ(Loaded("banner.png"), "picture");

    EXPECT_TRUE(module->AddFile(PathOf("Skin/missing.png")).IsNull());
    EXPECT_TRUE(module->AddFile(PathOf("Skin")).IsNull());
    EXPECT_EQ(module->ResourceCount(), 3u);

    module->RemoveByName("dir/LOGO.png");
    EXPECT_EQ(module->HasResource(GetResKey("LOGO.imge")), 0);
    EXPECT_EQ(module->LoadResource(GetResKey("LOGO.imge")), nullptr);
    EXPECT_EQ(module->GetResourceData(GetResKey("LOGO.imge")), nullptr);
}

TEST_F(ResourceModuleTest, FoldersAddTheirFilesInByteOrder) {
    Write("Skin/a.gif", "gif");
    Write("Skin/a.png", "png");
    Write("Skin/Logo.PNG", "upper");
    Write("Skin/logo.png", "lower");
    Write("Skin/table.dat", "data");
    Write("Skin/Inner/deep.png", "deep");
    Write("Empty/.keep/x", "");

    EXPECT_EQ(module->AddFolder(PathOf("Skin")), 5);
    // "a.png" follows "a.gif" and replaces it under "a.imge".
    EXPECT_EQ(Loaded("a.imge"), "png");
    EXPECT_EQ(Loaded("Logo.imge"), "upper");
    EXPECT_EQ(Loaded("logo.imge"), "lower");
    EXPECT_EQ(Loaded("table.dat"), "data");
    EXPECT_EQ(module->HasResource(GetResKey("deep.imge")), 0);

    EXPECT_EQ(module->AddFolder(folder.Path() + "\\skin\\"), 5);
    EXPECT_EQ(module->AddFolder(PathOf("Empty")), 0);
    EXPECT_EQ(module->AddFolder(PathOf("Nowhere")), 0);
    EXPECT_EQ(module->ResourceCount(), 4u);
}

TEST_F(ResourceModuleTest, PackWrittenFromFilesReadsBackEntryByEntry) {
    std::string big(70000, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7 + 3);
    }
    const std::vector<std::pair<std::string, std::string>> files = {
        {"Logo.PNG", "picture"}, {"click.wav", "RIFF...."}, {"help.txt", "text"},
        {"empty.dat", ""},       {"big.bin", big},
    };
    std::vector<KorPackItem> items;
    for (const auto& [name, bytes] : files) {
        const std::string path = Write("src/" + name, bytes);
        std::optional<std::vector<uint8_t>> read = platform::ReadWholeFile(path);
        ASSERT_TRUE(read.has_value());
        items.push_back({name, *read});
    }
    const std::string pack = WritePack("skin.kor", BuildPack(items));

    EXPECT_EQ(module->AddPack(pack), 5);
    EXPECT_EQ(module->OpenPackCount(), 1u);
    for (const auto& [name, bytes] : files) {
        const ResKey key = GetResourceKey(name);
        ASSERT_EQ(Loaded(key), bytes) << name;
        const ResourceEntry* entry = module->LoadResource(key);
        EXPECT_EQ(entry->kind, kResourcePacked);
        EXPECT_EQ(entry->extensionHash, GetExtensionHash(name));
        EXPECT_EQ(entry->categoryHash, GetCategoryHash(GetExtensionHash(name)));
    }
    EXPECT_EQ(module->LoadResource(GetResourceKey("empty.dat"))->size, 0u);

    // The reader's walk, filter and entry reads.
    CResPackFile reader(pack);
    ASSERT_TRUE(reader.IsOpen());
    ResPackRecord record;
    ASSERT_TRUE(reader.GetCurrent(record));
    EXPECT_EQ(record.key, GetResKey("Logo.imge"));
    EXPECT_EQ(reader.Next(GetNameHash(".txt")), 1);
    ASSERT_TRUE(reader.GetCurrent(record));
    EXPECT_EQ(record.key, GetResKey("help.text"));
    EXPECT_EQ(reader.Next(GetNameHash(".png")), 0);
    EXPECT_EQ(reader.Next(), 1);
    EXPECT_EQ(reader.Next(), 1);
    EXPECT_EQ(reader.Next(), 0);
    reader.Rewind();
    ASSERT_TRUE(reader.GetCurrent(record));
    EXPECT_EQ(record.key, GetResKey("Logo.imge"));

    char small[4];
    EXPECT_EQ(reader.ReadEntryInto(0, small, sizeof small), 0);
    char exact[7];
    EXPECT_EQ(reader.ReadEntryInto(0, exact, sizeof exact), 1);
    EXPECT_EQ(std::string(exact, 7), "picture");
    std::unique_ptr<uint8_t[]> copy = reader.ReadEntryAlloc(4);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::memcmp(copy.get(), big.data(), big.size()), 0);
    EXPECT_EQ(copy[big.size()], 0);
    EXPECT_EQ(reader.ReadEntryAlloc(5), nullptr);
    reader.Close();
    EXPECT_EQ(reader.IsOpen(), 0);
    EXPECT_EQ(reader.ReadEntryAlloc(0), nullptr);
}

TEST_F(ResourceModuleTest, EarlierKeysWinOverPackEntriesAndLaterFilesReplaceThem) {
    const std::string loose = Write("Logo.png", "loose");
    module->AddFile(loose);
    const std::string first = WritePack(
        "first.kor", BuildPack({{"Logo.png", Bytes("packed")}, {"tile.png", Bytes("tile-1")}}));
    const std::string second = WritePack("second.kor", BuildPack({{"tile.png", Bytes("tile-2")}}));

    EXPECT_EQ(module->AddPack(first), 2);
    EXPECT_EQ(module->AddPack(second), 1);
    EXPECT_EQ(Loaded("Logo.imge"), "loose");
    EXPECT_EQ(Loaded("tile.imge"), "tile-1");

    const std::string replacement = Write("later/tile.PNG", "file");
    module->AddFile(replacement);
    EXPECT_EQ(Loaded("tile.imge"), "file");
    EXPECT_EQ(module->LoadResource(GetResKey("tile.imge"))->kind, kResourceLoose);

    // A pack with no entries in use adds nothing and is no failure.
    std::vector<uint8_t> none = BuildPack({{"x.png", Bytes("x")}});
    PutU32(none, kResPackEntryCountOffset, 0);
    EXPECT_EQ(module->AddPack(WritePack("none.kor", none)), 0);
    EXPECT_EQ(module->HasResource(GetResKey("x.imge")), 0);
    EXPECT_EQ(core.PostedCount(), 0u);
}

// Every way the header and index can disagree with the pack's real size.
std::vector<std::pair<std::string, std::vector<uint8_t>>> BrokenPacks() {
    const std::vector<uint8_t> good =
        BuildPack({{"a.png", Bytes("aaaa")}, {"b.wav", Bytes("bbbbbb")}, {"c.txt", Bytes("c")}});
    std::vector<std::pair<std::string, std::vector<uint8_t>>> broken;
    auto add = [&](const std::string& what, auto change) {
        std::vector<uint8_t> image = good;
        change(image);
        broken.emplace_back(what, image);
    };
    add("empty", [](auto& image) { image.clear(); });
    add("header cut", [](auto& image) { image.resize(kResPackIndexOffset - 1); });
    add("index cut", [](auto& image) { image.resize(RecordField(2, 16)); });
    add("huge record count", [](auto& image) { PutU32(image, kResPackRecordCountOffset, ~0u); });
    add("data past the end", [](auto& image) { PutU32(image, RecordField(1, 16), 1000); });
    add("size 0xFFFFFFFF", [](auto& image) { PutU32(image, RecordField(0, 16), ~0u); });
    add("offset 0xFFFFFFFF", [](auto& image) { PutU32(image, RecordField(2, 12), ~0u); });
    add("last byte cut", [](auto& image) { image.pop_back(); });
    return broken;
}

TEST_F(ResourceModuleTest, BrokenPacksAreRefusedWholeAndReported) {
    size_t notices = 0;
    for (const auto& [what, image] : BrokenPacks()) {
        SCOPED_TRACE(what);
        const std::string path = WritePack("broken.kor", image);
        EXPECT_EQ(module->AddPack(path), 0);
        EXPECT_TRUE(LogHas("资源包" + path + "加载失败!\r\n"));
        EXPECT_EQ(core.PostedCount(), ++notices);

        EXPECT_EQ(module->AddPackFromMemory(image.data(), image.size()), 0);
        EXPECT_EQ(core.PostedCount(), ++notices);
        EXPECT_EQ(module->ResourceCount(), 0u);
        EXPECT_EQ(module->OpenPackCount(), 0u);
    }
    EXPECT_EQ(module->AddPack(PathOf("missing.kor")), 0);
    EXPECT_EQ(module->AddPackFromMemory(nullptr, 100), 0);
    EXPECT_TRUE(LogHas("资源包0加载失败!\r\n"));
    EXPECT_EQ(module->HandleMessage(kResourceAddPackMessage, nullptr, 0), 0);
}

TEST_F(ResourceModuleTest, RefusedPacksKeepABoundedSetOfNoticeTexts) {
    auto* notices = new RecordingModule(kFailureNoticeModuleId);
    ASSERT_EQ(core.LoadModule(notices, 1, 1), kEngineOk);
    // Refused images at a thousand addresses share one notice text.
    const std::vector<uint8_t> shortImages(1000 + kResPackIndexOffset, 0);
    for (size_t i = 0; i < 1000; ++i) {
        EXPECT_EQ(module->AddPackFromMemory(shortImages.data() + i, 10), 0);
    }
    // Refused pack files keep a text each, up to a bound.
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(module->AddPack(PathOf("missing" + std::to_string(i) + ".kor")), 0);
    }
    EXPECT_TRUE(LogHas("资源包" + PathOf("missing499.kor") + "加载失败!\r\n"));
    core.RunFrame();
    notices->DrainMessages();
    ASSERT_EQ(notices->handled.size(), 1500u);
    std::set<const void*> memoryTexts, fileTexts;
    for (size_t i = 0; i < notices->handled.size(); ++i) {
        (i < 1000 ? memoryTexts : fileTexts).insert(notices->handled[i].p);
    }
    ASSERT_EQ(memoryTexts.size(), 1u);
    EXPECT_STREQ(static_cast<const char*>(*memoryTexts.begin()), "资源包加载失败!");
    EXPECT_LE(fileTexts.size(), 65u);
    EXPECT_STREQ(static_cast<const char*>(notices->handled[1000].p),
                 ("资源包" + PathOf("missing0.kor") + "加载失败!").c_str());
}

TEST_F(ResourceModuleTest, EntryCountAboveTheIndexUsesTheIndex) {
    std::vector<uint8_t> image = BuildPack({{"a.png", Bytes("a")}, {"b.png", Bytes("b")}});
    PutU32(image, kResPackEntryCountOffset, 9);
    EXPECT_EQ(module->AddPack(WritePack("more.kor", image)), 2);
    EXPECT_EQ(Loaded("b.imge"), "b");

    // With fewer entries than records, the later records are not looked at.
    image = BuildPack({{"c.png", Bytes("c")}, {"d.png", Bytes("d")}});
    PutU32(image, kResPackEntryCountOffset, 1);
    PutU32(image, RecordField(1, 12), ~0u);
    EXPECT_EQ(module->AddPackFromMemory(image.data(), image.size()), 1);
    EXPECT_EQ(Loaded("c.imge"), "c");
    EXPECT_EQ(module->HasResource(GetResKey("d.imge")), 0);
}

TEST_F(ResourceModuleTest, SourcesThatShrinkAfterAddingGiveNull) {
    const std::string pack =
        WritePack("skin.kor", BuildPack({{"a.png", Bytes("first")}, {"b.png", Bytes("second")}}));
    ASSERT_EQ(module->AddPack(pack), 2);
    std::filesystem::resize_file(pack, std::filesystem::file_size(pack) - 3);
    EXPECT_EQ(Loaded("a.imge"), "first");
    EXPECT_EQ(module->LoadResource(GetResKey("b.imge")), nullptr);

    const std::string loose = Write("c.png", "twelve bytes");
    module->AddFile(loose);
    EXPECT_EQ(Loaded("c.imge"), "twelve bytes");
    EXPECT_NE(module->TakeResourceData(GetResKey("c.imge")).bytes, nullptr);
    std::filesystem::resize_file(loose, 4);
    EXPECT_EQ(module->LoadResource(GetResKey("c.imge")), nullptr);
    std::filesystem::remove(loose);
    EXPECT_EQ(module->LoadResource(GetResKey("c.imge")), nullptr);
}

TEST_F(ResourceModuleTest, MemoryResourcesAreCopies) {
    auto block = std::make_unique<char[]>(5);
    std::memcpy(block.get(), "smile", 5);
    const ResKey key = module->AddMemoryResource("face\\Smile.GIF", block.get(), 5);
    EXPECT_EQ(key, GetResKey("Smile.imge"));
    // Adding the same block again replaces the entry without touching it.
    EXPECT_EQ(module->AddMemoryResource("Smile.gif", block.get(), 5), key);
    block.reset();
    EXPECT_EQ(Loaded(key), "smile");
    EXPECT_EQ(module->LoadResource(key)->extensionHash, GetNameHash(".gif"));

    EXPECT_EQ(module->AddMemoryResource("none.png", nullptr, 0), GetResKey("none.imge"));
    EXPECT_EQ(Loaded("none.imge"), "");
    EXPECT_TRUE(module->AddMemoryResource("bad.png", nullptr, 3).IsNull());

    module->RemoveResource(key);
    EXPECT_EQ(module->HasResource(key), 0);
    module->RemoveResource(key);
}

TEST_F(ResourceModuleTest, HandOverGivesTheBufferAndTheNextLoadReadsAgain) {
    const std::string loose = Write("tune.mid", "MThd-one");
    const ResKey looseKey = module->AddFile(loose);
    const uint8_t* loaded = module->GetResourceData(looseKey);
    ResourceData taken = module->TakeResourceData(looseKey);
    EXPECT_EQ(taken.bytes.get(), loaded);
    EXPECT_EQ(taken.size, 8u);
    EXPECT_EQ(taken.extensionHash, GetNameHash(".mid"));
    EXPECT_EQ(taken.bytes[8], 0);

    // The entry forgot the buffer: the next load reads the file again.
    Write("tune.mid", "MThd-two");
    EXPECT_EQ(Loaded(looseKey), "MThd-two");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(taken.bytes.get()), taken.size), "MThd-one");

    const std::string pack = WritePack("sound.kor", BuildPack({{"ding.wav", Bytes("ding")}}));
    module->AddPack(pack);
    const ResKey packed = GetResourceKey("ding.wav");
    taken = module->TakeResourceData(packed);
    EXPECT_EQ(taken.size, 4u);
    EXPECT_EQ(Loaded(packed), "ding");

    // Without a source the module keeps its bytes and gives a copy.
    const std::vector<uint8_t> image = BuildPack({{"mem.png", Bytes("memory")}});
    module->AddPackFromMemory(image.data(), image.size());
    module->AddMemoryResource("own.txt", "text", 4);
    for (const char* name : {"mem.png", "own.txt"}) {
        const ResKey key = GetResourceKey(name);
        const uint8_t* own = module->GetResourceData(key);
        taken = module->TakeResourceData(key);
        ASSERT_NE(taken.bytes, nullptr);
        EXPECT_NE(taken.bytes.get(), own);
        EXPECT_EQ(module->GetResourceData(key), own);
        EXPECT_EQ(std::memcmp(taken.bytes.get(), own, taken.size + 1), 0);
    }
    EXPECT_EQ(module->TakeResourceData(GetResKey("unknown")).bytes, nullptr);
}

TEST_F(ResourceModuleTest, MemoryPacksAreCopiedAtOnce) {
    auto image = std::make_unique<std::vector<uint8_t>>(
        BuildPack({{"a.png", Bytes("alpha")}, {"b.ogg", Bytes("")}}));
    EXPECT_EQ(module->AddPackFromMemory(image->data(), image->size()), 2);
    image.reset();
    EXPECT_EQ(Loaded("a.imge"), "alpha");
    EXPECT_EQ(Loaded("b.sound"), "");
    EXPECT_EQ(module->OpenPackCount(), 0u);
}

TEST_F(ResourceModuleTest, MessagesAnswerTheirCounts) {
    Write("dir/one.png", "1");
    Write("dir/two.png", "2");
    const std::vector<uint8_t> image = BuildPack({{"m.png", Bytes("m")}});
    std::string pack = WritePack("p.kor", BuildPack({{"p.png", Bytes("p")}}));
    std::string dir = PathOf("dir");
    std::string file = Write("f.png", "f");

    EXPECT_EQ(module->HandleMessage(kResourceAddFileMessage, file.data(), 0), 0);
    EXPECT_EQ(module->HandleMessage(kResourceAddFolderMessage, dir.data(), 0), 2);
    EXPECT_EQ(module->HandleMessage(kResourceAddPackMessage, pack.data(), 0), 1);
    EXPECT_EQ(
        module->HandleMessage(kResourceAddPackFromMemoryMessage, const_cast<uint8_t*>(image.data()),
                              static_cast<int>(image.size())),
        1);
    EXPECT_EQ(module->HandleMessage(kResourceAddPackFromMemoryMessage,
                                    const_cast<uint8_t*>(image.data()), -1),
              0);
    EXPECT_EQ(module->HandleMessage(9999, nullptr, 0), kEngineOk);
    for (const char* name : {"f.imge", "one.imge", "two.imge", "p.imge", "m.imge"}) {
        EXPECT_EQ(module->HasResource(GetResKey(name)), 1) << name;
    }
    // Through the core, counts other than 10000 come back as 0.
    EXPECT_EQ(core.SendMessage(kResourceModuleId, kResourceAddFolderMessage, dir.data(), 0), 0);
}

TEST_F(ResourceModuleTest, UninitClosesThePackStreams) {
    module->AddPack(WritePack("p.kor", BuildPack({{"p.png", Bytes("p")}, {"q.png", Bytes("q")}})));
    EXPECT_EQ(Loaded("p.imge"), "p");
    EXPECT_EQ(module->Uninit(), 1);
    EXPECT_EQ(module->OpenPackCount(), 0u);
    EXPECT_EQ(Loaded("p.imge"), "p");
    EXPECT_EQ(module->LoadResource(GetResKey("q.imge")), nullptr);
}

TEST_F(ResourceModuleTest, RandomlyDamagedPacksNeverReadOutside) {
    const std::vector<uint8_t> good = BuildPack(
        {{"a.png", Bytes("alpha")}, {"b.wav", Bytes("bravo!")}, {"c.txt", Bytes("charlie")}});
    std::mt19937 random(20240305);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> image = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            const size_t at = kResPackEntryCountOffset + random() % (image.size() - 100);
            image[at] = static_cast<uint8_t>(random());
        }
        if (random() % 4 == 0) {
            image.resize(random() % image.size());
        }
        // Exactly sized heap copy, so a read past the end is caught.
        auto copy = std::make_unique<uint8_t[]>(image.size() + 1);
        std::memcpy(copy.get(), image.data(), image.size());
        ResourceModule fresh;
        fresh.AddPackFromMemory(copy.get(), image.size());
        for (const char* name : {"a.png", "b.wav", "c.txt"}) {
            fresh.LoadResource(GetResourceKey(name));
        }
    }
}

TEST(KorPackWriter, LaysOutHeaderIndexAndData) {
    std::vector<uint8_t> image;
    std::string error;
    ASSERT_TRUE(BuildKorPack({{"Logo.PNG", Bytes("xy")}, {"b.dat", Bytes("z")}}, image, error));
    ASSERT_EQ(image.size(), kResPackIndexOffset + 2 * kResPackRecordSize + 3);
    ResPackRecord record;
    ASSERT_TRUE(ParseResPackRecord(std::span(image).subspan(kResPackIndexOffset), record));
    EXPECT_EQ(record.key, GetResKey("Logo.imge"));
    EXPECT_EQ(record.offset, kResPackIndexOffset + 2 * kResPackRecordSize);
    EXPECT_EQ(record.size, 2u);
    EXPECT_EQ(record.extensionHash, GetNameHash(".png"));
    EXPECT_EQ(image[kResPackEntryCountOffset], 2);
    EXPECT_EQ(image[kResPackRecordCountOffset], 2);
    EXPECT_EQ(image[RecordField(0, 24)], 0);
    EXPECT_EQ(image.back(), 'z');

    // "a.png" and "a.gif" are both "a.imge": the second could never be read.
    EXPECT_FALSE(BuildKorPack({{"a.png", Bytes("1")}, {"a.gif", Bytes("2")}}, image, error));
    EXPECT_NE(error.find("a.imge"), std::string::npos);
}

}  // namespace
