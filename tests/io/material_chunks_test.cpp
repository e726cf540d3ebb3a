// The material's own chunks: the header and the raw value block, their layout, and
// how they come back.
#include "tests/io/scene_support.h"

#include "io/chunk_ids.h"
#include "io/raw_values.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

// Distinct values in every member; switches alternate, so that each byte of the
// block is checked against its neighbours.
CachedState Distinct() {
    CachedState s;
    int n = 0;
    for (const CachedMember& m : kCachedMembers) {
        ++n;
        switch (m.kind) {
            case CachedMember::Kind::Int:
                s.*m.i = 100 + n;
                break;
            case CachedMember::Kind::Bool:
                s.*m.i = n % 2;
                break;
            case CachedMember::Kind::Float:
                s.*m.f = 0.125f * n + 1.0f / 3.0f;
                break;
            case CachedMember::Kind::Color:
                s.*m.c = Color(0.1f * n, -0.2f * n, 1e-7f * n);
                break;
        }
    }
    return s;
}

bool SameBits(const CachedState& a, const CachedState& b, const CachedMember& m) {
    switch (m.kind) {
        case CachedMember::Kind::Color:
            return std::memcmp(&(a.*m.c), &(b.*m.c), sizeof(Color)) == 0;
        case CachedMember::Kind::Float:
            return std::memcmp(&(a.*m.f), &(b.*m.f), sizeof(float)) == 0;
        default:
            return a.*m.i == b.*m.i;
    }
}

// The material's own data, as Save writes it.
std::vector<unsigned char> MaterialData(LumraMtl* mtl, IOResult* result = nullptr) {
    ChunkWriter w;
    w.BeginChunk(0x2032);
    const IOResult r = mtl->Save(&w);
    w.EndChunk();
    if (result) *result = r;
    return w.Bytes();
}

// The content of one of the material's chunks.
std::vector<unsigned char> ChunkContent(const std::vector<unsigned char>& data, USHORT id) {
    ChunkReader r(data.data(), data.size());
    r.OpenChunk();
    while (r.OpenChunk() == IO_OK) {
        if (r.CurChunkID() == id) {
            std::vector<unsigned char> content(static_cast<std::size_t>(r.CurChunkLength()));
            ULONG n = 0;
            if (r.CurChunkType() == DATA_CHUNK)
                r.Read(content.data(), static_cast<ULONG>(content.size()), &n);
            return content;
        }
        r.CloseChunk();
    }
    return {};
}

float FloatAt(const std::vector<unsigned char>& b, std::size_t offset) {
    float v;
    std::memcpy(&v, b.data() + offset, 4);
    return v;
}

class MaterialChunks : public SceneTest {
protected:
    // A material made for loading, reading the given chunks as its data.
    LumraMtl* LoadData(const std::vector<unsigned char>& chunks, IOResult* result,
                       std::size_t* callbacks) {
        auto* mtl = static_cast<LumraMtl*>(static_cast<Mtl*>(lumraMaterialClassDesc.Create(TRUE)));
        owned_.push_back(mtl);
        ChunkReader reader(chunks.data(), chunks.size());
        *result = mtl->Load(&reader);
        *callbacks = reader.PostLoadCallbackCount();
        reader.DiscardPostLoadCallbacks();
        return mtl;
    }
    static std::vector<unsigned char> Chunk(USHORT id, const std::vector<unsigned char>& content) {
        ChunkWriter w;
        w.BeginChunk(id);
        w.Write(content.data(), static_cast<ULONG>(content.size()), nullptr);
        w.EndChunk();
        return w.Bytes();
    }
};

TEST_F(MaterialChunks, EveryMemberComesBackBitForBitWithNameAndHeader) {
    LumraMtl* mtl = NewMaterial();
    mtl->cached = Distinct();
    mtl->cached.specularColor = Color(-3.5f, 1e30f, 0.0f);
    mtl->SetName(L"Brass \u00e9\U0001F600");
    mtl->SetGBufID(7);
    mtl->SetMtlFlag(0x40);

    LumraMtl* loaded = RoundTrip(mtl);
    ASSERT_NE(loaded, nullptr);
    for (const CachedMember& m : kCachedMembers)
        EXPECT_TRUE(SameBits(mtl->cached, loaded->cached, m)) << m.name;
    for (const CachedMember& m : kCachedMembers) {
        if (m.kind == CachedMember::Kind::Bool) {
            EXPECT_TRUE(loaded->cached.*m.i == 0 || loaded->cached.*m.i == 1) << m.name;
        }
    }
    EXPECT_EQ(loaded->GetName(), MSTR(L"Brass \u00e9\U0001F600"));
    EXPECT_EQ(loaded->GetGBufID(), 7u);
    EXPECT_TRUE(loaded->TestMtlFlag(0x40));
    EXPECT_NE(loaded->pblock, nullptr);
}

TEST_F(MaterialChunks, RawBlockIs236BytesLaidOutFieldByField) {
    LumraMtl* mtl = NewMaterial();
    mtl->cached = Distinct();
    mtl->cached.displacementOn = 1;
    mtl->cached.displacementInvertHeightOn = 0;
    mtl->cached.affectShadow = 1;
    mtl->cached.noIcRecords = 0;
    mtl->cached.translucencyMultOn = 1;
    const std::vector<unsigned char> data = MaterialData(mtl);

    // The header comes first, then the block.
    ChunkReader r(data.data(), data.size());
    ASSERT_EQ(r.OpenChunk(), IO_OK);
    ASSERT_EQ(r.OpenChunk(), IO_OK);
    EXPECT_EQ(r.CurChunkID(), kMtlHeaderChunk);
    r.CloseChunk();
    ASSERT_EQ(r.OpenChunk(), IO_OK);
    EXPECT_EQ(r.CurChunkID(), kRawValuesChunk);
    r.CloseChunk();
    EXPECT_EQ(r.OpenChunk(), IO_END);

    const std::vector<unsigned char> raw = ChunkContent(data, kRawValuesChunk);
    ASSERT_EQ(raw.size(), 236u);
    const CachedState& s = mtl->cached;
    EXPECT_EQ(FloatAt(raw, 0), s.diffuseColor.r);
    EXPECT_EQ(FloatAt(raw, 8), s.diffuseColor.b);
    EXPECT_EQ(FloatAt(raw, 12), s.specularColor.r);
    EXPECT_EQ(FloatAt(raw, 84), s.translucencyColor.r);
    // One byte per switch, in the block's own order.
    EXPECT_EQ(raw[96], 0x01);   // displacementOn
    EXPECT_EQ(raw[97], 0x00);   // displacementInvertHeightOn
    EXPECT_EQ(raw[104], 0x01);  // affectShadow
    EXPECT_EQ(raw[105], 0x00);  // noIcRecords
    EXPECT_EQ(raw[111], 0x01);  // translucencyMultOn
    EXPECT_EQ(FloatAt(raw, 112), s.specularRoughness);
    EXPECT_EQ(FloatAt(raw, 128), s.ior);
    EXPECT_EQ(FloatAt(raw, 208), s.reflectRotation);
    int i;
    std::memcpy(&i, raw.data() + 212, 4);
    EXPECT_EQ(i, s.specularBrdf);
    std::memcpy(&i, raw.data() + 232, 4);
    EXPECT_EQ(i, s.reflectExtrusion);
    // Every field where the table puts it.
    std::size_t offset = 0;
    for (const CachedMember& m : kRawValueOrder) {
        const void* member =
            m.kind == CachedMember::Kind::Color   ? static_cast<const void*>(&(s.*m.c))
            : m.kind == CachedMember::Kind::Float ? static_cast<const void*>(&(s.*m.f))
                                                  : static_cast<const void*>(&(s.*m.i));
        EXPECT_EQ(std::memcmp(raw.data() + offset, member, RawFieldSize(m)), 0) << m.name;
        offset += RawFieldSize(m);
    }
}

TEST_F(MaterialChunks, LoadedMaterialAnswersColourQueriesFromLoadedValuesUntilUpdate) {
    LumraMtl* mtl = NewMaterial();
    mtl->cached.diffuseColor = Color(0.5f, 0.25f, 0.125f);
    mtl->cached.diffuseMult = 2.0f;
    mtl->cached.reflectMult = 0.0f;
    LumraMtl* loaded = RoundTrip(mtl);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetDiffuse(), Color(1.0f, 0.5f, 0.25f));
    Interval valid = FOREVER;
    loaded->Update(0, valid);
    // The block still holds its defaults: 0.8 times 1.
    EXPECT_EQ(loaded->GetDiffuse(), Color(0.8f, 0.8f, 0.8f));
}

TEST_F(MaterialChunks, BlockValuesAndAnimationComeBack) {
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_reflect_brdf, 0, 4);
    mtl->pblock->SetValue(mtl_refl_gloss, 0, 0.7f);
    AnimateOn();
    mtl->pblock->SetValue(mtl_diffuse_color, 100, Color(0.0f, 1.0f, 0.0f));
    AnimateOff();
    LumraMtl* loaded = RoundTrip(mtl);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->pblock->GetInt(mtl_reflect_brdf), 4);
    EXPECT_EQ(loaded->pblock->GetFloat(mtl_refl_gloss), 0.7f);
    EXPECT_TRUE(loaded->pblock->IsAnimated(mtl_diffuse_color));
    EXPECT_EQ(loaded->pblock->GetColor(mtl_diffuse_color, 50),
              mtl->pblock->GetColor(mtl_diffuse_color, 50));
    EXPECT_EQ(loaded->pblock->GetOwner(), loaded);
}

TEST_F(MaterialChunks, MapsSharedBetweenMaterialsStaySharedWithTheirSettings) {
    LumraMtl* a = NewMaterial();
    LumraMtl* b = NewMaterial();
    BitmapTex* map = NewMap(L"Wood");
    map->SetMapName(L"/textures/wood.png");
    map->SetFilterType(FILTER_SAT);
    map->GetUVGen()->SetUScl(3.0f, 0);
    a->SetSubTexmap(kDiffuseMap, map);
    b->SetSubTexmap(kReflectMap, map);
    b->SetSubTexmap(kNormalMap, NewMap(L"Bumps"));

    std::vector<LumraMtl*> loaded = Load(Save({a, b}));
    ASSERT_EQ(loaded.size(), 2u);
    Texmap* shared = loaded[0]->GetSubTexmap(kDiffuseMap);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared, loaded[1]->GetSubTexmap(kReflectMap));
    EXPECT_EQ(loaded[0]->pblock->GetTexmap(mtl_diffuse_map), shared);
    auto* bitmap = dynamic_cast<BitmapTex*>(shared);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_STREQ(bitmap->GetMapName(), L"/textures/wood.png");
    EXPECT_EQ(bitmap->GetName(), MSTR(L"Wood"));
    EXPECT_EQ(bitmap->GetFilterType(), FILTER_SAT);
    EXPECT_EQ(bitmap->GetUVGen()->GetUScl(0), 3.0f);
    EXPECT_EQ(loaded[1]->GetSubTexmap(kNormalMap)->GetName(), MSTR(L"Bumps"));
    EXPECT_EQ(loaded[0]->GetSubTexmap(kNormalMap), nullptr);

    // A map saved as a root of its own as well comes back with its materials only,
    // so that deleting them in any order is safe.
    std::vector<LumraMtl*> again = Load(Save({map, a, b}));
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0]->GetSubTexmap(kDiffuseMap), again[1]->GetSubTexmap(kReflectMap));
}

TEST_F(MaterialChunks, MissingChunksLeaveDefaultsAndOtherChunksAreSkipped) {
    LumraMtl* source = NewMaterial();
    source->cached = Distinct();
    source->SetName(L"Named");
    const std::vector<unsigned char> data = MaterialData(source);
    const std::vector<unsigned char> header = ChunkContent(data, kMtlHeaderChunk);
    const std::vector<unsigned char> raw = ChunkContent(data, kRawValuesChunk);

    // Without the block the constructor's values stay; the upgrade is still asked for.
    IOResult result;
    std::size_t callbacks = 0;
    ChunkWriter w;
    w.BeginChunk(kMtlHeaderChunk);
    source->MtlBase::Save(&w);
    w.EndChunk();
    LumraMtl* noRaw = LoadData(w.Bytes(), &result, &callbacks);
    EXPECT_EQ(result, IO_OK);
    EXPECT_EQ(callbacks, 1u);
    EXPECT_EQ(noRaw->GetName(), MSTR(L"Named"));
    for (const CachedMember& m : kCachedMembers)
        EXPECT_TRUE(SameBits(noRaw->cached, CachedState(), m)) << m.name;

    // Without the header, and with a chunk of another id before the block.
    std::vector<unsigned char> chunks = Chunk(0x1234, {1, 2, 3});
    const std::vector<unsigned char> block = Chunk(kRawValuesChunk, raw);
    chunks.insert(chunks.end(), block.begin(), block.end());
    LumraMtl* noHeader = LoadData(chunks, &result, &callbacks);
    EXPECT_EQ(result, IO_OK);
    EXPECT_EQ(noHeader->GetName(), MSTR());
    for (const CachedMember& m : kCachedMembers)
        EXPECT_TRUE(SameBits(noHeader->cached, source->cached, m)) << m.name;
}

TEST_F(MaterialChunks, ShortRawBlockFailsTheLoadAndLongOneIsCutToSize) {
    LumraMtl* source = NewMaterial();
    source->cached = Distinct();
    const std::vector<unsigned char> raw = ChunkContent(MaterialData(source), kRawValuesChunk);
    IOResult result;
    std::size_t callbacks = 0;

    std::vector<unsigned char> shorter(raw.begin(), raw.end() - 1);
    LoadData(Chunk(kRawValuesChunk, shorter), &result, &callbacks);
    EXPECT_EQ(result, IO_ERROR);
    EXPECT_EQ(callbacks, 0u);

    std::vector<unsigned char> longer = raw;
    longer.insert(longer.end(), {9, 9, 9, 9, 9});
    LumraMtl* mtl = LoadData(Chunk(kRawValuesChunk, longer), &result, &callbacks);
    EXPECT_EQ(result, IO_OK);
    for (const CachedMember& m : kCachedMembers)
        EXPECT_TRUE(SameBits(mtl->cached, source->cached, m)) << m.name;
}

TEST_F(MaterialChunks, FailedWriteFailsTheSaveAndKeepsThePreviousFile) {
    LumraMtl* mtl = NewMaterial();
    // Room for the header and part of the block only.
    ChunkWriter w;
    w.BeginChunk(0x2032);
    w.SetCapacity(w.Bytes().size() + 60 + 6 + 100);
    EXPECT_EQ(mtl->Save(&w), IO_ERROR);

    const auto dir =
        std::filesystem::temp_directory_path() / ("lumra_io_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "scene.lsc";
    std::string error;
    ASSERT_TRUE(SaveSceneFile(file, {mtl}, TestClasses(), &error)) << error;
    const auto before = std::filesystem::file_size(file);
    mtl->SetName(L"A much longer name than before, which makes the file grow");
    EXPECT_FALSE(SaveSceneFile(file, {mtl}, TestClasses(), &error, before));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::filesystem::file_size(file), before);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 1u);  // no temporary left behind

    LoadedScene scene;
    ASSERT_TRUE(LoadSceneFile(file, TestClasses(), &scene, &error)) << error;
    ASSERT_EQ(scene.roots.size(), 1u);
    EXPECT_EQ(static_cast<LumraMtl*>(scene.roots[0])->GetName(), MSTR());
    for (ReferenceTarget* r : scene.roots) r->DeleteMe();
    std::filesystem::remove_all(dir);
}

}  // namespace
