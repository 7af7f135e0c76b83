#include "app/window_register.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

namespace qv::app {
namespace {

using namespace windows;

TEST(WindowRegister, FindsQueriesAndForgetsWindowsByGroupAndName) {
  WindowRegister reg;
  const WindowId browse = reg.TmCreate(kNotToolsGroup, kBrowseMsgNmbr);
  const WindowId tree = reg.TmCreate(kFindGroup, kThreadTree);
  const WindowId exporter = reg.TmCreate(kFindGroup, kExportProc);
  ASSERT_NE(browse, 0u);
  EXPECT_EQ(reg.TmGetId(kNotToolsGroup, kBrowseMsgNmbr), browse);
  EXPECT_EQ(reg.TmGetId(kFindGroup, kBrowseMsgNmbr), 0u);  // the name is looked up within its group
  EXPECT_EQ(reg.TmGetId(kNotToolsGroup, "browsemsgnmbr"), 0u);

  std::vector<WindowEntry> list{{99, "stale", "entry"}};
  EXPECT_TRUE(reg.TmQuery(kFindGroup, list));
  EXPECT_EQ(list, (std::vector<WindowEntry>{{tree, "FindGroup", "ThreadTree"}, {exporter, "FindGroup", "ExportProc"}}));
  EXPECT_TRUE(reg.TmQuery(kFindGroup, kExportProc, list));
  EXPECT_EQ(list, (std::vector<WindowEntry>{{exporter, "FindGroup", "ExportProc"}}));

  EXPECT_TRUE(reg.TmDestroy(tree));
  EXPECT_TRUE(reg.TmDestroy(exporter));
  EXPECT_FALSE(reg.TmDestroy(exporter));
  EXPECT_FALSE(reg.TmQuery(kFindGroup, list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(reg.TmGetId(kNotToolsGroup, kBrowseMsgNmbr), browse);
}

TEST(WindowRegister, RefusesASecondWindowOfTheSameNameAndNeverReusesAnIdentifier) {
  WindowRegister reg;
  const WindowId first = reg.TmCreate(kNotToolsGroup, kPurgeMess);
  EXPECT_EQ(reg.TmCreate(kNotToolsGroup, kPurgeMess), 0u);
  EXPECT_EQ(reg.TmCreate("", kPurgeMess), 0u);
  EXPECT_EQ(reg.TmCreate(kNotToolsGroup, ""), 0u);
  EXPECT_EQ(reg.TmGetId(kNotToolsGroup, kPurgeMess), first);

  // An event posted with the identifier of a closed window must not reach
  // the window opened after it under the same name.
  reg.TmDestroy(first);
  const WindowId second = reg.TmCreate(kNotToolsGroup, kPurgeMess);
  EXPECT_NE(second, first);
  EXPECT_FALSE(reg.post(first, WindowEvent::close()));
  EXPECT_TRUE(reg.takeEvents(second).empty());
}

TEST(WindowRegister, OpeningAnOpenWindowBringsItForwardOnce) {
  WindowRegister reg;
  const auto opened = reg.openOrBringForward(kNotToolsGroup, kDuplicates);
  EXPECT_TRUE(opened.created);
  EXPECT_TRUE(reg.takeEvents(opened.id).empty());

  const auto again = reg.openOrBringForward(kNotToolsGroup, kDuplicates);
  reg.openOrBringForward(kNotToolsGroup, kDuplicates);
  EXPECT_FALSE(again.created);
  EXPECT_EQ(again.id, opened.id);
  EXPECT_EQ(reg.takeEvents(opened.id), std::vector<WindowEvent>{WindowEvent::bringToFront()});
}

TEST(WindowRegister, QueuesUserEventsInOrderAndDropsThemWithTheWindow) {
  WindowRegister reg;
  std::vector<WindowId> woken;
  reg.setPostListener([&](WindowId id) {
    woken.push_back(id);
    reg.TmGetId(kFrameGroup, kFrame);  // the listener may use the register
  });
  const WindowId frame = reg.TmCreate(kFrameGroup, kFrame);
  EXPECT_TRUE(reg.post(frame, WindowEvent::importMeny()));
  EXPECT_TRUE(reg.post(frame, WindowEvent::user(7, "Refresh")));
  EXPECT_TRUE(reg.post(frame, WindowEvent::importMeny()));
  EXPECT_FALSE(reg.post(frame + 100, WindowEvent::importMeny()));
  EXPECT_EQ(woken, (std::vector<WindowId>{frame, frame, frame}));

  const auto events = reg.takeEvents(frame);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].name, "ImportMeny");
  EXPECT_EQ(events[0].code, events::kImportMeny);
  EXPECT_EQ(events[1], WindowEvent::user(7, "Refresh"));
  EXPECT_TRUE(reg.takeEvents(frame).empty());

  reg.post(frame, WindowEvent::importMeny());
  reg.TmDestroy(frame);
  EXPECT_TRUE(reg.takeEvents(frame).empty());
}

TEST(WindowRegister, DestroyGroupAsksEachWindowToCloseAndKeepsItUntilItHasClosed) {
  WindowRegister reg;
  const WindowId tree = reg.TmCreate(kFindGroup, kThreadTree);
  const WindowId status = reg.TmCreate(kFindGroup, kStatusProc);
  const WindowId browse = reg.TmCreate(kNotToolsGroup, kBrowseMail);
  EXPECT_EQ(reg.TmDestroyGroup(kFindGroup), 2u);
  EXPECT_EQ(reg.TmDestroyGroup(kFindGroup), 2u);  // asked again: still one Close each

  std::vector<WindowEntry> list;
  EXPECT_TRUE(reg.TmQuery(kFindGroup, list));  // still open until they close themselves
  EXPECT_EQ(reg.takeEvents(tree), std::vector<WindowEvent>{WindowEvent::close()});
  EXPECT_EQ(reg.takeEvents(status), std::vector<WindowEvent>{WindowEvent::close()});
  EXPECT_TRUE(reg.takeEvents(browse).empty());
  reg.TmDestroy(tree);
  reg.TmDestroy(status);
  EXPECT_FALSE(reg.TmQuery(kFindGroup, list));
  EXPECT_EQ(reg.TmDestroyGroup(kFindGroup), 0u);
}

TEST(WindowRegister, TwoThreadsRegisterQueryAndDestroyAtOnce) {
  WindowRegister reg;
  constexpr int kRounds = 2000;
  std::atomic<int> createdShared{0};
  std::atomic<int> holders{0};
  std::vector<WindowId> issued[2];
  auto work = [&](int t) {
    const std::string group = "Group" + std::to_string(t);
    std::vector<WindowEntry> list;
    for (int i = 0; i < kRounds; ++i) {
      const std::string name = "W" + std::to_string(i % 5);
      const WindowId id = reg.TmCreate(group, name);
      EXPECT_NE(id, 0u);
      issued[t].push_back(id);
      EXPECT_EQ(reg.TmGetId(group, name), id);
      EXPECT_TRUE(reg.TmQuery(group, name, list));
      reg.post(id, WindowEvent::user(i, name));
      EXPECT_EQ(reg.takeEvents(id).size(), 1u);
      EXPECT_TRUE(reg.TmDestroy(id));
      // Both threads race to open one shared window; only one may hold it open.
      const auto shared = reg.openOrBringForward(kNotToolsGroup, kBrowseBox);
      if (shared.created) {
        EXPECT_EQ(++holders, 1);
        ++createdShared;
        reg.TmQuery(kNotToolsGroup, list);
        reg.TmDestroyGroup(kNotToolsGroup);
        --holders;
        reg.TmDestroy(shared.id);
      }
    }
  };
  std::thread a(work, 0);
  std::thread b(work, 1);
  a.join();
  b.join();

  std::vector<WindowEntry> list;
  for (const auto group : {"Group0", "Group1", "NotToolsGroup"}) EXPECT_FALSE(reg.TmQuery(group, list));
  std::set<WindowId> distinct(issued[0].begin(), issued[0].end());
  distinct.insert(issued[1].begin(), issued[1].end());
  EXPECT_EQ(distinct.size(), 2u * kRounds);  // no identifier issued twice
  EXPECT_GE(createdShared.load(), 1);
}

}  // namespace
}  // namespace qv::app
