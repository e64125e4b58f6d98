// Texts made on two threads reach the writer in their order, whole, and
// never far ahead of it; a text that cannot be made stops the writing
// there.
#include "site/texts_in_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "platform/system_platform.h"
#include "support/fake_platform.h"

namespace pirvex::site {
namespace {

std::string textOf(std::size_t index) {
  // Lengths that differ a lot, so that the threads overtake each other.
  return std::string(1 + (index * 7919) % 5000, static_cast<char>('a' + index % 26)) +
         std::to_string(index);
}

struct Recorded {
  std::vector<std::size_t> made;  // in the order made (one thread only)
  std::vector<int> lanes;         // the lane of each make (one thread only)
  std::vector<std::size_t> taken;
  std::size_t mostAhead = 0;  // texts made but not yet taken, at most
  std::vector<std::size_t> ahead;  // the same after each take
  bool allRight = true;
  std::atomic<bool> laneBusy[2] = {false, false};
  std::atomic<bool> lanesShared{false};  // two makes at once on one lane
};

void run(platform::Platform& platform, std::size_t count, bool largestLast, std::size_t ahead,
         Recorded& recorded, bool recordMakes) {
  makeTextsInOrder(
      platform, count,
      [&](std::size_t index, std::string& text, int lane) {
        if (lane < 0 || lane > 1) {
          recorded.lanesShared = true;
          return;
        }
        if (recorded.laneBusy[lane].exchange(true)) recorded.lanesShared = true;
        if (!text.empty()) recorded.allRight = false;
        text = textOf(index);
        if (recordMakes) {
          recorded.made.push_back(index);
          recorded.lanes.push_back(lane);
        }
        recorded.laneBusy[lane] = false;
      },
      [&](std::size_t index, std::string_view text) {
        if (text != textOf(index)) recorded.allRight = false;
        recorded.taken.push_back(index);
        if (recordMakes) {
          recorded.ahead.push_back(recorded.made.size() - recorded.taken.size());
          recorded.mostAhead = std::max(recorded.mostAhead, recorded.ahead.back());
        }
      },
      largestLast, ahead);
}

std::vector<std::size_t> upTo(std::size_t count) {
  std::vector<std::size_t> all(count);
  for (std::size_t i = 0; i < count; ++i) all[i] = i;
  return all;
}

// Where the platform has no second thread, the work runs at once: the
// largest text is made first, and the work beside, started again whenever
// a text is taken, keeps `ahead` texts made before their turn, no more.
TEST(TextsInOrder, OneThreadMakesTheLargestFirstAndKeepsAhead) {
  testing::FakePlatform fake;
  for (std::size_t count : {0, 1, 2, 5, 100}) {
    Recorded recorded;
    run(fake, count, true, 4, recorded, true);
    EXPECT_TRUE(recorded.allRight);
    EXPECT_FALSE(recorded.lanesShared);
    EXPECT_EQ(recorded.taken, upTo(count));
    ASSERT_EQ(recorded.made.size(), count);
    if (count > 0) {
      EXPECT_EQ(recorded.made.front(), count - 1);
    }
    EXPECT_EQ(recorded.lanes, std::vector<int>(count, 1)) << count;
    EXPECT_EQ(recorded.mostAhead, count == 0 ? 0 : std::min<std::size_t>(count - 1, 4)) << count;
    // Until the texts run out, always four ahead: the largest and three.
    for (std::size_t index = 0; index + 5 < count; ++index)
      EXPECT_EQ(recorded.ahead[index], 4u) << index;
  }
  Recorded inOrder;
  run(fake, 10, false, 3, inOrder, true);
  EXPECT_EQ(inOrder.made, upTo(10));
  EXPECT_EQ(inOrder.taken, upTo(10));
}

// With a second thread, whichever thread makes a text, every text arrives
// whole and in order.
TEST(TextsInOrder, TwoThreadsHandTextsOnInOrder) {
  platform::SystemPlatform system;
  for (std::size_t ahead : {1, 3, 32}) {
    for (bool largestLast : {true, false}) {
      Recorded recorded;
      run(system, 2000, largestLast, ahead, recorded, false);
      EXPECT_TRUE(recorded.allRight);
      EXPECT_FALSE(recorded.lanesShared) << "two makes at once on one lane's scratch";
      EXPECT_EQ(recorded.taken, upTo(2000));
    }
  }
}

// A text that cannot be made ends the writing at its turn, with memory's
// own exception, after what came before it; no thread is left running.
TEST(TextsInOrder, ATextWithoutMemoryStopsTheWritingAtItsTurn) {
  platform::SystemPlatform system;
  testing::FakePlatform fake;
  for (platform::Platform* platform : {static_cast<platform::Platform*>(&system),
                                       static_cast<platform::Platform*>(&fake)}) {
    std::vector<std::size_t> taken;
    EXPECT_THROW(makeTextsInOrder(
                     *platform, 50,
                     [](std::size_t index, std::string& text, int) {
                       if (index == 30) throw std::bad_alloc();
                       text = textOf(index);
                     },
                     [&](std::size_t index, std::string_view) { taken.push_back(index); }, true, 8),
                 std::bad_alloc);
    EXPECT_EQ(taken, upTo(30));
  }
}

}  // namespace
}  // namespace pirvex::site
