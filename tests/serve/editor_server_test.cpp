// The editor server in process, driven through HTTP by the library's own client as
// a page would drive it: the panel it describes is the live panel's window tree,
// edits reach the block through the controls, bad and foreign requests change
// nothing.
#include "lumra/serve/editor_server.h"
#include "lumra/png_write.h"
#include "lumra/scene_materials.h"
#include "lumra/text.h"

#include "iparamb2.h"
#include "stdmat.h"
#include "winui.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

using nlohmann::json;

namespace {

namespace fs = std::filesystem;

class EditorServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumra-serve-test-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        folder_ = pattern;
        fs::create_directory(folder_ + "/work");
        ServeConfig config;
        config.editor.size = 32;
        config.editor.threads = 2;
        config.editor.workFolder = folder_ + "/work";
        config.editor.saveFile = folder_ + "/saved.lsc";
        config.maxUpload = 1 << 20;
        server_ = std::make_unique<EditorServer>(config);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
        client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->Port());
        client_->set_default_headers({{"X-Lumra-Token", server_->Guard().Token()}});
    }
    void TearDown() override {
        client_.reset();
        server_.reset();
        fs::remove_all(folder_);
    }

    json Layout() {
        auto res = client_->Get("/api/layout");
        EXPECT_TRUE(res && res->status == 200);
        return res ? json::parse(res->body) : json();
    }
    httplib::Result Edit(const std::string& body) {
        return client_->Post("/api/edit", body, "application/json");
    }
    json Control(const json& layout, int id) {
        for (const json& c : layout["controls"])
            if (c["id"] == id) return c;
        return json();
    }
    // A parameter of the edited material's block at time 0, by internal name.
    template <typename F>
    auto Param(const char* name, F read) {
        return server_->OnHost([&](EditorSession& s) {
            IParamBlock2* block = s.Block();
            const int index = block->GetDesc()->NameToIndex(FromUtf8(name).c_str());
            EXPECT_GE(index, 0) << name;
            return read(block,
                        index < 0 ? ParamID(-1) : block->GetDesc()->GetParamDefByIndex(index).ID);
        });
    }
    float Float(const char* name) {
        return Param(name, [](IParamBlock2* b, ParamID id) { return b->GetFloat(id, 0); });
    }
    int Int(const char* name) {
        return Param(name, [](IParamBlock2* b, ParamID id) { return b->GetInt(id, 0); });
    }
    Color Colour(const char* name) {
        return Param(name, [](IParamBlock2* b, ParamID id) { return b->GetColor(id, 0); });
    }
    std::string Png() {
        const std::vector<std::uint8_t> rgb(4 * 4 * 3, 200);
        std::vector<unsigned char> bytes;
        std::string error;
        EXPECT_TRUE(EncodePng(4, 4, rgb.data(), &bytes, &error)) << error;
        return std::string(bytes.begin(), bytes.end());
    }
    httplib::Result Drop(const json& control, const std::string& name, const std::string& bytes) {
        const json& r = control["rect"];
        const int x = r[0].get<int>() + r[2].get<int>() / 2,
                  y = r[1].get<int>() + r[3].get<int>() / 2;
        return client_->Post(("/api/drop?x=" + std::to_string(x) + "&y=" + std::to_string(y) +
                              "&name=" + httplib::detail::encode_query_param(name))
                                 .c_str(),
                             bytes, "application/octet-stream");
    }

    std::string folder_;
    std::unique_ptr<EditorServer> server_;
    std::unique_ptr<httplib::Client> client_;
};

TEST_F(EditorServerTest, LayoutIsTheLivePanelsWindowTreeControlForControl) {
    const json layout = Layout();
    struct Window {
        std::wstring cls, text;
        RECT rect;
        int id;
        bool enabled, visible;
    };
    const std::vector<Window> tree = server_->OnHost([](EditorSession& s) {
        std::vector<Window> out;
        for (HWND w : winhost::ChildWindows(s.Page())) {
            WCHAR text[256] = {};
            GetWindowTextW(w, text, 256);
            out.push_back({winhost::WindowClass(w), text, winhost::WindowRectInParent(w),
                           GetDlgCtrlID(w), IsWindowEnabled(w) != FALSE,
                           IsWindowVisible(w) != FALSE});
        }
        return out;
    });
    ASSERT_EQ(tree.size(), 106u);  // the template's controls
    ASSERT_EQ(layout["controls"].size(), tree.size());
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const json& c = layout["controls"][i];
        const Window& w = tree[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(w.id));
        EXPECT_EQ(c["index"], i);
        EXPECT_EQ(c["id"], w.id);
        EXPECT_EQ(c["class"], ToUtf8(w.cls));
        EXPECT_EQ(c["text"], ToUtf8(w.text));
        EXPECT_EQ(c["rect"], json({w.rect.left, w.rect.top, w.rect.right - w.rect.left,
                                   w.rect.bottom - w.rect.top}));
        EXPECT_EQ(c["enabled"], w.enabled);
        EXPECT_EQ(c["visible"], w.visible);
    }
    // What the page needs to draw each kind, as the panel shows it.
    EXPECT_EQ(layout["controls"][0]["kind"], "group");
    EXPECT_EQ(layout["controls"][0]["text"], "Diffuse");
    const json brdf = Control(layout, 1013);
    EXPECT_EQ(brdf["kind"], "combo");
    EXPECT_EQ(brdf["items"], json({"Phong", "TorrSparr", "Beckmann", "GGX", "TRGGX"}));
    EXPECT_EQ(brdf["choice"], 3);
    EXPECT_EQ(Control(layout, 1003)["kind"], "mapbutton");
    EXPECT_EQ(Control(layout, 1003)["text"], "None");
    EXPECT_EQ(Control(layout, 1002)["kind"], "swatch");
    EXPECT_EQ(Control(layout, 1041)["kind"], "check");
    EXPECT_EQ(Control(layout, 1072)["buddy"], 1073);
    EXPECT_EQ(Control(layout, 1102)["enabled"], false);  // GGX: no anisotropy
    EXPECT_EQ(Control(layout, 1085)["visible"], false);  // the hidden Sigma blur row
    EXPECT_EQ(layout["width"].get<int>() > 0 && layout["height"].get<int>() > 0, true);
}

TEST_F(EditorServerTest, AnEditOfEveryKindChangesTheBlockAsTheControlWould) {
    const float glossMax = Param("mtl_refl_gloss", [](IParamBlock2* b, ParamID id) {
        return b->GetDesc()->GetParamDefByIndex(b->GetDesc()->IDtoIndex(id)).range_high.f;
    });
    long long generation = Layout()["generation"];
    struct Case {
        const char* what;
        std::string body;
        std::function<void()> check;
        std::vector<int> changed;  // controls the reply must name
    } cases[] = {
        {"spinner",
         R"({"control":1073,"value":0.25})",
         [&] { EXPECT_FLOAT_EQ(Float("mtl_refl_gloss"), 0.25f); },
         {1072, 1073}},
        {"edit box, through its spinner",
         R"({"control":1072,"value":0.75})",
         [&] { EXPECT_FLOAT_EQ(Float("mtl_refl_gloss"), 0.75f); },
         {1072, 1073}},
        {"a value beyond the range is kept within it",
         R"({"control":1073,"value":1e38})",
         [&] { EXPECT_FLOAT_EQ(Float("mtl_refl_gloss"), glossMax); },
         {1072, 1073}},
        {"swatch",
         R"({"control":1002,"value":"#ff8000"})",
         [&] {
             const Color c = Colour("mtl_diffuse_color");
             EXPECT_FLOAT_EQ(c.r, 1.0f);
             EXPECT_NEAR(c.g, 128.0f / 255.0f, 1e-6f);
             EXPECT_FLOAT_EQ(c.b, 0.0f);
         },
         {1002}},
        {"check box",
         R"({"control":1076,"value":false})",
         // The parameter's internal name ends in a comma.
         [&] { EXPECT_EQ(Int("mtl_refl_fresnel_on,"), 0); },
         {1076}},
        {"combo box: Beckmann switches the anisotropy controls on",
         R"({"control":1013,"value":2})",
         [&] { EXPECT_EQ(Int("mtl_reflect_brdf"), 2); },
         {1013, 1102, 1103, 1101, 1104}},
        {"combo box: Phong switches them off",
         R"({"control":1013,"value":0})",
         [&] { EXPECT_EQ(Int("mtl_reflect_brdf"), 0); },
         {1013, 1102, 1103, 1101, 1104}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto res = Edit(c.body);
        ASSERT_TRUE(res);
        ASSERT_EQ(res->status, 200) << res->body;
        c.check();
        const json reply = json::parse(res->body);
        EXPECT_GT(reply["generation"].get<long long>(), generation);
        generation = reply["generation"];
        std::vector<int> changed;
        for (const json& k : reply["changed"]) changed.push_back(k["id"]);
        for (int id : c.changed)
            EXPECT_NE(std::find(changed.begin(), changed.end(), id), changed.end()) << id;
    }
    // The reply describes the controls as the layout now does.
    const json layout = Layout();
    EXPECT_EQ(Control(layout, 1102)["enabled"], false);
    EXPECT_EQ(Control(layout, 1002)["color"], "#ff8000");
}

TEST_F(EditorServerTest, InvalidEditsAreRefusedWithAReasonAndChangeNothing) {
    const json before = Layout();
    const char* bodies[] = {
        "not json",
        "[1,2]",
        R"({"value":0.5})",
        R"({"control":"1073","value":0.5})",
        R"({"control":9999,"value":0.5})",
        R"({"control":-1,"value":0.5})",
        R"({"control":1073})",
        R"({"control":1073,"value":"0.5"})",
        R"({"control":1073,"value":"NaN"})",
        R"({"control":1073,"value":NaN})",
        R"({"control":1073,"value":1e400})",
        R"({"control":1073,"value":1e39})",
        R"({"control":1073,"value":true})",
        R"({"control":1002,"value":"#12345"})",
        R"({"control":1002,"value":"red"})",
        R"({"control":1041,"value":1})",
        R"({"control":1013,"value":5})",
        R"({"control":1013,"value":-1})",
        R"({"control":1013,"value":1.5})",
        R"({"control":1102,"value":0.5})",  // greyed under GGX
        R"({"control":1085,"value":1})",    // hidden
        R"({"control":1003,"value":1})",    // a map button takes drops only
    };
    for (const char* body : bodies) {
        auto res = Edit(body);
        ASSERT_TRUE(res) << body;
        EXPECT_EQ(res->status, 400) << body;
        EXPECT_FALSE(res->body.empty()) << body;
        EXPECT_EQ(std::count(res->body.begin(), res->body.end(), '\n'), 1) << res->body;
    }
    EXPECT_EQ(Layout(), before);
}

TEST_F(EditorServerTest, ForeignAndTokenlessRequestsAreRefused) {
    const std::string token = server_->Guard().Token();
    const std::string port = std::to_string(server_->Port());
    const std::string cookie = server_->Guard().CookieName() + "=" + token;
    struct Case {
        const char* what;
        httplib::Headers headers;
        std::string path;
        int status;
    } cases[] = {
        {"token", {{"X-Lumra-Token", token}}, "/api/layout", 200},
        {"cookie", {{"Cookie", cookie}}, "/api/layout", 200},
        {"address with the token", {}, "/?token=" + token, 200},
        {"no token", {}, "/api/layout", 403},
        {"no token, the page", {}, "/", 403},
        {"wrong token", {{"X-Lumra-Token", token.substr(1) + "x"}}, "/api/layout", 403},
        {"token of the address on another path", {}, "/api/layout?token=" + token, 403},
        {"another port's cookie", {{"Cookie", "lumra_token_1=" + token}}, "/api/layout", 403},
        {"rebound DNS name",
         {{"X-Lumra-Token", token}, {"Host", "evil.example:" + port}},
         "/api/layout",
         403},
        {"another site's page",
         {{"X-Lumra-Token", token}, {"Origin", "http://evil.example"}},
         "/api/layout",
         403},
        {"this server's page",
         {{"X-Lumra-Token", token}, {"Origin", "http://127.0.0.1:" + port}},
         "/api/layout",
         200},
    };
    httplib::Client bare("127.0.0.1", server_->Port());
    for (const Case& c : cases) {
        auto res = bare.Get(c.path.c_str(), c.headers);
        ASSERT_TRUE(res) << c.what;
        EXPECT_EQ(res->status, c.status) << c.what;
    }
    // The address sets the cookie the page's requests then carry.
    auto page = bare.Get(("/?token=" + token).c_str());
    ASSERT_TRUE(page);
    EXPECT_NE(page->get_header_value("Set-Cookie").find(cookie + ";"), std::string::npos);
    EXPECT_NE(page->get_header_value("Set-Cookie").find("SameSite=Strict"), std::string::npos);
    // A cross-site post without the token changes nothing.
    const json before = Layout();
    auto post = bare.Post("/api/edit", {{"Origin", "http://evil.example"}},
                          R"({"control":1073,"value":0.1})", "application/json");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 403);
    EXPECT_EQ(Layout(), before);
}

TEST_F(EditorServerTest, BodiesOverTheLimitsAre413) {
    auto edit = Edit(R"({"control":1073,"value":0.5,"pad":")" + std::string(70000, 'x') + "\"}");
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->status, 413);
    auto upload = Drop(Control(Layout(), 1003), "big.png", std::string((1 << 20) + 1, 'x'));
    ASSERT_TRUE(upload);
    EXPECT_EQ(upload->status, 413);
}

TEST_F(EditorServerTest, AFileDroppedOnAMapButtonBecomesItsTexture) {
    const json layout = Layout();
    auto res = Drop(Control(layout, 1003), "brick_01.png", Png());
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    const json reply = json::parse(res->body);
    EXPECT_EQ(reply["slot"], 0);
    EXPECT_EQ(reply["texture"], "brick_01");
    EXPECT_EQ(Control(Layout(), 1003)["text"], "brick_01");
    const std::string path = server_->OnHost([](EditorSession& s) {
        auto* tex = static_cast<BitmapTex*>(s.Material()->GetSubTexmap(0));
        return tex ? ToUtf8(tex->GetMapName()) : std::string();
    });
    EXPECT_EQ(fs::path(path).parent_path().parent_path(), fs::path(folder_ + "/work"));
    EXPECT_TRUE(fs::is_regular_file(path));

    // A hostile name stays a name in the session's folder.
    res = Drop(Control(layout, 1012), "../../x.png", Png());
    ASSERT_TRUE(res && res->status == 200);
    EXPECT_EQ(json::parse(res->body)["texture"], "x");
    EXPECT_FALSE(fs::exists(folder_ + "/x.png"));

    // Not a picture: refused with the reason, nothing changed, nothing kept.
    const json before = Layout();
    const auto kept = std::distance(fs::directory_iterator(folder_ + "/work"), {});
    res = Drop(Control(layout, 1025), "notes.png", "just some text");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400);
    EXPECT_NE(res->body.find("notes.png is not a picture"), std::string::npos) << res->body;
    // Off the map buttons: the panel's own handling leaves everything as it was.
    res = Drop(Control(layout, 1002), "brick_02.png", Png());
    ASSERT_TRUE(res && res->status == 200);
    EXPECT_EQ(json::parse(res->body)["slot"], -1);
    EXPECT_EQ(Layout(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_ + "/work"), {}), kept);
}

TEST_F(EditorServerTest, SaveWritesTheSceneAndDownloadAndOpenCarryIt) {
    ASSERT_EQ(Edit(R"({"control":1073,"value":0.3})")->status, 200);
    ASSERT_EQ(Drop(Control(Layout(), 1003), "brick_01.png", Png())->status, 200);
    auto res = client_->Post("/api/save", "{}", "application/json");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    // The file loads again with the value and the map.
    const auto [gloss, map] = server_->OnHost([&](EditorSession& s) {
        PluginHost& host = s.Host();
        std::string error;
        SceneMaterials scene;
        EXPECT_TRUE(LoadSceneMaterials(host, folder_ + "/saved.lsc", &scene, &error)) << error;
        if (scene.materials.empty()) return std::pair<float, std::string>(0.0f, "");
        ClassDesc* cd = host.LumraMaterialClass();
        IParamBlock2* block = MaterialParamBlock(scene.materials[0].get(), cd);
        const int index = block->GetDesc()->NameToIndex(L"mtl_refl_gloss");
        Texmap* tex = scene.materials[0]->GetSubTexmap(0);
        return std::pair<float, std::string>(
            block->GetFloat(block->GetDesc()->GetParamDefByIndex(index).ID, 0),
            tex ? ToUtf8(tex->GetName().data()) : "");
    });
    EXPECT_FLOAT_EQ(gloss, 0.3f);
    EXPECT_EQ(map, "brick_01");

    auto scene = client_->Get("/api/scene");
    ASSERT_TRUE(scene && scene->status == 200);
    EXPECT_FALSE(scene->body.empty());
    // Opening the downloaded scene edits its material: the same values.
    ASSERT_EQ(Edit(R"({"control":1073,"value":0.9})")->status, 200);
    res = client_->Post("/api/open", scene->body, "application/octet-stream");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    EXPECT_FLOAT_EQ(Float("mtl_refl_gloss"), 0.3f);
    EXPECT_EQ(Control(Layout(), 1003)["text"], "brick_01");
    // A file that is no scene is refused, and the material stays.
    res = client_->Post("/api/open", "garbage", "application/octet-stream");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400);
    EXPECT_FLOAT_EQ(Float("mtl_refl_gloss"), 0.3f);
}

TEST_F(EditorServerTest, TwoPagesEditingAtOnceBothStayCorrect) {
    // Two pages, each with its own connection, change two parameters at once; the
    // host thread takes the edits one after the other.
    auto page = [&](int control, double base) {
        httplib::Client c("127.0.0.1", server_->Port());
        c.set_default_headers({{"X-Lumra-Token", server_->Guard().Token()}});
        for (int i = 0; i <= 20; ++i) {
            auto res =
                c.Post("/api/edit", json({{"control", control}, {"value", base + 0.01 * i}}).dump(),
                       "application/json");
            EXPECT_TRUE(res && res->status == 200);
        }
    };
    std::thread a(page, 1073, 0.1), b(page, 1043, 0.5);
    a.join();
    b.join();
    EXPECT_FLOAT_EQ(Float("mtl_refl_gloss"), 0.3f);
    EXPECT_FLOAT_EQ(Float("mtl_diffuse_mult"), 0.7f);
    const json layout = Layout();
    EXPECT_FLOAT_EQ(Control(layout, 1073)["value"].get<float>(), 0.3f);
    EXPECT_FLOAT_EQ(Control(layout, 1043)["value"].get<float>(), 0.7f);
    EXPECT_EQ(layout["generation"].get<long long>(),
              1 + 42);  // the first picture's, then each edit
}

TEST_F(EditorServerTest, ThePreviewFollowsEditsAndNeverGoesBack) {
    std::mutex mutex;
    std::vector<std::pair<long long, bool>> frames;  // generation, last
    std::atomic<bool> stop{false};
    httplib::Client events("127.0.0.1", server_->Port());
    events.set_default_headers({{"X-Lumra-Token", server_->Guard().Token()}});
    std::thread reader([&] {
        std::string buffer;
        events.Get("/api/events", [&](const char* data, std::size_t size) {
            buffer.append(data, size);
            for (std::size_t end; (end = buffer.find("\n\n")) != std::string::npos;) {
                const std::string event = buffer.substr(0, end);
                buffer.erase(0, end + 2);
                const auto at = event.find("event: preview\ndata: ");
                if (at != 0) continue;
                const json j = json::parse(event.substr(21));
                std::lock_guard<std::mutex> lock(mutex);
                frames.emplace_back(j["generation"], j["last"]);
            }
            return !stop;
        });
    });
    long long last = 0;
    for (int i = 0; i < 6; ++i) {
        auto res = Edit(R"({"control":1073,"value":)" + std::to_string(0.1 * i) + "}");
        ASSERT_TRUE(res && res->status == 200);
        last = json::parse(res->body)["generation"];
    }
    for (int wait = 0; wait < 500; ++wait) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (!frames.empty() && frames.back() == std::make_pair(last, true)) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    stop = true;
    server_->Stop();  // ends the stream
    reader.join();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), std::make_pair(last, true));
    for (std::size_t i = 1; i < frames.size(); ++i)
        EXPECT_GE(frames[i].first, frames[i - 1].first) << "frame " << i;
}

}  // namespace
