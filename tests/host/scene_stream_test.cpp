// The host's chunk streams and scene files: the header rules, reading that never
// leaves its chunk, strings, post-load callbacks, and a graph of the host's own
// objects saved and loaded.
#include "scene_stream.h"
#include "bitmaptex.h"
#include "scene_file.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(ChunkStream, HeadersCountThemselvesAndMarkContainers) {
    ChunkWriter w;
    w.BeginChunk(0x1234);
    w.BeginChunk(0x0001);
    const unsigned char data[3] = {7, 8, 9};
    EXPECT_EQ(w.Write(data, 3, nullptr), IO_OK);
    w.EndChunk();
    w.BeginChunk(0x0002);  // empty
    w.EndChunk();
    w.EndChunk();
    ASSERT_FALSE(w.Failed());
    const Bytes expected = {0x34, 0x12, 21, 0, 0, 0x80,  // container of 6 + 9 + 6 bytes
                            0x01, 0x00, 9,  0, 0, 0,    7, 8, 9, 0x02, 0x00, 6, 0, 0, 0};
    EXPECT_EQ(w.Bytes(), expected);

    ChunkReader r(w.Bytes().data(), w.Bytes().size());
    ASSERT_EQ(r.OpenChunk(), IO_OK);
    EXPECT_EQ(r.CurChunkID(), 0x1234);
    EXPECT_EQ(r.CurChunkType(), CONTAINER_CHUNK);
    EXPECT_EQ(r.CurChunkLength(), 15u);
    EXPECT_EQ(r.PeekNextChunkID(), 0x0001);
    ASSERT_EQ(r.OpenChunk(), IO_OK);
    EXPECT_EQ(r.CurChunkType(), DATA_CHUNK);
    EXPECT_EQ(r.CurChunkDepth(), 2);
    unsigned char got[4] = {};
    ULONG n = 99;
    EXPECT_EQ(r.Read(got, 4, &n), IO_ERROR);  // more than the chunk holds: nothing read
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(r.Read(got, 2, &n), IO_OK);
    EXPECT_EQ(got[1], 8);
    EXPECT_EQ(r.CloseChunk(), IO_OK);  // skips the unread byte
    ASSERT_EQ(r.OpenChunk(), IO_OK);
    EXPECT_EQ(r.CurChunkID(), 0x0002);
    EXPECT_EQ(r.OpenChunk(), IO_END);
    r.CloseChunk();
    EXPECT_EQ(r.OpenChunk(), IO_END);
    EXPECT_EQ(r.PeekNextChunkID(), 0);
    r.CloseChunk();
    EXPECT_EQ(r.OpenChunk(), IO_END);
    EXPECT_EQ(r.CloseChunk(), IO_ERROR);
    EXPECT_FALSE(r.Failed());
}

TEST(ChunkStream, LongSizeFormReadsBackTheSame) {
    ChunkWriter w;
    w.SetLongSizeThreshold(0);
    w.BeginChunk(0x0010);
    w.BeginChunk(0x0011);
    const int v = 42;
    WriteValue(&w, v);
    w.EndChunk();
    w.EndChunk();
    const Bytes& b = w.Bytes();
    ASSERT_EQ(b.size(), 14u + 14u + 4u);
    EXPECT_EQ(le::GetU32(b.data() + 2), 0u);
    EXPECT_EQ(le::GetU64(b.data() + 6), 0x8000000000000000ull | 32u);
    EXPECT_EQ(le::GetU64(b.data() + 20), 18u);

    ChunkReader r(b.data(), b.size());
    ASSERT_EQ(r.OpenChunk(), IO_OK);
    EXPECT_EQ(r.CurChunkType(), CONTAINER_CHUNK);
    ASSERT_EQ(r.OpenChunk(), IO_OK);
    EXPECT_EQ(r.CurChunkLength(), 4u);
    int got = 0;
    EXPECT_EQ(ReadValue(&r, got), IO_OK);
    EXPECT_EQ(got, 42);
}

TEST(ChunkStream, MalformedHeadersFailAndAreRemembered) {
    // A chunk claiming more than its parent holds.
    Bytes tooLong = {0x01, 0x00, 12, 0, 0, 0x80, 0x02, 0x00, 200, 0, 0, 0};
    ChunkReader a(tooLong.data(), tooLong.size());
    ASSERT_EQ(a.OpenChunk(), IO_OK);
    EXPECT_EQ(a.OpenChunk(), IO_ERROR);
    EXPECT_TRUE(a.Failed());
    EXPECT_NE(a.Error().find("200"), std::string::npos);

    // A size smaller than its own header, a header cut off, chunks inside data.
    for (const Bytes& bad : {Bytes{0x01, 0x00, 5, 0, 0, 0}, Bytes{0x01, 0x00, 6, 0},
                             Bytes{0x01, 0x00, 0, 0, 0, 0, 14, 0}}) {
        ChunkReader r(bad.data(), bad.size());
        EXPECT_EQ(r.OpenChunk(), IO_ERROR);
        EXPECT_TRUE(r.Failed());
    }
    Bytes data = {0x01, 0x00, 12, 0, 0, 0, 0x02, 0x00, 6, 0, 0, 0};
    ChunkReader d(data.data(), data.size());
    ASSERT_EQ(d.OpenChunk(), IO_OK);
    EXPECT_EQ(d.OpenChunk(), IO_ERROR);
    EXPECT_TRUE(d.Failed());
}

TEST(ChunkStream, WriterRefusesDataOutsideDataChunksAndBeyondCapacity) {
    ChunkWriter outside;
    EXPECT_EQ(outside.Write("x", 1, nullptr), IO_ERROR);
    EXPECT_TRUE(outside.Failed());

    ChunkWriter mixed;
    mixed.BeginChunk(1);
    mixed.BeginChunk(2);
    mixed.EndChunk();
    EXPECT_EQ(mixed.Write("x", 1, nullptr), IO_ERROR);
    EXPECT_TRUE(mixed.Failed());

    ChunkWriter full;
    full.SetCapacity(10);
    full.BeginChunk(1);
    ULONG written = 9;
    EXPECT_EQ(full.Write("abcd", 4, &written), IO_OK);
    EXPECT_EQ(full.Write("abcd", 4, &written), IO_ERROR);
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(full.Failed());
}

TEST(ChunkStream, StringsKeepEveryCharacter) {
    ChunkWriter w;
    w.BeginChunk(1);
    w.WriteWString(L"Gr\u00fcn \U0001F3A8");
    w.EndChunk();
    w.BeginChunk(2);
    w.WriteCString("plain");
    w.EndChunk();
    // UTF-16: the astral character takes a surrogate pair; then the terminator.
    EXPECT_EQ(le::GetU32(w.Bytes().data() + 2), 6u + 2u * 8u);

    ChunkReader r(w.Bytes().data(), w.Bytes().size());
    wchar_t* ws = nullptr;
    char* cs = nullptr;
    r.OpenChunk();
    EXPECT_EQ(r.ReadWStringChunk(&ws), IO_OK);
    EXPECT_STREQ(ws, L"Gr\u00fcn \U0001F3A8");
    r.CloseChunk();
    r.OpenChunk();
    EXPECT_EQ(r.ReadCStringChunk(&cs), IO_OK);
    EXPECT_STREQ(cs, "plain");
}

class Recorder : public PostLoadCallback {
public:
    Recorder(std::vector<int>* log, int id, int priority)
        : log_(log), id_(id), priority_(priority) {}
    void proc(ILoad*) override { log_->push_back(id_); }
    int Priority() override { return priority_; }
    void Discard() override { log_->push_back(-id_); }

private:
    std::vector<int>* log_;
    int id_, priority_;
};

TEST(ChunkStream, PostLoadCallbacksRunByPriorityThenInRegistrationOrder) {
    std::vector<int> log;
    Recorder a(&log, 1, 5), b(&log, 2, 0), c(&log, 3, 5), d(&log, 4, 0), e(&log, 5, 10);
    ChunkReader r(nullptr, 0);
    for (Recorder* cb : {&a, &b, &c, &d, &e}) r.RegisterPostLoadCallback(cb);
    r.RunPostLoadCallbacks();
    EXPECT_EQ(log, (std::vector<int>{2, 4, 1, 3, 5}));
    EXPECT_EQ(r.PostLoadCallbackCount(), 0u);

    log.clear();
    r.RegisterPostLoadCallback(&a);
    r.DiscardPostLoadCallbacks();
    EXPECT_EQ(log, (std::vector<int>{-1}));
}

TEST(SceneFile, HostObjectsComeBackWithTheirReferencesAndSettings) {
    BitmapTex* map = NewDefaultBitmapTex();
    map->SetName(L"Oak");
    map->SetMapName(L"oak.png");
    map->SetEndCondition(END_HOLD);
    map->GetUVGen()->SetVOffs(0.25f, 0);
    map->GetUVGen()->SetCoordMapping(UVMAP_SPHERE_ENV);
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(WriteScene({map}, SceneClassLookup(nullptr), &bytes, &error)) << error;
    map->DeleteMe();

    LoadedScene scene;
    ASSERT_TRUE(ReadScene(bytes.data(), bytes.size(), SceneClassLookup(nullptr), &scene, &error))
        << error;
    ASSERT_EQ(scene.roots.size(), 1u);
    auto* loaded = dynamic_cast<BitmapTex*>(scene.roots[0]);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetName(), MSTR(L"Oak"));
    EXPECT_STREQ(loaded->GetMapName(), L"oak.png");
    EXPECT_EQ(loaded->GetEndCondition(), END_HOLD);
    ASSERT_NE(loaded->GetUVGen(), nullptr);
    EXPECT_EQ(loaded->GetUVGen()->GetVOffs(0), 0.25f);
    EXPECT_EQ(loaded->GetUVGen()->GetCoordMapping(0), UVMAP_SPHERE_ENV);
    EXPECT_EQ(loaded->NumDependents(), 0);  // the caller's alone
    loaded->DeleteMe();
}

TEST(SceneFile, UnknownClassOrOtherFormatIsRefusedWithAReason) {
    BitmapTex* map = NewDefaultBitmapTex();
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(WriteScene({map}, SceneClassLookup(nullptr), &bytes, &error));
    map->DeleteMe();
    LoadedScene scene;
    const ClassLookup none = [](SClass_ID, const Class_ID&) -> ClassDesc* { return nullptr; };
    EXPECT_FALSE(ReadScene(bytes.data(), bytes.size(), none, &scene, &error));
    EXPECT_NE(error.find("class id (0x240, 0x0)"), std::string::npos) << error;

    bytes[10] = 'X';  // the magic
    EXPECT_FALSE(ReadScene(bytes.data(), bytes.size(), SceneClassLookup(nullptr), &scene, &error));
    EXPECT_NE(error.find("not a scene file"), std::string::npos);
    EXPECT_TRUE(scene.roots.empty());
}

TEST(SceneFile, SavingRefusesAClassThatLoadingWouldNotKnowAndKeepsThePreviousFile) {
    BitmapTex* map = NewDefaultBitmapTex();
    // A loader that knows bitmaps but not their coordinates.
    const ClassLookup noCoordinates = [](SClass_ID sclass, const Class_ID& cid) -> ClassDesc* {
        return sclass == UVGEN_CLASS_ID ? nullptr : HostClassDirectory().FindClass(sclass, cid);
    };
    Bytes bytes = {1, 2, 3};
    std::string error;
    EXPECT_FALSE(WriteScene({map}, noCoordinates, &bytes, &error));
    EXPECT_NE(error.find("(StandardUVGen) is of a class that loading would not know"),
              std::string::npos)
        << error;
    EXPECT_EQ(bytes, (Bytes{1, 2, 3}));

    const auto dir =
        std::filesystem::temp_directory_path() / ("lumra_scene_file_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "scene.lsc";
    auto contents = [&] {
        std::ifstream in(file, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_TRUE(SaveSceneFile(file, {map}, SceneClassLookup(nullptr), &error)) << error;
    const Bytes before = contents();
    map->SetName(L"Changed");
    EXPECT_FALSE(SaveSceneFile(file, {map}, noCoordinates, &error));
    EXPECT_NE(error.find("StandardUVGen"), std::string::npos) << error;
    EXPECT_EQ(contents(), before);
    map->DeleteMe();
    std::filesystem::remove_all(dir);
}

TEST(SceneFile, BytesAfterTheLastChunkAreRefused) {
    BitmapTex* map = NewDefaultBitmapTex();
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(WriteScene({map}, SceneClassLookup(nullptr), &bytes, &error)) << error;
    map->DeleteMe();
    // The objects come after the header chunk and the list of roots.
    const std::size_t roots = le::GetU32(&bytes[2]);
    const std::size_t objects = roots + le::GetU32(&bytes[roots + 2]);
    ASSERT_EQ(le::GetU16(&bytes[objects]), 0x2020);

    Bytes oneMore = bytes;
    oneMore.push_back(0);
    Bytes twoLists = bytes;
    twoLists.insert(twoLists.end(), bytes.begin() + static_cast<std::ptrdiff_t>(objects),
                    bytes.end());
    const std::pair<const Bytes*, std::string> cases[] = {
        {&oneMore, "the file has 1 byte after its last chunk"},
        {&twoLists, "after its last chunk (a second list of objects)"}};
    for (const auto& [damaged, reason] : cases) {
        LoadedScene scene;
        EXPECT_FALSE(
            ReadScene(damaged->data(), damaged->size(), SceneClassLookup(nullptr), &scene, &error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_TRUE(scene.roots.empty());
    }
}

// A maker that keeps none of the references it is given, as an object does with a
// reference of the wrong kind from a damaged file.
class Forgetful : public ReferenceMaker {
public:
    SClass_ID SuperClassID() override { return 0x7777; }
    int NumRefs() override { return 2; }

protected:
    void SetReference(int, RefTargetHandle) override {}
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
};

TEST(SceneFile, TargetsAMakerHoldsButDoesNotReportAreDeletedOnceWithIt) {
    auto* maker = new Forgetful();
    BitmapTex* map = NewDefaultBitmapTex();  // references its coordinates object
    maker->ReplaceReference(0, map);
    maker->ReplaceReference(1, map);
    EXPECT_EQ(map->NumDependents(), 1);
    delete maker;  // the map, and its coordinates with it, go once (ASan checks)
}

}  // namespace
