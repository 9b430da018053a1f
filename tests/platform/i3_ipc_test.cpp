#include "platform/i3_ipc.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace tq260 {
namespace {

using namespace i3ipc;

TEST(I3Ipc, MessagesAreFramedAndTakenWholeOneByOne) {
    const std::string subscribe = message(kSubscribe, R"(["window"])");
    ASSERT_EQ(subscribe.size(), kHeaderSize + 10);
    EXPECT_EQ(subscribe.substr(0, 6), "i3-ipc");
    EXPECT_EQ(subscribe.substr(kHeaderSize), R"(["window"])");

    std::string bytes = message(kWindowEvent, "{}") + message(kGetTree, "[1]");
    std::string partial = bytes.substr(0, kHeaderSize + 1);
    bool broken = false;
    EXPECT_FALSE(takeMessage(partial, broken));
    EXPECT_FALSE(broken);
    EXPECT_EQ(partial.size(), kHeaderSize + 1);  // kept for the rest

    const auto first = takeMessage(bytes, broken);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type, kWindowEvent);
    EXPECT_EQ(first->payload, "{}");
    const auto second = takeMessage(bytes, broken);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->payload, "[1]");
    EXPECT_TRUE(bytes.empty());
}

TEST(I3Ipc, BytesThatAreNoMessageBreakTheStream) {
    std::string wrongMagic = "i3-ipx" + std::string(8, '\0');
    bool broken = false;
    EXPECT_FALSE(takeMessage(wrongMagic, broken));
    EXPECT_TRUE(broken);

    std::string huge = message(kWindowEvent, "");
    const std::uint32_t length = kMaxPayload + 1;
    huge.replace(kMagic.size(), 4, reinterpret_cast<const char*>(&length), 4);
    broken = false;
    EXPECT_FALSE(takeMessage(huge, broken));
    EXPECT_TRUE(broken);
}

TEST(I3Ipc, FocusEventsNameTheApplication) {
    struct Row {
        const char* payload;
        std::optional<std::string> id;
    };
    const Row rows[] = {
        {R"({"change":"focus","container":{"app_id":"foot","pid":0}})", "foot"},
        // XWayland under sway, and every window under i3: the X11 class.
        {R"({"change":"focus","container":{"app_id":null,
             "window_properties":{"class":"Steam","instance":"steam"}}})",
         "Steam"},
        {R"({"change":"title","container":{"app_id":"foot"}})", std::nullopt},
        {R"({"change":"focus","container":{"app_id":null}})", std::nullopt},
        {R"({"change":"focus","container":[]})", std::nullopt},
        {R"({"change":"focus"})", std::nullopt},
        {R"({"change":"focus","container":{"app_id":"foot")", std::nullopt},  // cut short
        {R"([])", std::nullopt},
    };
    for (const Row& row : rows) {
        const auto front = focusedByEvent(row.payload, 1);
        EXPECT_EQ(front ? std::optional(front->id) : std::nullopt, row.id) << row.payload;
    }
}

TEST(I3Ipc, TheTreeGivesTheFocusedWindowAndEveryApplicationOnce) {
    const std::string ownPid = std::to_string(getpid());
    const std::string tree = R"({"nodes":[{"nodes":[
        {"app_id":"foot","focused":false,"pid":1},
        {"app_id":"org.tq260.Vantor","focused":false,"pid":)" +
                             ownPid + R"(},
        {"app_id":"foot","focused":false}],
      "floating_nodes":[{"app_id":null,"focused":true,
        "window_properties":{"class":"Gimp"}}]}]})";
    const auto focused = focusedInTree(tree, getpid());
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused->id, "Gimp");

    std::vector<std::string> ids;
    for (const auto& application : applicationsInTree(tree, getpid())) {
        ids.push_back(application.id);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"foot", "Gimp"}));

    // The program's own window, when focused, is said to be its own.
    const std::string own = R"({"change":"focus","container":{"app_id":"x","pid":)" + ownPid + "}}";
    const auto ownFront = focusedByEvent(own, getpid());
    ASSERT_TRUE(ownFront);
    EXPECT_TRUE(ownFront->ownWindow);
    EXPECT_FALSE(ownFront->executablePath.empty());
}

}  // namespace
}  // namespace tq260
