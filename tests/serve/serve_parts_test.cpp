// The editor server's parts that stand alone: upload names, the access guard, the
// event queues and the preview's passes.
#include "lumra/serve/access_guard.h"
#include "lumra/serve/event_hub.h"
#include "lumra/serve/preview_render.h"
#include "lumra/serve/upload_name.h"

#include <gtest/gtest.h>

TEST(UploadName, HostileNamesBecomeOneSafeNameInTheFolder) {
    struct Case {
        std::string given, kept;
    } cases[] = {
        {"brick_01.png", "brick_01.png"},
        {"../../x", "x"},
        {"..\\..\\evil.png", "evil.png"},
        {"/etc/passwd", "passwd"},
        {"..", "upload"},
        {"", "upload"},
        {".hidden.png", "hidden.png"},
        {"a\nb\x01"
         "c.png",
         "a_b_c.png"},
        {"trailing. ", "trailing"},
        {"c:bad*name?.png", "c_bad_name_.png"},
        {"\xc3\xa9t\xc3\xa9.png", "\xc3\xa9t\xc3\xa9.png"},  // beyond ASCII, kept
        {"\xe2\x80\xaegnp.exe", "_gnp.exe"},                 // right-to-left override
        {std::string("bad\xff.png"), "upload"},              // not UTF-8
    };
    for (const Case& c : cases) EXPECT_EQ(SafeUploadName(c.given, 100), c.kept) << c.given;
    // Shortened to fit, the extension kept.
    EXPECT_EQ(SafeUploadName(std::string(300, 'a') + ".png", 12), "aaaaaaaa.png");
}

TEST(AccessGuard, OnlyThisServersAddressesAndTokenPass) {
    AccessGuard guard("127.0.0.1", 8265);
    EXPECT_EQ(guard.Token().size(), 32u);
    EXPECT_NE(AccessGuard("127.0.0.1", 8265).Token(), guard.Token());
    for (const char* host : {"127.0.0.1:8265", "localhost:8265", "[::1]:8265"})
        EXPECT_TRUE(guard.HostAllowed(host)) << host;
    for (const char* host : {"", "127.0.0.1", "127.0.0.1:8266", "evil.example:8265",
                             "localhost.evil.example:8265", "127.0.0.1:8265.evil"})
        EXPECT_FALSE(guard.HostAllowed(host)) << host;
    EXPECT_TRUE(guard.OriginAllowed(""));
    EXPECT_TRUE(guard.OriginAllowed("http://127.0.0.1:8265"));
    for (const char* origin : {"null", "http://evil.example", "https://127.0.0.1:8265",
                               "http://127.0.0.1:8265.evil.example"})
        EXPECT_FALSE(guard.OriginAllowed(origin)) << origin;
    EXPECT_TRUE(guard.TokenMatches(guard.Token()));
    EXPECT_FALSE(guard.TokenMatches(""));
    EXPECT_FALSE(guard.TokenMatches(guard.Token().substr(1) + "0"));
    const std::string cookie = "a=b; " + guard.CookieName() + "=" + guard.Token() + "; c=d";
    EXPECT_EQ(guard.TokenFromCookie(cookie), guard.Token());
    EXPECT_EQ(guard.TokenFromCookie("lumra_token_8266=" + guard.Token()), "");

    // On every address: the machine's addresses by number, never a DNS name.
    AccessGuard every("0.0.0.0", 8265);
    EXPECT_EQ(every.Address().rfind("http://127.0.0.1:8265/?token=", 0), 0u);
    for (const char* host :
         {"127.0.0.1:8265", "localhost:8265", "192.168.1.20:8265", "[fe80::1]:8265"})
        EXPECT_TRUE(every.HostAllowed(host)) << host;
    for (const char* host : {"evil.example:8265", "192.168.1.20:8266", "1.2.3:8265",
                             "1.2.3.256:8265", "1.2.3.4.5:8265", "[x]:8265", "192.168.1.20"})
        EXPECT_FALSE(every.HostAllowed(host)) << host;
    EXPECT_TRUE(every.OriginAllowed("http://192.168.1.20:8265"));
    EXPECT_FALSE(every.OriginAllowed("http://evil.example:8265"));
    AccessGuard one("192.168.1.20", 8265);
    EXPECT_TRUE(one.HostAllowed("192.168.1.20:8265"));
    EXPECT_FALSE(one.HostAllowed("127.0.0.1:8265"));
    EXPECT_FALSE(one.HostAllowed("192.168.1.21:8265"));
}

TEST(EventHub, APendingPictureIsReplacedOtherEventsQueue) {
    EventHub hub(2);
    const int a = hub.Subscribe(), b = hub.Subscribe();
    EXPECT_EQ(hub.Subscribe(), -1);  // as many as allowed
    hub.Publish("preview", "1", true);
    hub.Publish("controls", "x\ny");
    hub.Publish("preview", "2", true);
    std::string e;
    ASSERT_EQ(hub.Wait(a, &e, std::chrono::milliseconds(0)), EventHub::Next::Event);
    EXPECT_EQ(e, "event: preview\ndata: 2\n\n");
    ASSERT_EQ(hub.Wait(a, &e, std::chrono::milliseconds(0)), EventHub::Next::Event);
    EXPECT_EQ(e, "event: controls\ndata: x\ndata: y\n\n");
    EXPECT_EQ(hub.Wait(a, &e, std::chrono::milliseconds(1)), EventHub::Next::Timeout);
    hub.Unsubscribe(b);
    EXPECT_EQ(hub.Wait(b, &e, std::chrono::milliseconds(0)), EventHub::Next::Closed);
    hub.Close();
    EXPECT_EQ(hub.Wait(a, &e, std::chrono::milliseconds(0)), EventHub::Next::Closed);
    EXPECT_EQ(hub.Subscribe(), -1);
}

TEST(PreviewRenderer, PassesGrowToTheSlotsSize) {
    EXPECT_EQ(PreviewRenderer::PassSizes(256), (std::vector<int>{64, 128, 256}));
    EXPECT_EQ(PreviewRenderer::PassSizes(64), (std::vector<int>{16, 32, 64}));
    EXPECT_EQ(PreviewRenderer::PassSizes(40), (std::vector<int>{20, 40}));
    EXPECT_EQ(PreviewRenderer::PassSizes(16), (std::vector<int>{16}));
}
